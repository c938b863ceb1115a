#pragma once

#include <QDialog>
#include <QList>

class QCheckBox;
class QLineEdit;
class QSpinBox;
class TarnTerm;

namespace Ui {
class FunctionDialog;
}

// Non-modal editor of the function-key table. It reads the table from its
// main window when built; the window reads the widgets back on Apply and OK.
class FunctionDlg : public QDialog
{
    Q_OBJECT

public:
    explicit FunctionDlg(TarnTerm *parent, Qt::WindowFlags flags = {});
    ~FunctionDlg() override;

    QList<QLineEdit *> lineEdits;
    QList<QCheckBox *> lfBoxes;
    QList<QCheckBox *> crBoxes;
    QSpinBox *delayBox = nullptr;

private:
    Ui::FunctionDialog *ui;
};
