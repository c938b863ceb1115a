#pragma once

#include <QCoreApplication>
#include <QString>

#include <functional>

#include "slicedsave.h"

class ConnectionBar;
class QWidget;
class ReceiveFeed;
class ZIvidView;

// File > Capture: writes what the console holds to a file the user names, as
// HTML when the name says so, else as plain text, in slices between events
// (SlicedSave); a failure is said in a modal box, a save stopped by a
// change to the text in the bar.
class CaptureSaver
{
    Q_DECLARE_TR_FUNCTIONS(CaptureSaver)

public:
    // The dialogs open over `window`.
    CaptureSaver(ZIvidView *console, ReceiveFeed *feed, QWidget *window, ConnectionBar *bar);

    // Asks for the file's name; the save dialog unless replaced.
    void setFileNameProvider(std::function<QString()> provider);

    void save();

private:
    QString askFileName();
    static void reportFailure(QWidget *window, const QString &fileName, const SlicedSave::Result &result);

    ZIvidView *m_console;
    ReceiveFeed *m_feed;
    QWidget *m_window;
    ConnectionBar *m_bar;
    std::function<QString()> m_fileNameProvider;
};
