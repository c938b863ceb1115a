#include "ui_functiondialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpacerItem>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {

QString translate(const char *text)
{
    return QApplication::translate("FunctionDialog", text, nullptr);
}

QString numbered(const char *prefix, int n)
{
    return QLatin1String(prefix) + QString::number(n);
}

// Grid row of key index i. Each key row is followed by a spacer row, and the
// form as drawn leaves row 4 empty, so F3 onwards sit one row lower.
int keyRow(int i)
{
    return i < 2 ? 2 * i : 2 * i + 1;
}

QSpacerItem *horizontalSpacer()
{
    return new QSpacerItem(40, 20, QSizePolicy::Expanding, QSizePolicy::Minimum);
}

QSpacerItem *verticalSpacer()
{
    return new QSpacerItem(20, 40, QSizePolicy::Minimum, QSizePolicy::Expanding);
}

} // namespace

namespace Ui {

void FunctionDialog::setupUi(QDialog *dialog)
{
    if (dialog->objectName().isEmpty())
        dialog->setObjectName(QStringLiteral("FunctionDialog"));
    dialog->resize(600, 570);
    QFont font;
    font.setFamily(QStringLiteral("Lucida Console"));
    font.setPointSize(10);
    dialog->setFont(font);
    QIcon icon;
    icon.addFile(QStringLiteral(":/ZIvid/images/menu.png"), QSize(), QIcon::Normal, QIcon::Off);
    dialog->setWindowIcon(icon);

    verticalLayout = new QVBoxLayout(dialog);
    verticalLayout->setObjectName(QStringLiteral("verticalLayout"));
    groupBox = new QGroupBox(dialog);
    groupBox->setObjectName(QStringLiteral("groupBox"));
    gridLayout = new QGridLayout(groupBox);
    gridLayout->setObjectName(QStringLiteral("gridLayout"));

    for (int i = 0; i < functionKeyCount; ++i) {
        const int n = i + 1;
        const int row = keyRow(i);

        QLabel *label = new QLabel(groupBox);
        label->setObjectName(n == 1 ? QStringLiteral("label") : numbered("label_", n));
        label->setAlignment(Qt::AlignRight | Qt::AlignTrailing | Qt::AlignVCenter);
        gridLayout->addWidget(label, row, 0);
        keyLabels[i] = label;

        lineEdit_f[i] = new QLineEdit(groupBox);
        lineEdit_f[i]->setObjectName(numbered("lineEdit_f", n));
        gridLayout->addWidget(lineEdit_f[i], row, 1);

        checkBox_c[i] = new QCheckBox(groupBox);
        checkBox_c[i]->setObjectName(numbered("checkBox_c", n));
        gridLayout->addWidget(checkBox_c[i], row, 2);

        checkBox_f[i] = new QCheckBox(groupBox);
        checkBox_f[i]->setObjectName(numbered("checkBox_f", n));
        gridLayout->addWidget(checkBox_f[i], row, 3);

        rowSpacers[i] = verticalSpacer();
        gridLayout->addItem(rowSpacers[i], row + 1, 1);
    }

    horizontalLayout = new QHBoxLayout();
    horizontalLayout->setObjectName(QStringLiteral("horizontalLayout"));
    label_13 = new QLabel(groupBox);
    label_13->setObjectName(QStringLiteral("label_13"));
    horizontalLayout->addWidget(label_13);
    delaySpacer = horizontalSpacer();
    horizontalLayout->addItem(delaySpacer);
    spinBox_delay = new QSpinBox(groupBox);
    spinBox_delay->setObjectName(QStringLiteral("spinBox_delay"));
    spinBox_delay->setRange(0, 10000);
    spinBox_delay->setSingleStep(1);
    horizontalLayout->addWidget(spinBox_delay);
    gridLayout->addLayout(horizontalLayout, keyRow(functionKeyCount - 1) + 2, 0, 1, 4);

    verticalLayout->addWidget(groupBox);

    hboxLayout = new QHBoxLayout();
    hboxLayout->setObjectName(QStringLiteral("hboxLayout"));
    btnApply = new QPushButton(dialog);
    btnApply->setObjectName(QStringLiteral("btnApply"));
    hboxLayout->addWidget(btnApply);
    buttonSpacer = horizontalSpacer();
    hboxLayout->addItem(buttonSpacer);
    buttonBox = new QDialogButtonBox(dialog);
    buttonBox->setObjectName(QStringLiteral("buttonBox"));
    buttonBox->setOrientation(Qt::Horizontal);
    buttonBox->setStandardButtons(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    hboxLayout->addWidget(buttonBox);
    verticalLayout->addLayout(hboxLayout);

    bottomSpacer = verticalSpacer();
    verticalLayout->addItem(bottomSpacer);

    retranslateUi(dialog);

    QObject::connect(buttonBox, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(buttonBox, &QDialogButtonBox::rejected, dialog, &QDialog::reject);

    QMetaObject::connectSlotsByName(dialog);
}

void FunctionDialog::retranslateUi(QDialog *dialog)
{
    static const char *const keyNames[functionKeyCount] = {
        QT_TRANSLATE_NOOP("FunctionDialog", "F1"), QT_TRANSLATE_NOOP("FunctionDialog", "F2"),
        QT_TRANSLATE_NOOP("FunctionDialog", "F3"), QT_TRANSLATE_NOOP("FunctionDialog", "F4"),
        QT_TRANSLATE_NOOP("FunctionDialog", "F5"), QT_TRANSLATE_NOOP("FunctionDialog", "F6"),
        QT_TRANSLATE_NOOP("FunctionDialog", "F7"), QT_TRANSLATE_NOOP("FunctionDialog", "F8"),
        QT_TRANSLATE_NOOP("FunctionDialog", "F9"), QT_TRANSLATE_NOOP("FunctionDialog", "F10"),
        QT_TRANSLATE_NOOP("FunctionDialog", "F11"), QT_TRANSLATE_NOOP("FunctionDialog", "F12"),
    };

    dialog->setWindowTitle(translate("Function Key Settings"));
    groupBox->setTitle(QString());
    for (int i = 0; i < functionKeyCount; ++i) {
        keyLabels[i]->setText(translate(keyNames[i]));
        checkBox_c[i]->setText(translate("CR"));
        checkBox_f[i]->setText(translate("LF"));
    }
    label_13->setText(translate("Serial Write Delay mSec"));
    btnApply->setText(translate("Apply"));
}

} // namespace Ui
