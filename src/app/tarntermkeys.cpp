// The main window's key dispatch and its function-key table: what a key
// press or paste in the console sends to the device.

#include "tarnterm.h"

#include "functiondlg.h"
#include "keydispatch.h"
#include "serialport.h"

#include <QCheckBox>
#include <QDebug>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLineEdit>
#include <QSpinBox>
#include <QTimer>

void TarnTerm::keyInput(int key, QString text)
{
    if (KeyDispatch::isIgnoredKey(key))
        return;
    qDebug("keycode 0x%x delay %d", key, delay);
    qDebug() << "text : " << text;

    if (key == KeyDispatch::pasteKey) {
        sendPaced(text, false);
        return;
    }

    const int index = KeyDispatch::functionKeyIndex(key);
    if (index >= 0 && index < functionKeys.size() && functionKeys.at(index).key == key) {
        const QString command = KeyDispatch::functionCommand(
            functionKeys.at(index).text, crFlags.at(index).flag, lfFlags.at(index).flag);
        qDebug() << "function : " << command;
        sendPaced(command, true);
        return;
    }

    if (enterWithCR && (key == Qt::Key_Return || key == Qt::Key_Enter))
        text = QStringLiteral("\r\n");
    qDebug() << "text2 : " << text;
    // Keys without text (F13 and up, Menu) have nothing to send.
    if (text.isEmpty())
        return;
    if (!serialPort || !serialPort->writeBytes(KeyDispatch::toLineBytes(text)))
        showStatus(tr("Can't write through the serial port."));
}

// One byte per write, with the write delay after each. The wait runs the
// event loop, which may close and delete the port, so it is looked up afresh
// for every byte.
void TarnTerm::sendPaced(const QString &text, bool functionKeyMode)
{
    const QByteArray bytes = KeyDispatch::toLineBytes(text);
    for (char byte : bytes) {
        if (!serialPort || !serialPort->writeBytes(QByteArray(1, byte))) {
            showStatus(tr("Can't write through the serial port."));
            if (functionKeyMode)
                qDebug() << "Can't write through the serial port.";
            return;
        }
        waitMSec(delay);
    }
}

// Handles events of every kind until msec milliseconds have passed, sleeping
// while there are none.
void TarnTerm::waitMSec(int msec)
{
    if (msec <= 0)
        return;
    QElapsedTimer clock;
    clock.start();
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    timer.setTimerType(Qt::PreciseTimer);
    bool timedOut = false;
    connect(&timer, &QTimer::timeout, &loop, [&] {
        timedOut = true;
        loop.quit();
    });
    qint64 left;
    while ((left = msec - clock.elapsed()) > 0) {
        timedOut = false;
        timer.start(int(left));
        loop.exec();
        // The application is quitting: its exit ends every event loop, and
        // a new one would return at once.
        if (!timedOut)
            return;
    }
}

void TarnTerm::functionSetting()
{
    if (functionDlg && functionDlg->isVisible())
        return;
    // A dialog hidden by Cancel is never shown again.
    if (functionDlg)
        functionDlg->deleteLater();
    functionDlg = new FunctionDlg(this);
    functionDlg->show();
}

void TarnTerm::applyFunction()
{
    if (!functionDlg)
        return;
    functionKeys.clear();
    crFlags.clear();
    lfFlags.clear();
    for (int i = 0; i < functionKeyCount; ++i) {
        const int key = Qt::Key_F1 + i;
        functionKeys.append({key, functionDlg->lineEdits.at(i)->text()});
        crFlags.append({key, functionDlg->crBoxes.at(i)->isChecked()});
        lfFlags.append({key, functionDlg->lfBoxes.at(i)->isChecked()});
    }
    delay = functionDlg->delayBox->text().toInt();
}

void TarnTerm::acceptFunction()
{
    applyFunction();
    if (functionDlg)
        functionDlg->deleteLater();
    functionDlg = nullptr;
}
