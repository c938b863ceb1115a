#include "connectionbar.h"
#include "hexview.h"
#include "messagelog.h"
#include "pacedsender.h"
#include "serialport.h"
#include "tarnterm.h"
#include "terminalfixture.h"
#include "testenvironment.h"
#include "zividview.h"

#include <QAction>
#include <QClipboard>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QLoggingCategory>
#include <QPushButton>
#include <QSettings>
#include <QSocketNotifier>
#include <QSpinBox>
#include <QStatusBar>
#include <QtTest>

#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <poll.h>
#include <thread>
#include <unistd.h>

namespace {

const QString writeFailed = QStringLiteral("Can't write through the serial port.");

// Reads what the terminal writes to the device as it arrives. It runs inside
// the terminal's paced wait, so a test can act in the middle of a send
// through onByte.
class LineRecorder
{
public:
    explicit LineRecorder(int fd)
        : m_fd(fd)
        , m_notifier(fd, QSocketNotifier::Read)
    {
        QObject::connect(&m_notifier, &QSocketNotifier::activated, [this] { readNow(); });
    }

    void readNow()
    {
        char buffer[256];
        ssize_t n;
        while ((n = ::read(m_fd, buffer, sizeof buffer)) > 0) {
            for (ssize_t i = 0; i < n; ++i) {
                bytes.append(buffer[i]);
                if (onByte)
                    onByte(bytes.size());
            }
        }
    }

    QByteArray bytes;
    std::function<void(int)> onByte;

private:
    int m_fd;
    QSocketNotifier m_notifier;
};

// Times the bytes on the line from a thread of its own, so that what the
// window's event loop is busy with does not blur when each byte came. On a
// loaded machine the thread may still wake a few milliseconds late, so gaps
// are checked against half the delay.
class LineClock
{
public:
    explicit LineClock(int fd)
        : m_thread([this, fd] { run(fd); })
    {
    }
    ~LineClock()
    {
        m_stop = true;
        m_thread.join();
    }

    QByteArray bytes() const
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_bytes;
    }
    // Shortest gap in milliseconds between two consecutive bytes from index from on.
    double shortestGap(int from = 0) const
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        double gap = 1e9;
        for (size_t i = size_t(from) + 1; i < m_times.size(); ++i)
            gap = std::min(gap, std::chrono::duration<double, std::milli>(m_times[i] - m_times[i - 1]).count());
        return gap;
    }

private:
    void run(int fd)
    {
        while (!m_stop) {
            pollfd waiting {fd, POLLIN, 0};
            if (::poll(&waiting, 1, 5) <= 0)
                continue;
            char buffer[256];
            const ssize_t n = ::read(fd, buffer, sizeof buffer);
            const auto now = std::chrono::steady_clock::now();
            std::lock_guard<std::mutex> lock(m_mutex);
            for (ssize_t i = 0; i < n; ++i) {
                m_bytes.append(buffer[i]);
                m_times.push_back(now);
            }
        }
    }

    mutable std::mutex m_mutex;
    QByteArray m_bytes;
    std::vector<std::chrono::steady_clock::time_point> m_times;
    std::atomic<bool> m_stop {false};
    std::thread m_thread;
};

void press(ZIvidView *console, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier,
           const QString &text = QString())
{
    QKeyEvent event(QEvent::KeyPress, key, modifiers, text);
    QApplication::sendEvent(console, &event);
}

void paste(ZIvidView *console, const QString &text)
{
    QGuiApplication::clipboard()->setText(text);
    console->paste();
}

} // namespace

