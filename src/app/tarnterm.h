#pragma once

#include "functionkey.h"

#include <QMainWindow>
#include <QStringList>

#include <functional>
#include <memory>

class CaptureSaver;
class ConnectionBar;
class ConnectionPresenter;
class ConnectionWatch;
class DeviceSource;
class FindBar;
class FunctionDlg;
class HexView;
class KeySender;
class ModemLines;
class ModemPresenter;
class ReceiveFeed;
class ReceiveLog;
class QTimer;
class FileSender;
class SendLineBar;
class SerialPort;
class WaitingPanel;
class ZIvidView;

namespace Ui {
class ZIvid;
}

extern const QString versionString;

// The one main window: where the console, the hex view, the key sender, the
// receive feed and the watch that finds the device once a second meet. It
// holds the menus and the settings; each job is done by its own class.
class TarnTerm : public QMainWindow
{
    Q_OBJECT

public:
    explicit TarnTerm(QWidget *parent = nullptr, Qt::WindowFlags flags = {});
    ~TarnTerm() override;

    FunctionKeyList functionKeyList() const { return functionKeys; }
    FunctionFlagList crFlagList() const { return crFlags; }
    FunctionFlagList lfFlagList() const { return lfFlags; }
    int writeDelay() const { return delay; }

    // The open port while a device is connected, else null.
    SerialPort *currentPort() const;

    // Finds, opens and drops the port; its port finder says which ports to
    // follow (discovery over the platform's devices unless replaced).
    ConnectionWatch *connectionWatch() const { return watch; }
    // Where the watch looks for devices; the platform's own source unless a
    // caller (a test, the demo) hands in another. Not owned.
    void setDeviceSource(DeviceSource *source);

    // Follows the port of that name instead of discovering devices: opened
    // when it appears, dropped when it goes, reopened when it comes back.
    void setPortName(const QString &portName);
    // Appends every received byte to the file, across reconnects; empty: none.
    void setLogFile(const QString &fileName);
    // The same with a log already opened (the command line checks it before
    // any window opens). Takes ownership.
    void setReceiveLog(ReceiveLog *log);

    // Asks for the capture file's name; the save dialog unless replaced.
    void setCaptureFileNameProvider(std::function<QString()> provider);
    // What stamps each received batch with its arrival, in milliseconds
    // since the epoch; the system clock unless replaced.
    void setArrivalClock(std::function<qint64()> clock);

    // The modem lines the Device menu drives for an open port: the port's
    // own unless replaced (the simulated device, which a pseudo-terminal
    // cannot tell about DTR, RTS and breaks). Not owned.
    using ModemLinesProvider = std::function<ModemLines *(SerialPort *)>;
    void setModemLinesProvider(ModemLinesProvider provider);

    // Sends the file's bytes as they are to the connected device, with a
    // pause after each LF, showing its progress; the outcome goes to the
    // connection bar. False (and said there) when it cannot start; false
    // too while another send runs. Main → Send File… asks for both.
    bool sendFile(const QString &fileName, int lineDelayMs = 0);
    // Sends the file by a transfer protocol, "xmodem", "xmodem1k" or
    // "ymodem", the device's answers going to the transfer as they arrive;
    // otherwise as sendFile().
    bool sendFileByProtocol(const QString &fileName, const QString &mode);

protected:
    bool event(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private slots:
    void about();
    void functionSetting();
    void acceptFunction();
    void applyFunction();
    void saveCapture();
    void clearScreen();
    void keyInput(int key, QString text);
    void readComm();
    void checkConnection();
    void setHexamode(bool on);
    void setEnterWithCR(bool on);
    void setTerminalKeys(bool on);
    void chooseFileToSend();

private:
    void showStatus(const QString &text);
    void createKeySender();
    void createConnectionWatch();
    void openFunctionDlg();
    void loadSettings();
    void storeSettings();
    void storeSettingsOnChange();
    void watchReceiveLog();
    void connectTimestamps();
    void createSendLine();
    void createModemPresenter();
    void attachModemControl(SerialPort *port);
    void createFileSend();
    bool startFileSend(FileSender *sender, const QString &fileName);
    void addNoticeOnce(const QString &text);

    Ui::ZIvid *ui;
    FunctionKeyList functionKeys;
    FunctionFlagList lfFlags;
    FunctionFlagList crFlags;
    FunctionDlg *functionDlg = nullptr;
    ZIvidView *termView = nullptr;
    WaitingPanel *waitingPanel = nullptr;
    ConnectionBar *connectionBar = nullptr;
    FindBar *findBar = nullptr;
    SendLineBar *sendLineBar = nullptr;
    ModemPresenter *modemPresenter = nullptr;
    ModemLinesProvider modemLinesProvider;
    ReceiveLog *receiveLog = nullptr;
    HexView *hexEdit = nullptr;
    int delay = 5;
    ConnectionWatch *watch = nullptr;
    ConnectionPresenter *connectionPresenter = nullptr;
    KeySender *keySender = nullptr;
    ReceiveFeed *receiveFeed = nullptr;
    std::unique_ptr<CaptureSaver> captureSaver;
    QTimer *checkTimer = nullptr;
    QTimer *settingsTimer = nullptr;
    bool hexamode = false;
    FileSender *fileSender = nullptr;
    QString sendFileFolder;
    QString sendFileMode;
    int sendFileLineDelay = 0;
};
