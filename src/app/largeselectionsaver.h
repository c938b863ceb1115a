#pragma once

#include <QCoreApplication>
#include <QString>

#include <functional>

class ZIvidView;

// Saves a selection too large for the clipboard to a file the user names,
// whole, written aside as a capture is; a failed write is reported in a box
// that holds nothing up. Installed with ZIvidView::setLargeSelectionSaver().
class LargeSelectionSaver
{
    Q_DECLARE_TR_FUNCTIONS(LargeSelectionSaver)

public:
    explicit LargeSelectionSaver(ZIvidView *view);

    // Names the file, given the selection's size; an empty name saves
    // nothing. By default a message box explains and a file dialog asks.
    void setFileNameProvider(std::function<QString(qint64 size)> provider);

    // True when the view's selection was saved.
    bool operator()(qint64 size) const;

private:
    QString askFileName(qint64 size) const;

    ZIvidView *m_view;
    std::function<QString(qint64)> m_fileName;
};
