#include "fakedevicesource.h"
#include "functiondlg.h"
#include "tarnterm.h"
#include "testenvironment.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QSettings>
#include <QSpinBox>
#include <QtTest>

#include <memory>

namespace {

QSettings *openStore()
{
    return new QSettings(QSettings::NativeFormat, QSettings::UserScope,
                         QStringLiteral("TarnwickTerm"), QStringLiteral("Tarnwick's Terminal V3.07"));
}

} // namespace

class TestFunctionDlg : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void form();
    void keyRows_data();
    void keyRows();
    void showsLoadedTable();
    void discardKeepsAppliedValues_data();
    void discardKeepsAppliedValues();
    void settingWhileVisibleKeepsDialog();
    void okAppliesAndCloses();
    void textsKeepSpaces();
    void applyWritesTwelveRecords();
    void delayClampedBySpinBox_data();
    void delayClampedBySpinBox();
    void delayUnderNativeDigits();

private:
    void createWindow();
    bool openDialog();
    template<typename T> T *child(const QString &name) const
    {
        return dialog->findChild<T *>(name);
    }
    void clickApply() const { child<QPushButton>("btnApply")->click(); }
    void clickBox(QDialogButtonBox::StandardButton which) const
    {
        child<QDialogButtonBox>("buttonBox")->button(which)->click();
    }

    FakeDeviceSource devices;
    std::unique_ptr<TarnTerm> window;
    QPointer<FunctionDlg> dialog;
};

void TestFunctionDlg::initTestCase()
{
    initTestEnvironment();
}

void TestFunctionDlg::init()
{
    QScopedPointer<QSettings>(openStore())->clear();
}

void TestFunctionDlg::cleanup()
{
    window.reset();
    QScopedPointer<QSettings>(openStore())->clear();
}

void TestFunctionDlg::createWindow()
{
    window = std::make_unique<TarnTerm>();
    // No device ever appears, whatever this machine has plugged in.
    window->setDeviceSource(&devices);
}

// Runs the window's "Function Settings" slot and takes the one visible
// dialog: dialogs hidden by Cancel stay children of the window.
bool TestFunctionDlg::openDialog()
{
    QMetaObject::invokeMethod(window.get(), "functionSetting");
    dialog = nullptr;
    for (FunctionDlg *candidate : window->findChildren<FunctionDlg *>()) {
        if (candidate->isVisible()) {
            if (dialog)
                return false;
            dialog = candidate;
        }
    }
    return dialog;
}

