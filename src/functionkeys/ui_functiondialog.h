#pragma once

#include "functionkey.h"

#include <array>

class QCheckBox;
class QDialog;
class QDialogButtonBox;
class QGridLayout;
class QGroupBox;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpacerItem;
class QSpinBox;
class QVBoxLayout;

namespace Ui {

// The function-key dialog's form: a grid of twelve key rows (label, command
// line, "CR", "LF") with the write delay below, then Apply, OK and Cancel.
// The arrays hold the rows in key order; each widget carries its numbered
// form name (label_2, lineEdit_f2, checkBox_c2, checkBox_f2 for F2).
class FunctionDialog
{
public:
    QVBoxLayout *verticalLayout = nullptr;
    QGroupBox *groupBox = nullptr;
    QGridLayout *gridLayout = nullptr;
    std::array<QLabel *, functionKeyCount> keyLabels {};
    std::array<QLineEdit *, functionKeyCount> lineEdit_f {};
    std::array<QCheckBox *, functionKeyCount> checkBox_c {};
    std::array<QCheckBox *, functionKeyCount> checkBox_f {};
    std::array<QSpacerItem *, functionKeyCount> rowSpacers {};
    QHBoxLayout *horizontalLayout = nullptr;
    QLabel *label_13 = nullptr;
    QSpacerItem *delaySpacer = nullptr;
    QSpinBox *spinBox_delay = nullptr;
    QHBoxLayout *hboxLayout = nullptr;
    QPushButton *btnApply = nullptr;
    QSpacerItem *buttonSpacer = nullptr;
    QDialogButtonBox *buttonBox = nullptr;
    QSpacerItem *bottomSpacer = nullptr;

    void setupUi(QDialog *dialog);
    void retranslateUi(QDialog *dialog);
};

} // namespace Ui