// What the device sends reaching both views, and what the user types, pastes
// and presses reaching the device.
class DataPathTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { initTestEnvironment(); }
    void init() { settingsStore().clear(); }

    void receivedBytesReachBothViews();
    void hexContentGrowsOutOfSight();
    void linesKeepTheirArrivalTime();
    void typedKeys_data();
    void typedKeys();
    void ignoredKeysSendAndLogNothing();
    void functionKeys_data();
    void functionKeys();
    void functionKeyPressedAgainOrHeld_data();
    void functionKeyPressedAgainOrHeld();
    void pasteIsPaced();
    void charactersOutsideLatin1();
    void charactersInUtf8();
    void keyWithoutTextSendsNothing();
    void keyDuringPacedSendGoesBetweenItsBytes();
    void newDelayAppliesFromTheNextByte();
    void portVanishingStopsPacedSend();
    void fullLineHoldsBackALargePaste();
    void keysWithoutPortGoNowhere();
    void typedAndPastedTextStaysOutOfTheLog();
};

void DataPathTest::receivedBytesReachBothViews()
{
    TerminalFixture terminal;
    QVERIFY(terminal.plugAndConnect());
    MessageLog log;
    QVERIFY(terminal.device.write(QByteArray("A\0B\bD", 5)));
    QTRY_COMPARE(terminal.hexView()->data(), QByteArray("A\0B\bD", 5));
    QTRY_COMPARE(terminal.console()->toPlainText(), QStringLiteral("AD"));
    // Every received byte in the log is asked for, never the default.
    QVERIFY(!log.contains(QStringLiteral("TarnTerm::readComm() : ")));
    QLoggingCategory::setFilterRules(QStringLiteral("tarnterm.receive.debug=true"));
    QVERIFY(terminal.device.write("E"));
    QTRY_VERIFY(log.contains(QStringLiteral("TarnTerm::readComm() : ")));
    QLoggingCategory::setFilterRules(QString());
}

void DataPathTest::hexContentGrowsOutOfSight()
{
    TerminalFixture terminal;
    auto *hexa = terminal.window()->findChild<QAction *>(QStringLiteral("actionHexa_Mode"));
    auto *hexaGroup = terminal.window()->findChild<QGroupBox *>(QStringLiteral("hexaGroup"));
    QVERIFY(!hexa->isChecked());
    QVERIFY(terminal.plugAndConnect());

    QVERIFY(terminal.device.write("first\r\n"));
    QTRY_COMPARE(terminal.hexView()->data(), QByteArray("first\r\n"));
    QVERIFY(!hexaGroup->isVisible());

    const QString text = terminal.console()->toPlainText();
    hexa->trigger();
    QVERIFY(hexaGroup->isVisible() && terminal.hexView()->isVisible());
    QCOMPARE(terminal.hexView()->data(), QByteArray("first\r\n"));
    QCOMPARE(terminal.console()->toPlainText(), text);
    hexa->trigger();
    QCOMPARE(terminal.hexView()->data(), QByteArray("first\r\n"));
    QCOMPARE(terminal.console()->toPlainText(), text);

    QMetaObject::invokeMethod(terminal.window(), "clearScreen");
    QVERIFY(terminal.hexView()->data().isEmpty());
    QVERIFY(terminal.console()->toPlainText().isEmpty());
    QVERIFY(terminal.device.write("x"));
    QTRY_COMPARE(terminal.hexView()->data(), QByteArray("x"));
}

// The clock is read as each batch arrives, not when the console shows it:
// here it tells how many bytes came before.
void DataPathTest::linesKeepTheirArrivalTime()
{
    TerminalFixture terminal;
    const qint64 base = QDateTime(QDate(2024, 5, 6), QTime(10, 0)).toMSecsSinceEpoch();
    HexView *hex = terminal.hexView();
    terminal.window()->setArrivalClock([base, hex] { return base + hex->data().size() * 1000; });
    terminal.console()->setTimestampMode(TimestampMode::Clock);
    QVERIFY(terminal.plugAndConnect());
    QVERIFY(terminal.device.write("one\n"));
    QTRY_COMPARE(hex->data(), QByteArray("one\n"));
    QVERIFY(terminal.device.write("two\n"));
    QTRY_COMPARE(terminal.console()->toPlainText(), QStringLiteral("one\ntwo\n"));
    QCOMPARE(terminal.console()->timestampLabel(0), QStringLiteral("10:00:00.000"));
    QCOMPARE(terminal.console()->timestampLabel(1), QStringLiteral("10:00:04.000"));
}