void TestFunctionDlg::form()
{
    createWindow();
    QVERIFY(openDialog());
    QCOMPARE(dialog->objectName(), QStringLiteral("FunctionDialog"));
    QCOMPARE(dialog->windowTitle(), QStringLiteral("Function Key Settings"));
    QCOMPARE(dialog->size(), QSize(600, 570));
    QCOMPARE(dialog->font().family(), QStringLiteral("Lucida Console"));
    QCOMPARE(dialog->font().pointSize(), 10);
    QVERIFY(!dialog->windowIcon().isNull());
    QVERIFY(dialog->isWindow());
    QVERIFY(!dialog->isModal());
    QCOMPARE(dialog->parent(), window.get());

    auto *top = child<QVBoxLayout>("verticalLayout");
    QVERIFY(top);
    QCOMPARE(top->count(), 3);
    auto *groupBox = child<QGroupBox>("groupBox");
    QCOMPARE(top->itemAt(0)->widget(), groupBox);
    QCOMPARE(groupBox->title(), QString());
    QCOMPARE(top->itemAt(1)->layout(), child<QHBoxLayout>("hboxLayout"));
    QVERIFY(top->itemAt(2)->spacerItem());
    QCOMPARE(top->itemAt(2)->expandingDirections(), Qt::Vertical);

    auto *buttons = child<QHBoxLayout>("hboxLayout");
    QCOMPARE(buttons->count(), 3);
    QCOMPARE(buttons->itemAt(0)->widget(), child<QPushButton>("btnApply"));
    QCOMPARE(child<QPushButton>("btnApply")->text(), QStringLiteral("Apply"));
    QCOMPARE(buttons->itemAt(1)->expandingDirections(), Qt::Horizontal);
    auto *buttonBox = child<QDialogButtonBox>("buttonBox");
    QCOMPARE(buttons->itemAt(2)->widget(), buttonBox);
    QCOMPARE(buttonBox->standardButtons(), QDialogButtonBox::Ok | QDialogButtonBox::Cancel);

    auto *grid = child<QGridLayout>("gridLayout");
    QCOMPARE(groupBox->layout(), grid);
    QCOMPARE(grid->rowCount(), 26);
    QCOMPARE(grid->columnCount(), 4);
    for (int column = 0; column < 4; ++column)
        QVERIFY(!grid->itemAtPosition(4, column));

    auto *delayRow = child<QHBoxLayout>("horizontalLayout");
    QVector<int> position(4, -1);
    grid->getItemPosition(grid->indexOf(delayRow), &position[0], &position[1], &position[2],
                          &position[3]);
    QCOMPARE(position, QVector<int>({25, 0, 1, 4}));
    QCOMPARE(delayRow->count(), 3);
    QCOMPARE(delayRow->itemAt(0)->widget(), child<QLabel>("label_13"));
    QCOMPARE(child<QLabel>("label_13")->text(), QStringLiteral("Serial Write Delay mSec"));
    QCOMPARE(delayRow->itemAt(1)->expandingDirections(), Qt::Horizontal);
    auto *spin = child<QSpinBox>("spinBox_delay");
    QCOMPARE(delayRow->itemAt(2)->widget(), spin);
    QCOMPARE(dialog->delayBox, spin);
    QCOMPARE(spin->minimum(), 0);
    QCOMPARE(spin->maximum(), 10000);
    QCOMPARE(spin->singleStep(), 1);
    QCOMPARE(spin->prefix() + spin->suffix(), QString());
}

void TestFunctionDlg::keyRows_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("labelName");
    QTest::addColumn<int>("row");

    const int rows[12] = {0, 2, 5, 7, 9, 11, 13, 15, 17, 19, 21, 23};
    for (int i = 0; i < 12; ++i) {
        const QString n = QString::number(i + 1);
        QTest::newRow(qPrintable("F" + n))
            << i << (i == 0 ? QStringLiteral("label") : "label_" + n) << rows[i];
    }
}

void TestFunctionDlg::keyRows()
{
    QFETCH(int, index);
    QFETCH(QString, labelName);
    QFETCH(int, row);
    const QString n = QString::number(index + 1);

    createWindow();
    QVERIFY(openDialog());
    auto *grid = child<QGridLayout>("gridLayout");
    auto at = [grid, row](int column) {
        QLayoutItem *item = grid->itemAtPosition(row, column);
        return item ? item->widget() : nullptr;
    };

    auto *label = child<QLabel>(labelName);
    QVERIFY(label);
    QCOMPARE(at(0), label);
    QCOMPARE(label->text(), "F" + n);
    QCOMPARE(label->alignment() & (Qt::AlignHorizontal_Mask | Qt::AlignVertical_Mask),
             Qt::AlignRight | Qt::AlignVCenter);

    auto *edit = child<QLineEdit>("lineEdit_f" + n);
    QVERIFY(edit);
    QCOMPARE(at(1), edit);
    QCOMPARE(dialog->lineEdits.at(index), edit);

    auto *cr = child<QCheckBox>("checkBox_c" + n);
    QVERIFY(cr);
    QCOMPARE(at(2), cr);
    QCOMPARE(cr->text(), QStringLiteral("CR"));
    QCOMPARE(dialog->crBoxes.at(index), cr);

    auto *lf = child<QCheckBox>("checkBox_f" + n);
    QVERIFY(lf);
    QCOMPARE(at(3), lf);
    QCOMPARE(lf->text(), QStringLiteral("LF"));
    QCOMPARE(dialog->lfBoxes.at(index), lf);

    QLayoutItem *below = grid->itemAtPosition(row + 1, 1);
    QVERIFY(below && below->spacerItem());
    QCOMPARE(below->sizeHint(), QSize(20, 40));
    QCOMPARE(below->expandingDirections(), Qt::Vertical);
}

