#include "appearancepicker.h"
#include "fakedevicesource.h"
#include "functiondlg.h"
#include "qtcompat.h"
#include "tarnterm.h"
#include "testenvironment.h"
#include "zividview.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QLineEdit>
#include <QGuiApplication>
#include <QScreen>
#include <QSettings>
#include <QStatusBar>
#include <QToolBar>
#include <QtTest>

#include <memory>

namespace {

std::unique_ptr<QSettings> openStore()
{
    return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                       QStringLiteral("TarnwickTerm"), versionString);
}

void writeStore(const QVariantMap &values)
{
    auto store = openStore();
    for (auto it = values.cbegin(); it != values.cend(); ++it)
        store->setValue(it.key(), it.value());
}

QVariant storedValue(const QString &key)
{
    return openStore()->value(key);
}

// Picks no font and one colour, without a dialog.
class OneColourPicker : public AppearancePicker
{
public:
    std::optional<QFont> pickFont(const QFont &, QWidget *) override { return std::nullopt; }
    QColor pickColor(const QColor &, QWidget *, const QString &) override { return QColor(0x12, 0x34, 0x56); }
};

QString numbered(char letter, int n)
{
    return QLatin1Char(letter) + QString::number(n);
}

// A main window whose connection watch sees no devices, whatever the host has.
struct Window
{
    Window() { window.setDeviceSource(&noDevices); }

    ZIvidView *console() const { return window.findChild<ZIvidView *>(); }
    QAction *action(const char *name) const
    {
        return window.findChild<QAction *>(QLatin1String(name));
    }
    QToolBar *toolBar() const { return window.findChild<QToolBar *>(QStringLiteral("toolBar")); }
    QGroupBox *hexaGroup() const
    {
        return window.findChild<QGroupBox *>(QStringLiteral("hexaGroup"));
    }

    FakeDeviceSource noDevices;
    TarnTerm window;
};

} // namespace

class TestSettings : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();

    void emptyStoreGivesDefaults();
    void roundTrip();
    void fileSharedByBothQtBuilds();

    void positionAndSize_data();
    void positionAndSize();
    void font_data();
    void font();
    void delay_data();
    void delay();
    void delayStoredAsText();
    void functionKeysByNumber();
    void toolbarHidden_data();
    void toolbarHidden();
    void toolbarHiddenFromContextMenu();
    void unreadableColours();
    void hexMode_data();
    void hexMode();
    void enterWithReturnOnEveryStart();
    void holdOutputOnNoStart();
    void changedOptionStoredWithoutClosing_data();
    void changedOptionStoredWithoutClosing();
};

void TestSettings::initTestCase()
{
    initTestEnvironment();
}

void TestSettings::init()
{
    openStore()->clear();
}

void TestSettings::emptyStoreGivesDefaults()
{
    Window w;

    QCOMPARE(w.window.pos(), QPoint(25, 25));
    QCOMPARE(w.window.size(), QSize(800, 600));
    QVERIFY(!w.action("action_Toolbar")->isChecked());
    QVERIFY(!w.toolBar()->isHidden());

    const QFont font = w.console()->termFont();
    QCOMPARE(font.family(), QStringLiteral("Courier New"));
    QCOMPARE(font.pointSize(), 10);
    QCOMPARE(QtCompat::legacyWeight(font), 50);
    QCOMPARE(font.style(), QFont::StyleNormal);
    QCOMPARE(w.console()->fontColor().name(), QStringLiteral("#ffffff"));
    QCOMPARE(w.console()->backColor().name(), QStringLiteral("#438865"));
    QCOMPARE(w.console()->styleSheet(),
             QStringLiteral("QTextEdit { font:50 10pt \"Courier New\";color:rgb(255,255,255);"
                            "background-color:rgb(67,136,101); }"));

    const FunctionKeyList keys = w.window.functionKeyList();
    const FunctionFlagList cr = w.window.crFlagList();
    const FunctionFlagList lf = w.window.lfFlagList();
    QCOMPARE(keys.size(), 12);
    QCOMPARE(cr.size(), 12);
    QCOMPARE(lf.size(), 12);
    for (int i = 0; i < 12; ++i) {
        QCOMPARE(keys.at(i).key, int(Qt::Key_F1) + i);
        QVERIFY(keys.at(i).text.isEmpty());
        QCOMPARE(cr.at(i).key, int(Qt::Key_F1) + i);
        QVERIFY(!cr.at(i).flag);
        QCOMPARE(lf.at(i).key, int(Qt::Key_F1) + i);
        QVERIFY(!lf.at(i).flag);
    }
    QCOMPARE(w.window.writeDelay(), 5);

    QVERIFY(!w.window.findChild<FunctionDlg *>());
    QVERIFY(w.hexaGroup()->isHidden());
    QVERIFY(!w.action("actionHexa_Mode")->isChecked());
    QVERIFY(w.action("actionEnter_with_Return")->isChecked());
    QVERIFY(w.action("actionTimestamps_Off")->isChecked());
    QVERIFY(!w.console()->deviceColours());
    QVERIFY(!w.action("actionTerminal_Keys")->isChecked());
    QCOMPARE(w.window.statusBar()->currentMessage(),
             QStringLiteral("getting previews settings..."));
}