void DataPathTest::typedKeys_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<QString>("text"); // as a keyboard reports it
    QTest::addColumn<bool>("enterWithReturn");
    QTest::addColumn<bool>("terminalKeys");
    QTest::addColumn<QByteArray>("bytes");

    const int none = Qt::NoModifier;
    const int shift = Qt::ShiftModifier;
    const int ctrlShift = Qt::ControlModifier | Qt::ShiftModifier;
    const int alt = Qt::AltModifier;
    const int ctrlAlt = Qt::ControlModifier | Qt::AltModifier;
    const int keypad = Qt::KeypadModifier;
    QTest::newRow("a") << int(Qt::Key_A) << none << "a" << true << false << QByteArray("a");
    QTest::newRow("return, mode on") << int(Qt::Key_Return) << none << "\r" << true << false << QByteArray("\r\n");
    QTest::newRow("return, mode off") << int(Qt::Key_Return) << none << "\r" << false << false << QByteArray("\r");
    QTest::newRow("keypad enter, mode on") << int(Qt::Key_Enter) << int(Qt::KeypadModifier) << "\r" << true << false << QByteArray("\r\n");
    QTest::newRow("shift+return") << int(Qt::Key_Return) << shift << "\r" << true << false << QByteArray("\r\n");
    QTest::newRow("ctrl+return") << int(Qt::Key_Return) << int(Qt::ControlModifier) << "" << true << false << QByteArray("\r\n");
    QTest::newRow("backspace") << int(Qt::Key_Backspace) << none << "\b" << true << false << QByteArray("\b");
    QTest::newRow("ctrl+v") << int(Qt::Key_V) << int(Qt::ControlModifier) << "\x16" << true << false << QByteArray("\x16");
    // Without terminal keys the chords are keys like any other.
    QTest::newRow("ctrl+shift+c") << int(Qt::Key_C) << ctrlShift << "\x03" << true << false << QByteArray("\x03");
    QTest::newRow("ctrl+shift+v") << int(Qt::Key_V) << ctrlShift << "\x16" << true << false << QByteArray("\x16");
    QTest::newRow("alt+b") << int(Qt::Key_B) << alt << "b" << true << false << QByteArray("b");

    struct Sequence { const char *name; Qt::Key key; int modifiers; const char *text; const char *bytes; };
    const Sequence sequences[] = {
        {"up", Qt::Key_Up, none, "", "\x1b[A"}, {"down", Qt::Key_Down, none, "", "\x1b[B"},
        {"right", Qt::Key_Right, none, "", "\x1b[C"}, {"left", Qt::Key_Left, none, "", "\x1b[D"},
        {"home", Qt::Key_Home, none, "", "\x1b[H"}, {"end", Qt::Key_End, none, "", "\x1b[F"},
        {"delete", Qt::Key_Delete, none, "\x7f", "\x1b[3~"}, {"page up", Qt::Key_PageUp, none, "", "\x1b[5~"},
        {"page down", Qt::Key_PageDown, none, "", "\x1b[6~"}, {"tab", Qt::Key_Tab, none, "\t", "\t"},
        {"escape", Qt::Key_Escape, none, "\x1b", "\x1b"}, {"shift+tab", Qt::Key_Backtab, shift, "", "\x1b[Z"},
        {"a", Qt::Key_A, none, "a", "a"}, {"ctrl+shift+c copies", Qt::Key_C, ctrlShift, "\x03", ""},
        {"ctrl+shift+v pastes", Qt::Key_V, ctrlShift, "\x16", "clip"},
        {"shift+insert pastes", Qt::Key_Insert, shift, "", "clip"},
        {"return", Qt::Key_Return, none, "\r", "\r"}, {"keypad enter", Qt::Key_Enter, keypad, "\r", "\r"},
        {"alt+b", Qt::Key_B, alt, "b", "\x1b" "b"}, {"alt+shift+b", Qt::Key_B, alt | shift, "B", "\x1b" "B"},
        {"alt+.", Qt::Key_Period, alt, ".", "\x1b."}, {"alt+backspace", Qt::Key_Backspace, alt, "\b", "\x1b\b"},
        {"alt+return", Qt::Key_Return, alt, "\r", "\x1b\r"}, {"ctrl+alt+b", Qt::Key_B, ctrlAlt, "\x02", "\x1b\x02"},
        {"altgr as ctrl+alt", Qt::Key_Q, ctrlAlt, "@", "@"}, {"alt+d, a menu's", Qt::Key_D, alt, "d", ""},
        {"alt+m, a menu's", Qt::Key_M, alt, "m", ""},
    };
    for (const Sequence &s : sequences) {
        QTest::newRow(qPrintable(QStringLiteral("terminal keys: ") + QLatin1String(s.name)))
            << int(s.key) << s.modifiers << QString::fromLatin1(s.text) << true << true << QByteArray(s.bytes);
    }
}

