#pragma once

#include <QCoreApplication>
#include <QString>

#include <functional>

class ConnectionBar;
class ZIvidView;

// Saves a selection too large for the clipboard to a file the user names,
// whole, in slices between events as a capture is (SlicedSave); a failed
// write is reported in a box that holds nothing up, a save stopped by a
// change to the text in the bar. Installed with
// ZIvidView::setLargeSelectionSaver().
class LargeSelectionSaver
{
    Q_DECLARE_TR_FUNCTIONS(LargeSelectionSaver)

public:
    // Stopped saves are said in `bar`, when given.
    explicit LargeSelectionSaver(ZIvidView *view, ConnectionBar *bar = nullptr);

    // Names the file, given the selection's size; an empty name saves
    // nothing. By default a message box explains and a file dialog asks.
    void setFileNameProvider(std::function<QString(qint64 size)> provider);

    // Starts saving the view's selection; `saved`, when given, is called
    // once the file holds it.
    void operator()(qint64 size, const std::function<void()> &saved) const;

private:
    QString askFileName(qint64 size) const;
    static void reportFailure(ZIvidView *view, const QString &fileName, const QString &errorString);

    ZIvidView *m_view;
    ConnectionBar *m_bar;
    std::function<QString(qint64)> m_fileName;
};