// The function-key table has no editor yet, so it enters through the store
// and must come back from the first window's close unchanged.
void TestSettings::roundTrip()
{
    QVariantMap table;
    for (int n = 1; n <= 12; ++n) {
        table.insert(numbered('F', n), QStringLiteral("cmd %1").arg(n));
        table.insert(numbered('C', n), n % 2 == 0);
        table.insert(numbered('L', n), n % 3 == 0);
    }
    table.insert(QStringLiteral("delay"), QStringLiteral("17"));
    writeStore(table);

    const QFont font(QStringLiteral("DejaVu Sans Mono"), 14, QFont::Bold, true);
    {
        Window first;
        first.window.move(40, 30);
        first.window.resize(700, 520);
        first.action("action_Toolbar")->setChecked(true);
        first.action("actionHexa_Mode")->setChecked(true);
        first.action("actionTimestamps_Since_Previous")->trigger();
        first.action("actionDevice_Colours")->setChecked(true);
        first.action("actionTerminal_Keys")->setChecked(true);
        first.console()->setTermFont(font);
        first.console()->setFontColor(QColor(0x12, 0x34, 0x56));
        first.console()->setBackColor(QColor(0xab, 0xcd, 0xef));
        QCOMPARE(first.window.writeDelay(), 17);
        first.window.close();
        QCOMPARE(first.window.statusBar()->currentMessage(),
                 QStringLiteral("store current settings..."));
    }

    QCOMPARE(storedValue(QStringLiteral("timestamps")).toInt(), 2);
    QVERIFY(storedValue(QStringLiteral("terminalkeys")).toBool());

    Window second;
    QCOMPARE(second.window.pos(), QPoint(40, 30));
    QCOMPARE(second.window.size(), QSize(700, 520));
    QVERIFY(second.action("action_Toolbar")->isChecked());
    QVERIFY(second.toolBar()->isHidden());
    QVERIFY(second.action("actionHexa_Mode")->isChecked());
    QVERIFY(!second.hexaGroup()->isHidden());
    QVERIFY(second.action("actionTimestamps_Since_Previous")->isChecked());
    QCOMPARE(second.console()->timestampMode(), TimestampMode::SincePrevious);
    QVERIFY(second.console()->deviceColours());
    QVERIFY(second.action("actionTerminal_Keys")->isChecked());

    const QFont loaded = second.console()->termFont();
    QCOMPARE(loaded.family(), font.family());
    QCOMPARE(loaded.pointSize(), 14);
    QCOMPARE(QtCompat::legacyWeight(loaded), 75);
    QCOMPARE(loaded.style(), QFont::StyleItalic);
    QCOMPARE(second.console()->fontColor(), QColor(0x12, 0x34, 0x56));
    QCOMPARE(second.console()->backColor(), QColor(0xab, 0xcd, 0xef));

    const FunctionKeyList keys = second.window.functionKeyList();
    const FunctionFlagList cr = second.window.crFlagList();
    const FunctionFlagList lf = second.window.lfFlagList();
    QCOMPARE(keys.size(), 12);
    for (int i = 0; i < 12; ++i) {
        const int n = i + 1;
        QCOMPARE(keys.at(i).key, int(Qt::Key_F1) + i);
        QCOMPARE(keys.at(i).text, QStringLiteral("cmd %1").arg(n));
        QCOMPARE(cr.at(i).flag, n % 2 == 0);
        QCOMPARE(lf.at(i).flag, n % 3 == 0);
    }
    QCOMPARE(second.window.writeDelay(), 17);
}