void DataPathTest::typedKeys()
{
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(QString, text);
    QFETCH(bool, enterWithReturn);
    QFETCH(bool, terminalKeys);

    QGuiApplication::clipboard()->setText(QStringLiteral("clip"));
    TerminalFixture terminal;
    QVERIFY(terminal.plugAndConnect());
    auto *mode = terminal.window()->findChild<QAction *>(QStringLiteral("actionEnter_with_Return"));
    mode->setChecked(enterWithReturn);
    terminal.window()->findChild<QAction *>(QStringLiteral("actionTerminal_Keys"))->setChecked(terminalKeys);
    QTest::sendKeyEvent(QTest::Click, terminal.console(), Qt::Key(key), text,
                        Qt::KeyboardModifiers(modifiers));
    QFETCH(QByteArray, bytes);
    QCOMPARE(terminal.device.readAtLeast(bytes.size(), 2000), bytes);
    QCOMPARE(terminal.device.readAtLeast(1, 50), QByteArray());
}

void DataPathTest::ignoredKeysSendAndLogNothing()
{
    TerminalFixture terminal;
    QVERIFY(terminal.plugAndConnect());
    MessageLog log;
    const QList<Qt::Key> ignored {Qt::Key_Escape, Qt::Key_Tab, Qt::Key_Backtab, Qt::Key_Insert,
        Qt::Key_Delete, Qt::Key_Pause, Qt::Key_Print, Qt::Key_SysReq, Qt::Key_Clear, Qt::Key_Home,
        Qt::Key_End, Qt::Key_Left, Qt::Key_Up, Qt::Key_Right, Qt::Key_Down, Qt::Key_PageUp,
        Qt::Key_PageDown, Qt::Key_Shift, Qt::Key_Control, Qt::Key_Meta, Qt::Key_Alt,
        Qt::Key_CapsLock, Qt::Key_NumLock, Qt::Key_ScrollLock};
    QCOMPARE(ignored.size(), 24);
    for (Qt::Key key : ignored)
        QTest::keyClick(terminal.console(), key);
    QCOMPARE(terminal.device.readAtLeast(1, 100), QByteArray());
    QCOMPARE(log.count(QStringLiteral("keycode")), 0);
    QVERIFY(terminal.status() != writeFailed);
}

void DataPathTest::functionKeys_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<bool>("cr");
    QTest::addColumn<bool>("lf");
    QTest::addColumn<QByteArray>("bytes");

    QTest::newRow("cr") << "AT" << true << false << QByteArray("AT\r");
    QTest::newRow("cr and lf") << "AT" << true << true << QByteArray("AT\r\n");
    QTest::newRow("cr already there") << "A\rT" << true << false << QByteArray("A\rT");
    QTest::newRow("empty with lf") << "" << false << true << QByteArray("\n");
    QTest::newRow("spaces kept") << " x " << false << false << QByteArray(" x ");
}

