#pragma once

#include <QCoreApplication>
#include <QString>

#include <functional>

class QWidget;
class ReceiveFeed;
class ZIvidView;

// File > Capture: writes what the console holds to a file the user names, as
// HTML when the name says so, else as plain text; a failure is said in a
// modal box.
class CaptureSaver
{
    Q_DECLARE_TR_FUNCTIONS(CaptureSaver)

public:
    // The dialogs open over `window`.
    CaptureSaver(ZIvidView *console, ReceiveFeed *feed, QWidget *window);

    // Asks for the file's name; the save dialog unless replaced.
    void setFileNameProvider(std::function<QString()> provider);

    void save();

private:
    QString askFileName();

    ZIvidView *m_console;
    ReceiveFeed *m_feed;
    QWidget *m_window;
    std::function<QString()> m_fileNameProvider;
};