void TestFunctionDlg::showsLoadedTable()
{
    {
        QScopedPointer<QSettings> store(openStore());
        for (int n = 1; n <= 12; ++n) {
            store->setValue("F" + QString::number(n), "cmd " + QString::number(n));
            store->setValue("C" + QString::number(n), n % 2 == 1);
            store->setValue("L" + QString::number(n), n % 3 == 0);
        }
        store->setValue("delay", "250");
    }
    createWindow();
    QVERIFY(openDialog());
    for (int i = 0; i < 12; ++i) {
        const int n = i + 1;
        QCOMPARE(dialog->lineEdits.at(i)->text(), "cmd " + QString::number(n));
        QCOMPARE(dialog->crBoxes.at(i)->isChecked(), n % 2 == 1);
        QCOMPARE(dialog->lfBoxes.at(i)->isChecked(), n % 3 == 0);
    }
    QCOMPARE(dialog->delayBox->value(), 250);
}

void TestFunctionDlg::discardKeepsAppliedValues_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("Cancel button") << "cancel";
    QTest::newRow("Escape key") << "escape";
    QTest::newRow("close button") << "close";
}

void TestFunctionDlg::discardKeepsAppliedValues()
{
    QFETCH(QString, how);
    createWindow();
    QVERIFY(openDialog());
    QPointer<FunctionDlg> first = dialog;

    dialog->lineEdits.at(0)->setText("ATZ");
    dialog->crBoxes.at(1)->setChecked(true);
    dialog->lfBoxes.at(2)->setChecked(true);
    dialog->delayBox->setValue(42);
    clickApply();
    QVERIFY(dialog->isVisible());

    dialog->lineEdits.at(0)->setText("lost");
    dialog->lineEdits.at(5)->setText("lost too");
    dialog->crBoxes.at(1)->setChecked(false);
    dialog->lfBoxes.at(11)->setChecked(true);
    dialog->delayBox->setValue(7);
    if (how == "cancel")
        clickBox(QDialogButtonBox::Cancel);
    else if (how == "escape")
        QTest::keyClick(dialog->lineEdits.at(0), Qt::Key_Escape);
    else
        dialog->close();
    QVERIFY(!first->isVisible());

    QCOMPARE(window->functionKeyList().at(0).text, QStringLiteral("ATZ"));
    QCOMPARE(window->functionKeyList().at(5).text, QString());
    QVERIFY(window->crFlagList().at(1).flag);
    QVERIFY(window->lfFlagList().at(2).flag);
    QVERIFY(!window->lfFlagList().at(11).flag);
    QCOMPARE(window->writeDelay(), 42);

    QVERIFY(openDialog());
    QVERIFY(dialog != first);
    QCOMPARE(dialog->lineEdits.at(0)->text(), QStringLiteral("ATZ"));
    QCOMPARE(dialog->lineEdits.at(5)->text(), QString());
    QVERIFY(dialog->crBoxes.at(1)->isChecked());
    QVERIFY(!dialog->lfBoxes.at(11)->isChecked());
    QCOMPARE(dialog->delayBox->value(), 42);
}

void TestFunctionDlg::settingWhileVisibleKeepsDialog()
{
    createWindow();
    QVERIFY(openDialog());
    QPointer<FunctionDlg> first = dialog;
    dialog->lineEdits.at(3)->setText("unapplied");

    QVERIFY(openDialog());
    QCOMPARE(window->findChildren<FunctionDlg *>().size(), 1);
    QCOMPARE(dialog, first);
    QCOMPARE(dialog->lineEdits.at(3)->text(), QStringLiteral("unapplied"));
}