void DataPathTest::functionKeys()
{
    QFETCH(QString, command);
    QFETCH(bool, cr);
    QFETCH(bool, lf);
    QFETCH(QByteArray, bytes);
    {
        QSettings settings = settingsStore();
        settings.setValue(QStringLiteral("F3"), command);
        settings.setValue(QStringLiteral("C3"), cr);
        settings.setValue(QStringLiteral("L3"), lf);
        settings.setValue(QStringLiteral("delay"), QStringLiteral("20"));
    }
    TerminalFixture terminal;
    QVERIFY(terminal.plugAndConnect());
    LineClock line(terminal.device.masterFd());
    QElapsedTimer clock;
    clock.start();
    QTest::keyClick(terminal.console(), Qt::Key_F3);
    QTRY_COMPARE(line.bytes(), bytes);
    // The send waits after every byte, the last one included.
    const auto *sender = terminal.window()->findChild<PacedSender *>();
    QTRY_VERIFY(!sender->isBusy());
    QVERIFY(clock.elapsed() >= 20 * bytes.size());
}

void DataPathTest::functionKeyPressedAgainOrHeld_data()
{
    QTest::addColumn<QList<bool>>("autoRepeats");
    QTest::addColumn<QByteArray>("bytes");

    QTest::newRow("pressed three times") << QList<bool> {false, false, false} << QByteArray("AT\rAT\rAT\r");
    // The first press goes out at once, one repeat queues behind it.
    QTest::newRow("held") << QList<bool> {false, true, true, true} << QByteArray("AT\rAT\r");
}

void DataPathTest::functionKeyPressedAgainOrHeld()
{
    QFETCH(QList<bool>, autoRepeats);
    settingsStore().setValue(QStringLiteral("F1"), QStringLiteral("AT"));
    settingsStore().setValue(QStringLiteral("C1"), true);
    TerminalFixture terminal;
    QVERIFY(terminal.plugAndConnect());
    LineRecorder line(terminal.device.masterFd());
    for (bool autoRepeat : qAsConst(autoRepeats)) {
        QKeyEvent event(QEvent::KeyPress, Qt::Key_F1, Qt::NoModifier, QString(), autoRepeat);
        QApplication::sendEvent(terminal.console(), &event);
    }
    QTRY_VERIFY(!terminal.window()->findChild<PacedSender *>()->isBusy());
    line.readNow();
    QTEST(line.bytes, "bytes");
}

void DataPathTest::pasteIsPaced()
{
    settingsStore().setValue(QStringLiteral("delay"), QStringLiteral("20"));
    TerminalFixture terminal;
    QVERIFY(terminal.plugAndConnect());
    // A thread starved by a busy machine can see two bytes as one arrival, so
    // the pacing only has to show in one of three sends.
    double bestGap = 0;
    for (int attempt = 0; attempt < 3 && bestGap < 10; ++attempt) {
        LineClock line(terminal.device.masterFd());
        paste(terminal.console(), QStringLiteral("ab\nd"));
        QTRY_COMPARE(line.bytes(), QByteArray("ab\nd"));
        bestGap = std::max(bestGap, line.shortestGap());
    }
    QVERIFY2(bestGap >= 10, qPrintable(QString::number(bestGap)));
}

// Typed, they become '?'; pasted or in a function-key command, 0x00.
void DataPathTest::charactersOutsideLatin1()
{
    settingsStore().setValue(QStringLiteral("F1"), QStringLiteral("x\u20ac"));
    settingsStore().setValue(QStringLiteral("delay"), QStringLiteral("0"));
    TerminalFixture terminal;
    QVERIFY(terminal.plugAndConnect());
    press(terminal.console(), Qt::Key_unknown, Qt::NoModifier, QStringLiteral("\u20ac"));
    QCOMPARE(terminal.device.readAtLeast(1), QByteArray("?"));
    paste(terminal.console(), QStringLiteral("\u20ac\u00e9"));
    QCOMPARE(terminal.device.readAtLeast(2), QByteArray("\0\xe9", 2));
    QTest::keyClick(terminal.console(), Qt::Key_F1);
    QCOMPARE(terminal.device.readAtLeast(2), QByteArray("x\0", 2));
}