// One file read by a Qt 5 and a Qt 6 build: Qt 5 escaped what is past ASCII
// (F1), Qt 6 writes UTF-8 (F2), the weight is on Qt 5's scale; and each
// build writes it back the same way, in UTF-8.
void TestSettings::fileSharedByBothQtBuilds()
{
#ifdef Q_OS_WIN
    QSKIP("the native store is the registry here, not a file");
#endif
    const QString path = openStore()->fileName();
    QVERIFY(QDir().mkpath(QFileInfo(path).path()));
    QFile::remove(path);
    QVERIFY(QFile::copy(QStringLiteral(TARNTERM_SETTINGS_DIR "/shared.conf"), path));
    QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner));
    {
        Window w;
        const QFont font = w.console()->termFont();
        QCOMPARE(font.family(), QStringLiteral("DejaVu Sans Mono"));
        QCOMPARE(font.pointSize(), 13);
        QCOMPARE(QtCompat::legacyWeight(font), 63);
        QCOMPARE(font.style(), QFont::StyleItalic);
        QCOMPARE(w.console()->fontColor(), QColor(0x12, 0x34, 0x56));
        QCOMPARE(w.window.functionKeyList().at(0).text, QString::fromUtf8("temp \xc2\xb5V"));
        QCOMPARE(w.window.functionKeyList().at(1).text, QString::fromUtf8("28 \xc2\xb0" "C"));
        QVERIFY(w.window.crFlagList().at(0).flag);
        QVERIFY(w.window.lfFlagList().at(1).flag);
        QCOMPARE(w.window.writeDelay(), 17);
        QCOMPARE(w.console()->timestampMode(), TimestampMode::SincePrevious);
        QVERIFY(w.action("actionTerminal_Keys")->isChecked());
        w.window.close();
    }
    QFile written(path);
    QVERIFY(written.open(QIODevice::ReadOnly));
    const QByteArray text = written.readAll();
    QVERIFY2(text.contains("\nF1=temp \xc2\xb5V\n"), text.constData());
    QVERIFY2(text.contains("\nF2=28 \xc2\xb0" "C\n"), text.constData());
    QVERIFY2(text.contains("\nfontweight=63\n"), text.constData());
}