void TestFunctionDlg::okAppliesAndCloses()
{
    createWindow();
    QVERIFY(openDialog());
    QPointer<FunctionDlg> first = dialog;
    dialog->lineEdits.at(11)->setText("AT+RESET");
    dialog->lfBoxes.at(11)->setChecked(true);
    dialog->delayBox->setValue(0);

    clickBox(QDialogButtonBox::Ok);
    QVERIFY(first && !first->isVisible());
    QCOMPARE(window->functionKeyList().at(11).text, QStringLiteral("AT+RESET"));
    QVERIFY(window->lfFlagList().at(11).flag);
    QCOMPARE(window->writeDelay(), 0);
    QTRY_VERIFY(first.isNull());

    QVERIFY(openDialog());
    QCOMPARE(dialog->lineEdits.at(11)->text(), QStringLiteral("AT+RESET"));
}

void TestFunctionDlg::textsKeepSpaces()
{
    createWindow();
    QVERIFY(openDialog());
    const QString typed = QStringLiteral("  AT  +X ");
    QTest::keyClicks(dialog->lineEdits.at(4), typed);
    dialog->lineEdits.at(6)->setText(QStringLiteral("   "));
    clickApply();
    QCOMPARE(window->functionKeyList().at(4).text, typed);
    QCOMPARE(window->functionKeyList().at(6).text, QStringLiteral("   "));

    dialog->close();
    QVERIFY(openDialog());
    QCOMPARE(dialog->lineEdits.at(4)->text(), typed);
}

void TestFunctionDlg::applyWritesTwelveRecords()
{
    createWindow();
    QVERIFY(openDialog());
    for (int i = 0; i < 12; ++i) {
        dialog->lineEdits.at(i)->setText("key " + QString::number(i));
        dialog->crBoxes.at(i)->setChecked(i % 4 == 1);
        dialog->lfBoxes.at(i)->setChecked(i % 5 == 2);
    }
    // A second Apply must replace the records, not add to them.
    clickApply();
    clickApply();

    const FunctionKeyList keys = window->functionKeyList();
    const FunctionFlagList crFlags = window->crFlagList();
    const FunctionFlagList lfFlags = window->lfFlagList();
    QCOMPARE(keys.size(), 12);
    QCOMPARE(crFlags.size(), 12);
    QCOMPARE(lfFlags.size(), 12);
    for (int i = 0; i < 12; ++i) {
        const int key = Qt::Key_F1 + i;
        QCOMPARE(keys.at(i).key, key);
        QCOMPARE(crFlags.at(i).key, key);
        QCOMPARE(lfFlags.at(i).key, key);
        QCOMPARE(keys.at(i).text, "key " + QString::number(i));
        QCOMPARE(crFlags.at(i).flag, i % 4 == 1);
        QCOMPARE(lfFlags.at(i).flag, i % 5 == 2);
    }
}

void TestFunctionDlg::delayClampedBySpinBox_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<int>("loaded");
    QTest::addColumn<int>("shown");

    QTest::newRow("above range") << "20000" << 20000 << 10000;
    QTest::newRow("below range") << "-5" << -5 << 0;
    QTest::newRow("in range") << "123" << 123 << 123;
}

void TestFunctionDlg::delayClampedBySpinBox()
{
    QFETCH(QString, stored);
    QFETCH(int, loaded);
    QFETCH(int, shown);

    QScopedPointer<QSettings>(openStore())->setValue("delay", stored);
    createWindow();
    QCOMPARE(window->writeDelay(), loaded);

    QVERIFY(openDialog());
    QCOMPARE(dialog->delayBox->text(), QString::number(shown));
    // Only Apply takes the clamped value over.
    QCOMPARE(window->writeDelay(), loaded);
    clickApply();
    QCOMPARE(window->writeDelay(), shown);
}

void TestFunctionDlg::delayUnderNativeDigits()
{
    const QLocale previous;
    QLocale::setDefault(QLocale(QLocale::Arabic, QLocale::Egypt));
    createWindow();
    const bool opened = openDialog();
    QLocale::setDefault(previous);
    QVERIFY(opened);
    dialog->delayBox->setValue(1500);
    QVERIFY(dialog->delayBox->text() != QStringLiteral("1500")); // shown in Arabic-Indic digits
    clickApply();
    QCOMPARE(window->writeDelay(), 1500);
}

QTEST_MAIN(TestFunctionDlg)

#include "tst_functiondlg.moc"