// The option as stored reaches the keys, the pastes and the function keys.
void DataPathTest::charactersInUtf8()
{
    settingsStore().setValue(QStringLiteral("F1"), QStringLiteral("x\u20ac"));
    settingsStore().setValue(QStringLiteral("delay"), QStringLiteral("0"));
    settingsStore().setValue(QStringLiteral("utf8"), true);
    TerminalFixture terminal;
    QVERIFY(terminal.plugAndConnect());
    press(terminal.console(), Qt::Key_unknown, Qt::NoModifier, QStringLiteral("\u20ac"));
    QCOMPARE(terminal.device.readAtLeast(3), QByteArray("\xe2\x82\xac"));
    paste(terminal.console(), QStringLiteral("\u00e9\u20ac"));
    QCOMPARE(terminal.device.readAtLeast(5), QByteArray("\xc3\xa9\xe2\x82\xac"));
    QTest::keyClick(terminal.console(), Qt::Key_F1);
    QCOMPARE(terminal.device.readAtLeast(4), QByteArray("x\xe2\x82\xac"));
}

void DataPathTest::keyWithoutTextSendsNothing()
{
    TerminalFixture terminal;
    QVERIFY(terminal.plugAndConnect());
    const QString status = terminal.status();
    QTest::keyClick(terminal.console(), Qt::Key_F13);
    QTest::keyClick(terminal.console(), Qt::Key_Menu);
    // F5 has no command and no flag.
    QTest::keyClick(terminal.console(), Qt::Key_F5);
    QCOMPARE(terminal.device.readAtLeast(1, 100), QByteArray());
    QCOMPARE(terminal.status(), status);
}

void DataPathTest::keyDuringPacedSendGoesBetweenItsBytes()
{
    settingsStore().setValue(QStringLiteral("delay"), QStringLiteral("10"));
    TerminalFixture terminal;
    QVERIFY(terminal.plugAndConnect());
    LineRecorder line(terminal.device.masterFd());
    line.onByte = [&](int count) {
        if (count == 2)
            QTest::keyClick(terminal.console(), Qt::Key_Z);
    };
    paste(terminal.console(), QStringLiteral("12345"));
    QTRY_COMPARE(line.bytes.size(), 6);
    QCOMPARE(line.bytes.left(2), QByteArray("12"));
    QCOMPARE(line.bytes.at(2), 'z');
    QCOMPARE(line.bytes.mid(3), QByteArray("345"));
}

void DataPathTest::newDelayAppliesFromTheNextByte()
{
    settingsStore().setValue(QStringLiteral("delay"), QStringLiteral("10"));
    settingsStore().setValue(QStringLiteral("ShowFunctionDlg"), true);
    TerminalFixture terminal;
    QVERIFY(terminal.plugAndConnect());
    auto *delayBox = terminal.window()->findChild<QSpinBox *>(QStringLiteral("spinBox_delay"));
    auto *apply = terminal.window()->findChild<QPushButton *>(QStringLiteral("btnApply"));
    if (!delayBox || !apply)
        QFAIL("the function-key dialog did not open");
    LineClock line(terminal.device.masterFd());
    // Apply a new delay once the first three bytes are on the line.
    QTimer watcher;
    QObject::connect(&watcher, &QTimer::timeout, [&] {
        if (line.bytes().size() >= 3 && delayBox->value() != 80) {
            delayBox->setValue(80);
            apply->click();
        }
    });
    watcher.start(1);
    paste(terminal.console(), QStringLiteral("abcdefghi"));
    QTRY_COMPARE(line.bytes(), QByteArray("abcdefghi"));
    QCOMPARE(terminal.window()->writeDelay(), 80);
    QVERIFY2(line.shortestGap(0) < 40, "the first bytes were already sent with the new delay");
    // Applied at the latest during the wait after the seventh byte.
    QVERIFY2(line.shortestGap(6) >= 40, qPrintable(QString::number(line.shortestGap(6))));
}