void TestSettings::positionAndSize_data()
{
    QTest::addColumn<QVariant>("pos");
    QTest::addColumn<QVariant>("size");
    QTest::addColumn<QPoint>("expectedPos");
    QTest::addColumn<QSize>("expectedSize");

    QTest::newRow("origin") << QVariant(QPoint(0, 0)) << QVariant(QSize(700, 500)) << QPoint(25, 25)
                            << QSize(700, 500);
    QTest::newRow("only x zero") << QVariant(QPoint(0, 60)) << QVariant(QSize(700, 500))
                                 << QPoint(0, 60) << QSize(700, 500);
    QTest::newRow("only y zero") << QVariant(QPoint(60, 0)) << QVariant(QSize(700, 500))
                                 << QPoint(60, 0) << QSize(700, 500);
    QTest::newRow("negative position") << QVariant(QPoint(-30, -40)) << QVariant(QSize(700, 500))
                                       << QPoint(-30, -40) << QSize(700, 500);
    QTest::newRow("zero width") << QVariant(QPoint(10, 20)) << QVariant(QSize(0, 600))
                                << QPoint(10, 20) << QSize(800, 600);
    QTest::newRow("zero height") << QVariant(QPoint(10, 20)) << QVariant(QSize(900, 0))
                                 << QPoint(10, 20) << QSize(800, 600);
    QTest::newRow("negative width") << QVariant(QPoint(10, 20)) << QVariant(QSize(-1, 700))
                                    << QPoint(10, 20) << QSize(800, 600);
    QTest::newRow("wrong kinds") << QVariant(QStringLiteral("left")) << QVariant(42)
                                 << QPoint(25, 25) << QSize(800, 600);
    // The offscreen platform's one screen: 800 by 600 in Qt 5, 800 by 800 in Qt 6.
    const QSize screen = QGuiApplication::primaryScreen()->availableGeometry().size();
    QTest::newRow("larger than the screen") << QVariant(QPoint(10, 20))
                                            << QVariant(QSize(30000, 30000)) << QPoint(10, 20)
                                            << screen;
    QTest::newRow("off every screen") << QVariant(QPoint(3000, 2000)) << QVariant(QSize(700, 500))
                                      << QPoint(screen.width() - 700, screen.height() - 500)
                                      << QSize(700, 500);
    QTest::newRow("above and left of it") << QVariant(QPoint(-900, -700))
                                          << QVariant(QSize(700, 500)) << QPoint(0, 0)
                                          << QSize(700, 500);
}

void TestSettings::positionAndSize()
{
    QFETCH(QVariant, pos);
    QFETCH(QVariant, size);
    QFETCH(QPoint, expectedPos);
    QFETCH(QSize, expectedSize);

    writeStore({{QStringLiteral("pos"), pos}, {QStringLiteral("size"), size}});
    Window w;
    QCOMPARE(w.window.pos(), expectedPos);
    QCOMPARE(w.window.size(), expectedSize);
}

void TestSettings::font_data()
{
    QTest::addColumn<QVariantMap>("stored");
    QTest::addColumn<QString>("family");
    QTest::addColumn<int>("pointSize");
    QTest::addColumn<int>("weight");
    QTest::addColumn<bool>("italic");

    QTest::newRow("size and weight 0")
        << QVariantMap{{QStringLiteral("fontfamily"), QStringLiteral("Mono Sans")},
                       {QStringLiteral("fontsize"), 0},
                       {QStringLiteral("fontweight"), 0}}
        << QStringLiteral("Mono Sans") << 10 << 50 << false;
    QTest::newRow("all stored")
        << QVariantMap{{QStringLiteral("fontfamily"), QStringLiteral("Mono Sans")},
                       {QStringLiteral("fontsize"), 13},
                       {QStringLiteral("fontweight"), 63},
                       {QStringLiteral("fontstyle"), true}}
        << QStringLiteral("Mono Sans") << 13 << 63 << true;
    QTest::newRow("empty family")
        << QVariantMap{{QStringLiteral("fontfamily"), QString()}, {QStringLiteral("fontsize"), 8}}
        << QStringLiteral("Courier New") << 8 << 50 << false;
    QTest::newRow("non-numeric size and weight")
        << QVariantMap{{QStringLiteral("fontsize"), QStringLiteral("big")},
                       {QStringLiteral("fontweight"), QStringLiteral("bold")}}
        << QStringLiteral("Courier New") << 10 << 50 << false;
}

void TestSettings::font()
{
    QFETCH(QVariantMap, stored);
    QFETCH(QString, family);
    QFETCH(int, pointSize);
    QFETCH(int, weight);
    QFETCH(bool, italic);

    writeStore(stored);
    Window w;
    const QFont font = w.console()->termFont();
    QCOMPARE(font.family(), family);
    QCOMPARE(font.pointSize(), pointSize);
    QCOMPARE(QtCompat::legacyWeight(font), weight);
    QCOMPARE(font.style() == QFont::StyleItalic, italic);
}

