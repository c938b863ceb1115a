#include "functiondlg.h"

#include "tarnterm.h"
#include "ui_functiondialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>

FunctionDlg::FunctionDlg(TarnTerm *parent, Qt::WindowFlags flags)
    : QDialog(parent, flags)
    , ui(new Ui::FunctionDialog)
{
    // The form's own accept/reject connections come first, so the dialog is
    // already hidden when the window's acceptFunction() runs.
    ui->setupUi(this);

    connect(ui->buttonBox, &QDialogButtonBox::accepted, parent, &TarnTerm::acceptFunction);
    connect(ui->btnApply, &QPushButton::clicked, parent, &TarnTerm::applyFunction);

    for (int i = 0; i < functionKeyCount; ++i) {
        lineEdits.append(ui->lineEdit_f[i]);
        lfBoxes.append(ui->checkBox_f[i]);
        crBoxes.append(ui->checkBox_c[i]);
    }
    delayBox = ui->spinBox_delay;

    const FunctionKeyList keys = parent->functionKeyList();
    const FunctionFlagList crFlags = parent->crFlagList();
    const FunctionFlagList lfFlags = parent->lfFlagList();
    for (int i = 0; i < functionKeyCount; ++i) {
        crBoxes.at(i)->setCheckState(crFlags.at(i).flag ? Qt::Checked : Qt::Unchecked);
        lfBoxes.at(i)->setCheckState(lfFlags.at(i).flag ? Qt::Checked : Qt::Unchecked);
        lineEdits.at(i)->setText(keys.at(i).text);
    }
    // Out-of-range delays from the settings store are clamped by the spin box.
    delayBox->setValue(parent->writeDelay());
}

FunctionDlg::~FunctionDlg()
{
    delete ui;
}