// The rest of a send is dropped with its device, never sent to the next one,
// and the bar says how much did not go out.
void DataPathTest::portVanishingStopsPacedSend()
{
    settingsStore().setValue(QStringLiteral("delay"), QStringLiteral("5"));
    TerminalFixture terminal;
    QVERIFY(terminal.plugAndConnect());
    LineRecorder line(terminal.device.masterFd());
    line.onByte = [&](int count) {
        if (count == 4) {
            terminal.source.clear();
            terminal.tick();
        }
    };
    paste(terminal.console(), QString(200, QLatin1Char('x')));
    auto *bar = terminal.window()->findChild<ConnectionBar *>();
    QTRY_COMPARE(bar->noticeText(), QStringLiteral("196 bytes of a send were not sent: the device went away."));
    line.readNow();
    QCOMPARE(line.bytes, QByteArray(4, 'x'));
    QVERIFY(!terminal.window()->currentPort());
    // The same device back within the send's next wait gets nothing more.
    QVERIFY(terminal.plugAndConnect());
    QTest::qWait(50);
    line.readNow();
    QCOMPARE(line.bytes.size(), 4);
}

void DataPathTest::fullLineHoldsBackALargePaste()
{
    settingsStore().setValue(QStringLiteral("delay"), QStringLiteral("0"));
    TerminalFixture terminal;
    QVERIFY(terminal.plugAndConnect());
    const QString status = terminal.status();
    // With no delay the whole paste is handed to the port at once, far more
    // than the line holds; the device takes it as fast as it reads.
    QByteArray text(300000, Qt::Uninitialized);
    for (int i = 0; i < text.size(); ++i)
        text[i] = char('A' + i % 26);
    paste(terminal.console(), QString::fromLatin1(text));
    QCOMPARE(terminal.device.readAtLeast(text.size(), 10000), text);
    QVERIFY(terminal.window()->currentPort());
    QCOMPARE(terminal.status(), status);
}

void DataPathTest::keysWithoutPortGoNowhere()
{
    TerminalFixture terminal;
    const QString status = terminal.status();
    QMetaObject::invokeMethod(terminal.window(), "keyInput", Q_ARG(int, Qt::Key_A), Q_ARG(QString, "a"));
    QMetaObject::invokeMethod(terminal.window(), "keyInput", Q_ARG(int, Qt::Key_F35), Q_ARG(QString, "pasted"));
    QCOMPARE(terminal.status(), status);
    QVERIFY(!terminal.window()->findChild<PacedSender *>()->isBusy());
}

void DataPathTest::typedAndPastedTextStaysOutOfTheLog()
{
    settingsStore().setValue(QStringLiteral("F1"), QStringLiteral("fkeysecret"));
    settingsStore().setValue(QStringLiteral("delay"), QStringLiteral("0"));
    TerminalFixture terminal;
    QVERIFY(terminal.plugAndConnect());
    MessageLog log;
    press(terminal.console(), Qt::Key_S, Qt::NoModifier, QStringLiteral("s"));
    paste(terminal.console(), QStringLiteral("pastedsecret"));
    QTest::keyClick(terminal.console(), Qt::Key_F1);
    QCOMPARE(terminal.device.readAtLeast(23), QByteArray("spastedsecretfkeysecret"));
    for (const QString &line : log.lines())
        QVERIFY2(!line.contains(QLatin1String("secret")) && !line.contains(QLatin1String("keycode")), qPrintable(line));
}

QTEST_MAIN(DataPathTest)
#include "tst_datapath.moc"