void TestSettings::delay_data()
{
    QTest::addColumn<QVariant>("stored");
    QTest::addColumn<int>("expected");

    QTest::newRow("absent") << QVariant() << 5;
    QTest::newRow("decimal text") << QVariant(QStringLiteral("250")) << 250;
    QTest::newRow("zero text") << QVariant(QStringLiteral("0")) << 0;
    QTest::newRow("non-numeric text") << QVariant(QStringLiteral("slow")) << 0;
    QTest::newRow("empty text") << QVariant(QString()) << 0;
    QTest::newRow("integer") << QVariant(12) << 12;
}

void TestSettings::delay()
{
    QFETCH(QVariant, stored);
    QFETCH(int, expected);

    if (stored.isValid())
        writeStore({{QStringLiteral("delay"), stored}});
    Window w;
    QCOMPARE(w.window.writeDelay(), expected);
}

void TestSettings::delayStoredAsText()
{
    {
        Window w;
        w.window.close();
    }
    const QVariant stored = storedValue(QStringLiteral("delay"));
    QCOMPARE(stored.userType(), int(QMetaType::QString));
    QCOMPARE(stored.toString(), QStringLiteral("5"));
}

// Each key's number is its place in the list: F3's text goes under "F3",
// its flags under "C3" and "L3".
void TestSettings::functionKeysByNumber()
{
    writeStore({{QStringLiteral("F3"), QStringLiteral("third")},
                {QStringLiteral("C3"), true},
                {QStringLiteral("L12"), true},
                {QStringLiteral("F12"), QStringLiteral("last")}});
    {
        Window w;
        const FunctionKeyList keys = w.window.functionKeyList();
        QCOMPARE(keys.at(2).key, int(Qt::Key_F3));
        QCOMPARE(keys.at(2).text, QStringLiteral("third"));
        QVERIFY(w.window.crFlagList().at(2).flag);
        QVERIFY(!w.window.lfFlagList().at(2).flag);
        QCOMPARE(keys.at(11).text, QStringLiteral("last"));
        QVERIFY(w.window.lfFlagList().at(11).flag);
        QVERIFY(!w.window.crFlagList().at(11).flag);
        QVERIFY(keys.at(0).text.isEmpty());
        w.window.close();
    }
    QCOMPARE(storedValue(QStringLiteral("F3")).toString(), QStringLiteral("third"));
    QCOMPARE(storedValue(QStringLiteral("F12")).toString(), QStringLiteral("last"));
    QCOMPARE(storedValue(QStringLiteral("F1")).toString(), QString());
    QVERIFY(storedValue(QStringLiteral("C3")).toBool());
    QVERIFY(!storedValue(QStringLiteral("L3")).toBool());
    QVERIFY(storedValue(QStringLiteral("L12")).toBool());
    QVERIFY(!storedValue(QStringLiteral("C12")).toBool());
    QVERIFY(!openStore()->contains(QStringLiteral("F13")));
    QVERIFY(!openStore()->contains(QStringLiteral("F0")));
}

void TestSettings::toolbarHidden_data()
{
    QTest::addColumn<bool>("stored");
    QTest::newRow("hidden") << true;
    QTest::newRow("shown") << false;
}

void TestSettings::toolbarHidden()
{
    QFETCH(bool, stored);

    writeStore({{QStringLiteral("viewtoolbar"), stored}});
    Window w;
    QCOMPARE(w.action("action_Toolbar")->isChecked(), stored);
    QCOMPARE(w.toolBar()->isHidden(), stored);
    w.window.show();
    QCOMPARE(w.toolBar()->isVisible(), !stored);
    w.action("action_Toolbar")->toggle();
    QCOMPARE(w.toolBar()->isVisible(), stored);
}

// The main window's context menu uses the bar's own toggle action.
void TestSettings::toolbarHiddenFromContextMenu()
{
    {
        Window w;
        w.window.show();
        w.toolBar()->toggleViewAction()->trigger();
        QVERIFY(w.action("action_Toolbar")->isChecked());
        w.window.close();
    }
    QVERIFY(storedValue(QStringLiteral("viewtoolbar")).toBool());
}

