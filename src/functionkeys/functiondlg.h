#pragma once

#include "functionkey.h"

#include <QDialog>
#include <QList>

class QCheckBox;
class QLineEdit;
class QSpinBox;

namespace Ui {
class FunctionDialog;
}

// Non-modal editor of the function-key table. It shows the table it is
// given; whoever opened it reads the widgets back on Apply and OK.
class FunctionDlg : public QDialog
{
    Q_OBJECT

public:
    FunctionDlg(const FunctionKeyList &keys, const FunctionFlagList &crFlags,
                const FunctionFlagList &lfFlags, int delay, QWidget *parent,
                Qt::WindowFlags flags = {});
    ~FunctionDlg() override;

    QList<QLineEdit *> lineEdits;
    QList<QCheckBox *> lfBoxes;
    QList<QCheckBox *> crBoxes;
    QSpinBox *delayBox = nullptr;

signals:
    // The Apply button and the button box's OK. The form hides the dialog
    // on OK before acceptRequested() goes out.
    void applyRequested();
    void acceptRequested();

private:
    Ui::FunctionDialog *ui;
};
