// The main window's Send File: the dialog, the progress of the one send
// that may run, and the keyboard held off while it runs.

#include "tarnterm.h"

#include "connectionbar.h"
#include "keysender.h"
#include "rawfilesender.h"
#include "receivefeed.h"
#include "sendfiledialog.h"
#include "ui_zivid.h"
#include "xmodemfilesender.h"

#include <QAction>
#include <QFileInfo>
#include <QProgressDialog>
#include <QTimer>

namespace {

// The progress bar's steps; a file's size does not fit its int range.
constexpr int progressSteps = 1000;

struct ProtocolMode
{
    const char *name;
    XmodemTransfer::Protocol protocol;
};
constexpr ProtocolMode protocolModes[] = {
    {"xmodem", XmodemTransfer::Protocol::Xmodem},
    {"xmodem1k", XmodemTransfer::Protocol::Xmodem1K},
    {"ymodem", XmodemTransfer::Protocol::Ymodem},
};

} // namespace

void TarnTerm::createFileSend()
{
    connect(ui->actionSend_File, &QAction::triggered, this, &TarnTerm::chooseFileToSend);
    keySender->setRefusal([this] { return fileSender ? tr("a file transfer is running") : QString(); });
    connect(keySender, &KeySender::refused, this, &TarnTerm::addNoticeOnce);
}

void TarnTerm::addNoticeOnce(const QString &text)
{
    // A held key asks again and again; the notice stands once.
    if (!connectionBar->noticeText().contains(text))
        connectionBar->addNotice(text);
}

void TarnTerm::chooseFileToSend()
{
    if (fileSender) {
        addNoticeOnce(tr("a file transfer is running"));
        return;
    }
    SendFileDialog dialog(this);
    dialog.setFolder(sendFileFolder);
    dialog.setMode(sendFileMode);
    dialog.setLineDelay(sendFileLineDelay);
    if (dialog.exec() != QDialog::Accepted)
        return;
    sendFileFolder = QFileInfo(dialog.fileName()).absolutePath();
    sendFileMode = dialog.mode();
    sendFileLineDelay = dialog.lineDelay();
    if (sendFileMode == QLatin1String("raw"))
        sendFile(dialog.fileName(), sendFileLineDelay);
    else
        sendFileByProtocol(dialog.fileName(), sendFileMode);
}

bool TarnTerm::sendFile(const QString &fileName, int lineDelayMs)
{
    if (fileSender)
        return false;
    return startFileSend(new RawFileSender(currentPort(), lineDelayMs, this), fileName);
}

bool TarnTerm::sendFileByProtocol(const QString &fileName, const QString &mode)
{
    if (fileSender)
        return false;
    for (const ProtocolMode &known : protocolModes) {
        if (mode == QLatin1String(known.name))
            return startFileSend(new XmodemFileSender(currentPort(), known.protocol, this), fileName);
    }
    return false;
}

bool TarnTerm::startFileSend(FileSender *sender, const QString &fileName)
{
    if (!sender->start(fileName)) {
        connectionBar->addNotice(sender->errorText());
        delete sender;
        return false;
    }
    fileSender = sender;
    receiveFeed->setTransfer(sender);

    auto *progress = new QProgressDialog(tr("Sending %1…").arg(QFileInfo(fileName).fileName()), tr("Cancel"), 0,
                                         progressSteps, this);
    progress->setWindowTitle(tr("Send File"));
    progress->setWindowModality(Qt::NonModal);
    progress->setAutoClose(false);
    progress->setAutoReset(false);
    progress->setMinimumDuration(300);
    connect(progress, &QProgressDialog::canceled, sender, &FileSender::cancel);
    connect(sender, &FileSender::progressed, progress, [progress](qint64 sent, qint64 total) {
        progress->setValue(total > 0 ? int(sent * progressSteps / total) : progressSteps);
    });
    connect(sender, &FileSender::finished, this, [this, sender, progress](const QString &outcome) {
        connectionBar->addNotice(outcome);
        fileSender = nullptr;
        QTimer::singleShot(FileSender::keptAfterFinishedMs, sender, &QObject::deleteLater);
        progress->deleteLater();
    });
    return true;
}
