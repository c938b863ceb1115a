// The main window's key dispatch and its function-key table: what a key
// press or paste in the console sends to the device.

#include "tarnterm.h"

#include "functiondlg.h"
#include "keydispatch.h"
#include "pacedsender.h"
#include "serialport.h"

#include <QCheckBox>
#include <QDebug>
#include <QLineEdit>
#include <QSpinBox>

void TarnTerm::keyInput(int key, QString text)
{
    if (KeyDispatch::isIgnoredKey(key))
        return;
    qDebug("keycode 0x%x delay %d", key, delay);
    qDebug() << "text : " << text;

    if (key == KeyDispatch::pasteKey) {
        pacedSender->send(KeyDispatch::toLineBytes(text), false);
        return;
    }

    const int index = KeyDispatch::functionKeyIndex(key);
    if (index >= 0 && index < functionKeys.size() && functionKeys.at(index).key == key) {
        const QString command = KeyDispatch::functionCommand(
            functionKeys.at(index).text, crFlags.at(index).flag, lfFlags.at(index).flag);
        qDebug() << "function : " << command;
        pacedSender->send(KeyDispatch::toLineBytes(command), true);
        return;
    }

    if (enterWithCR && (key == Qt::Key_Return || key == Qt::Key_Enter))
        text = QStringLiteral("\r\n");
    qDebug() << "text2 : " << text;
    // Keys without text (F13 and up, Menu) have nothing to send.
    if (text.isEmpty())
        return;
    // Typing is never held up by a paced send: the key goes out at once.
    if (!writeToPort(KeyDispatch::toLineBytes(text)))
        showStatus(tr("Can't write through the serial port."));
}

// The port is looked up for every write: the watch may have dropped it
// since the last one.
bool TarnTerm::writeToPort(const QByteArray &bytes)
{
    SerialPort *port = currentPort();
    return port && port->writeBytes(bytes);
}

void TarnTerm::functionSetting()
{
    if (functionDlg && functionDlg->isVisible())
        return;
    // A dialog hidden by Cancel is never shown again.
    if (functionDlg)
        functionDlg->deleteLater();
    openFunctionDlg();
}

void TarnTerm::openFunctionDlg()
{
    functionDlg = new FunctionDlg(functionKeys, crFlags, lfFlags, delay, this);
    connect(functionDlg, &FunctionDlg::acceptRequested, this, &TarnTerm::acceptFunction);
    connect(functionDlg, &FunctionDlg::applyRequested, this, &TarnTerm::applyFunction);
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
    // The value, not the shown text: locales with their own digits show
    // text that toInt() cannot read.
    delay = functionDlg->delayBox->value();
}

void TarnTerm::acceptFunction()
{
    applyFunction();
    if (functionDlg)
        functionDlg->deleteLater();
    functionDlg = nullptr;
}