void TestSettings::unreadableColours()
{
    writeStore({{QStringLiteral("fontcolor"), QStringLiteral("no such colour")},
                {QStringLiteral("backcolor"), QStringLiteral("#12345")}});
    {
        Window w;
        QCOMPARE(w.console()->fontColor(), QColor(255, 255, 255));
        QVERIFY(!w.console()->backColor().isValid());
        QCOMPARE(w.console()->styleSheet(),
                 QStringLiteral("QTextEdit { font:50 10pt \"Courier New\";color:rgb(255,255,255);"
                                "background-color:rgb(0,0,0); }"));
        w.window.close();
    }
    QCOMPARE(storedValue(QStringLiteral("fontcolor")).toString(), QStringLiteral("#ffffff"));
    QCOMPARE(storedValue(QStringLiteral("backcolor")).toString(), QStringLiteral("#000000"));
}

void TestSettings::hexMode_data()
{
    QTest::addColumn<QVariant>("stored");
    QTest::addColumn<bool>("on");

    QTest::newRow("on") << QVariant(true) << true;
    QTest::newRow("off") << QVariant(false) << false;
    QTest::newRow("absent") << QVariant() << false;
}

void TestSettings::hexMode()
{
    QFETCH(QVariant, stored);
    QFETCH(bool, on);

    if (stored.isValid())
        writeStore({{QStringLiteral("isHexamode"), stored}});
    {
        Window w;
        QCOMPARE(w.action("actionHexa_Mode")->isChecked(), on);
        QCOMPARE(w.hexaGroup()->isHidden(), !on);
        w.window.close();
    }
    QCOMPARE(storedValue(QStringLiteral("isHexamode")).toBool(), on);
}

void TestSettings::enterWithReturnOnEveryStart()
{
    {
        Window w;
        w.action("actionEnter_with_Return")->setChecked(false);
        w.window.close();
    }
    Window again;
    QVERIFY(again.action("actionEnter_with_Return")->isChecked());
}


// Every run starts by following the output.
void TestSettings::holdOutputOnNoStart()
{
    {
        Window w;
        w.action("actionHold_Output")->setChecked(true);
        QVERIFY(w.console()->holdOutput());
        w.window.close();
    }
    Window w;
    QVERIFY(!w.action("actionHold_Output")->isChecked());
    QVERIFY(!w.console()->holdOutput());
}

// An X11 logout can take the display away before the window is closed.
void TestSettings::changedOptionStoredWithoutClosing_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");

    QTest::newRow("hex mode") << "actionHexa_Mode" << "isHexamode" << "true";
    QTest::newRow("timestamps") << "actionTimestamps_Clock" << "timestamps" << "1";
    QTest::newRow("terminal keys") << "actionTerminal_Keys" << "terminalkeys" << "true";
    QTest::newRow("device colours") << "actionDevice_Colours" << "devicecolours" << "true";
    QTest::newRow("utf-8") << "actionUTF_8" << "utf8" << "true";
    QTest::newRow("line editing") << "actionLine_Editing" << "lineediting" << "true";
    QTest::newRow("tool bar") << "action_Toolbar" << "viewtoolbar" << "true";
    QTest::newRow("font colour") << "action_FontColor" << "fontcolor" << "#123456";
    QTest::newRow("function keys applied") << "actionFunction_Settings" << "F1" << "ATZ";
}

void TestSettings::changedOptionStoredWithoutClosing()
{
    QFETCH(QString, action);
    QFETCH(QString, key);
    QFETCH(QString, value);
    Window w;
    w.console()->setAppearancePicker(std::make_shared<OneColourPicker>());
    w.action(action.toLatin1().constData())->trigger();
    if (auto *dialog = w.window.findChild<FunctionDlg *>()) {
        dialog->lineEdits.at(0)->setText(QStringLiteral("ATZ"));
        emit dialog->applyRequested();
    }
    // Not at once: a burst of changes is written once.
    QVERIFY(!openStore()->contains(key));
    QTRY_COMPARE(storedValue(key).toString(), value);
}

QTEST_MAIN(TestSettings)
#include "tst_settings.moc"
