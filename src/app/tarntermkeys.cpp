// The main window's function-key table: the settings the function-key dialog
// edits and the key sender reads.

#include "tarnterm.h"

#include "functiondlg.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QSpinBox>
#include <QTimer>

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
    settingsTimer->start();
}

void TarnTerm::acceptFunction()
{
    applyFunction();
    if (functionDlg)
        functionDlg->deleteLater();
    functionDlg = nullptr;
}
