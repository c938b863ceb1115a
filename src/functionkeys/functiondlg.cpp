#include "functiondlg.h"

#include "ui_functiondialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>

FunctionDlg::FunctionDlg(const FunctionKeyList &keys, const FunctionFlagList &crFlags,
                         const FunctionFlagList &lfFlags, int delay, QWidget *parent,
                         Qt::WindowFlags flags)
    : QDialog(parent, flags)
    , ui(new Ui::FunctionDialog)
{
    // The form's own accept/reject connections come first, so the dialog is
    // already hidden when acceptRequested() goes out.
    ui->setupUi(this);

    connect(ui->buttonBox, &QDialogButtonBox::accepted, this, &FunctionDlg::acceptRequested);
    connect(ui->btnApply, &QPushButton::clicked, this, &FunctionDlg::applyRequested);

    for (int i = 0; i < functionKeyCount; ++i) {
        lineEdits.append(ui->lineEdit_f[i]);
        lfBoxes.append(ui->checkBox_f[i]);
        crBoxes.append(ui->checkBox_c[i]);
    }
    delayBox = ui->spinBox_delay;

    for (int i = 0; i < functionKeyCount; ++i) {
        crBoxes.at(i)->setCheckState(crFlags.at(i).flag ? Qt::Checked : Qt::Unchecked);
        lfBoxes.at(i)->setCheckState(lfFlags.at(i).flag ? Qt::Checked : Qt::Unchecked);
        lineEdits.at(i)->setText(keys.at(i).text);
    }
    // Out-of-range delays from the settings store are clamped by the spin box.
    delayBox->setValue(delay);
}

FunctionDlg::~FunctionDlg()
{
    delete ui;
}
