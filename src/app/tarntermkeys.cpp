// The main window's key dispatch and its function-key table: what a key
// press or paste in the console sends to the device.

#include "tarnterm.h"

#include "functiondlg.h"
#include "keydispatch.h"
#include "pacedsender.h"
#include "serialport.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QLoggingCategory>
#include <QSpinBox>

namespace {

// Off by default: these lines carry what the user types or pastes for the
// device, passwords included. QT_LOGGING_RULES="tarnterm.keys.debug=true"
// switches them on.
Q_LOGGING_CATEGORY(keysCategory, "tarnterm.keys", QtInfoMsg)

} // namespace

void TarnTerm::keyInput(int key, QString text)
{
    const QByteArray terminalSequence = terminalKeys ? KeyDispatch::terminalKeySequence(key) : QByteArray();
    if (terminalSequence.isEmpty() && KeyDispatch::isIgnoredKey(key))
        return;
    // The console stays open for reading while no device is connected;
    // what is typed there has nowhere to go.
    if (!currentPort())
        return;
    qCDebug(keysCategory, "keycode 0x%x delay %d", key, delay);
    qCDebug(keysCategory) << "text : " << text;

    // A terminal key goes out like a typed one: at once, in one write.
    if (!terminalSequence.isEmpty())
        text = QString::fromLatin1(terminalSequence);

    if (key == KeyDispatch::pasteKey) {
        pacedSender->send(KeyDispatch::toPacedBytes(text), false);
        return;
    }

    const int index = KeyDispatch::functionKeyIndex(key);
    if (index >= 0 && index < functionKeys.size() && functionKeys.at(index).key == key) {
        const QString command = KeyDispatch::functionCommand(
            functionKeys.at(index).text, crFlags.at(index).flag, lfFlags.at(index).flag);
        qCDebug(keysCategory) << "function : " << command;
        pacedSender->send(KeyDispatch::toPacedBytes(command), true);
        return;
    }

    if (enterWithCR && (key == Qt::Key_Return || key == Qt::Key_Enter))
        text = QStringLiteral("\r\n");
    qCDebug(keysCategory) << "text2 : " << text;
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
