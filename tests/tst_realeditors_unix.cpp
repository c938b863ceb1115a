#include "lineprompt.h"
#include "testenvironment.h"
#include "zividview.h"

#include <QSocketNotifier>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <fcntl.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

const QByteArray leftKey = "\x1b[D";
const QByteArray up = "\x1b[A";
const QByteArray backspace = "\x7f";
const QByteArray altB = "\x1b" "b";
const QByteArray enter = "\r";

// A program no one here wrote, running on the device side of an 80x24
// pseudo-terminal with TERM=xterm; the console with line editing on is
// its terminal, answering its queries through the master side.
class EditorSession
{
public:
    EditorSession(const QStringList &command, const QString &home)
    {
        winsize size {};
        size.ws_row = 24;
        size.ws_col = 80;
        // Made before fork: the child only calls what is safe there.
        const QByteArray homeVar = "HOME=" + home.toLocal8Bit();
        const QByteArray histVar = "HISTFILE=" + home.toLocal8Bit() + "/history";
        const char *env[] = {"TERM=xterm", "PS1=$ ", "PATH=/usr/bin:/bin", "LANG=C.UTF-8",
                             "PYTHONNOUSERSITE=1", homeVar.constData(), histVar.constData(), nullptr};
        std::vector<QByteArray> args;
        for (const QString &arg : command)
            args.push_back(arg.toLocal8Bit());
        std::vector<char *> argv;
        for (QByteArray &arg : args)
            argv.push_back(arg.data());
        argv.push_back(nullptr);
        if (openpty(&m_master, &m_slave, nullptr, nullptr, &size) != 0)
            return;
        m_child = fork();
        if (m_child == 0) {
            setsid();
            ioctl(m_slave, TIOCSCTTY, 0);
            dup2(m_slave, 0);
            dup2(m_slave, 1);
            dup2(m_slave, 2);
            close(m_master);
            close(m_slave);
            execve(argv[0], argv.data(), const_cast<char **>(env));
            _exit(127);
        }
        fcntl(m_master, F_SETFL, fcntl(m_master, F_GETFL) | O_NONBLOCK);
        view.resize(900, 500);
        view.setLineEditing(true);
        view.setReplySender([this](const QByteArray &bytes) { type(bytes); });
        m_notifier = std::make_unique<QSocketNotifier>(m_master, QSocketNotifier::Read);
        QObject::connect(m_notifier.get(), &QSocketNotifier::activated, [this] { readOutput(); });
    }

    ~EditorSession()
    {
        m_notifier.reset();
        if (m_child > 0) {
            kill(m_child, SIGKILL);
            waitpid(m_child, nullptr, 0);
        }
        if (m_master >= 0)
            close(m_master);
        if (m_slave >= 0)
            close(m_slave);
    }

    // Keys go once the program has read all it was sent and waits for a key
    // with no time limit, as when a person types after the prompt: BusyBox
    // drops keys that come within 50 ms of its cursor report. The kernel
    // counts what it read (files too, which only shortens the wait).
    void press(const QByteArray &keys)
    {
        QTRY_VERIFY_WITH_TIMEOUT(bytesRead() - m_readBefore >= m_sent && waitsForKeys(), 30000);
        type(keys);
    }

    void type(const QByteArray &keys)
    {
        // Whatever it read before, at start, is not counted.
        if (m_sent == 0)
            m_readBefore = bytesRead();
        m_sent += keys.size();
        for (qsizetype done = 0; done < keys.size();) {
            const ssize_t n = write(m_master, keys.constData() + done, size_t(keys.size() - done));
            if (n > 0)
                done += n;
            else if (errno != EAGAIN && errno != EINTR)
                return;
        }
    }

    QStringList lines() const { return view.toPlainText().split(QLatin1Char('\n')); }
    QStringList lastLines(int count) const { return lines().mid(std::max(0, int(lines().size()) - count)); }
    int prompts(const QString &prompt) const { return int(lines().filter(QRegularExpression('^' + QRegularExpression::escape(prompt))).size()); }

    ZIvidView view;

private:
    void readOutput()
    {
        char buffer[4096];
        const ssize_t n = read(m_master, buffer, sizeof buffer);
        if (n > 0)
            view.displayData(QByteArray(buffer, int(n)));
        else if (n == 0 || (errno != EAGAIN && errno != EINTR))
            m_notifier->setEnabled(false);
    }

    // Blocked in read(0), or in poll or select without a timeout.
    bool waitsForKeys() const
    {
        QFile file(QStringLiteral("/proc/%1/syscall").arg(m_child));
        if (!file.open(QIODevice::ReadOnly))
            return false;
        const QList<QByteArray> fields = file.readAll().split(' ');
        if (fields.size() < 6)
            return false;
        const long number = fields.at(0).toLong();
        const auto arg = [&](int i) { return fields.at(i + 1).toULongLong(nullptr, 16); };
        if (number == SYS_read)
            return arg(0) == 0;
#ifdef SYS_poll
        if (number == SYS_poll)
            return int(arg(2)) == -1;
#endif
        if (number == SYS_ppoll)
            return arg(2) == 0;
#ifdef SYS_select
        if (number == SYS_select)
            return arg(4) == 0;
#endif
        return number == SYS_pselect6 && arg(4) == 0;
    }

    qint64 bytesRead() const
    {
        QFile io(QStringLiteral("/proc/%1/io").arg(m_child));
        if (!io.open(QIODevice::ReadOnly))
            return -1;
        const QByteArray text = io.readAll();
        const int at = text.indexOf("rchar: ");
        return at < 0 ? -1 : text.mid(at + 7, text.indexOf('\n', at) - at - 7).toLongLong();
    }

    pid_t m_child = -1;
    int m_master = -1;
    int m_slave = -1;
    qint64 m_readBefore = 0;
    qint64 m_sent = 0;
    std::unique_ptr<QSocketNotifier> m_notifier;
};

} // namespace

// bash (GNU readline), python3 (readline) and BusyBox sh (its own line
// editing) draw their prompts on the console as a terminal shows them.
class RealEditorsTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { initTestEnvironment(); }
    void editing_data();
    void editing();
    void demoPromptFindsTheWidth();
};

void RealEditorsTest::editing_data()
{
    QTest::addColumn<QStringList>("command");
    QTest::addColumn<QString>("prompt");
    QTest::addColumn<QString>("say"); // the command that prints %1
    QTest::addColumn<QByteArray>("completable");
    QTest::addColumn<QString>("completed");
    // Two characters to type in UTF-8, the second then erased.
    QTest::addColumn<QString>("pair");

    QTest::newRow("bash") << QStringList {"/bin/bash", "--norc", "--noprofile", "-i"} << "$ " << "echo %1"
                          << QByteArray("ech\t") << "echo " << QStringLiteral("中文");
    QTest::newRow("python3") << QStringList {"/usr/bin/python3", "-q", "-i"} << ">>> " << "print(\"%1\")"
                             << QByteArray("pri\t") << "print(" << QStringLiteral("中文");
    QTest::newRow("busybox sh") << QStringList {"/bin/busybox", "sh"} << "$ " << "echo %1"
                                << QByteArray("ech\t") << "echo " << QStringLiteral("éè"); // draws no wide ones
}

void RealEditorsTest::editing()
{
    QFETCH(QStringList, command);
    QFETCH(QString, prompt);
    QFETCH(QString, say);
    QFETCH(QByteArray, completable);
    QFETCH(QString, completed);
    QFETCH(QString, pair);
    if (!QFileInfo(command.first()).isExecutable())
        QSKIP(qPrintable(command.first() + " is not installed"));
    QTemporaryDir home;
    EditorSession session(command, home.path());
    constexpr int timeout = 60000;
    int commands = 0;
    // Each command ends with its output and one new prompt, and nothing on
    // the screen is a control picture.
    const auto ran = [&](const QString &line, const QString &output) {
        ++commands;
        QTRY_COMPARE_WITH_TIMEOUT(session.prompts(prompt), commands + 1, timeout);
        QTRY_COMPARE_WITH_TIMEOUT(session.lastLines(3), (QStringList {prompt + line, output, prompt}), timeout);
        for (const QString &shown : session.lines()) {
            for (QChar c : shown)
                QVERIFY2(c.unicode() >= 0x20 && c.unicode() != 0x7f, qPrintable(shown));
        }
    };
    QTRY_COMPARE_WITH_TIMEOUT(session.prompts(prompt), 1, timeout);

    // Type with a doubled letter, go back, delete one, insert one.
    const QString typo = say.arg(QStringLiteral("hello wworld"));
    session.press(typo.toLatin1() + leftKey.repeated(typo.size() - typo.indexOf(QLatin1String("wworld")) - 1)
                 + backspace + "X" + enter);
    ran(say.arg(QStringLiteral("hello Xworld")), QStringLiteral("hello Xworld"));

    session.press(up);
    QTRY_COMPARE_WITH_TIMEOUT(session.lines().constLast(), prompt + say.arg(QStringLiteral("hello Xworld")), timeout);
    session.press(enter);
    ran(say.arg(QStringLiteral("hello Xworld")), QStringLiteral("hello Xworld"));

    const QString tabbed = say.arg(QStringLiteral("tab"));
    session.press(completable + tabbed.mid(completed.size()).toLatin1() + enter);
    ran(tabbed, QStringLiteral("tab"));

    const QString words = say.arg(QStringLiteral("one two"));
    session.press(words.toLatin1() + altB + "X" + enter);
    ran(say.arg(QStringLiteral("one Xtwo")), QStringLiteral("one Xtwo"));

    // Longer than the 80 columns: edited across the wrap.
    const QString longText = QString(60, QLatin1Char('a')) + QString(40, QLatin1Char('b'));
    const QString longLine = say.arg(longText);
    const int back = longLine.size() - longLine.indexOf(QLatin1Char('b')) + 5;
    session.press(longLine.toLatin1() + leftKey.repeated(back) + "Y" + enter);
    const QString edited = QString(55, QLatin1Char('a')) + 'Y' + QString(5, QLatin1Char('a')) + QString(40, QLatin1Char('b'));
    ran(say.arg(edited), edited);

    // In UTF-8 a character takes one cell, a wide one two, on both sides:
    // the program moves over and erases them as the console counts them.
    session.view.setUtf8(true);
    const QString utf8Line = say.arg(QStringLiteral("café ") + pair + QStringLiteral(" ok"));
    const int afterPair = int(utf8Line.size() - utf8Line.indexOf(QStringLiteral(" ok")));
    session.press(utf8Line.toUtf8() + leftKey.repeated(afterPair) + backspace + "Z" + enter);
    const QString utf8Edited = QStringLiteral("café ") + pair.at(0) + QStringLiteral("Z ok");
    ran(say.arg(utf8Edited), utf8Edited);
}

// The demo's linenoise-style prompt, wired straight to the console.
void RealEditorsTest::demoPromptFindsTheWidth()
{
    ZIvidView view;
    LinePrompt prompt;
    QSignalSpy titles(&view, &ZIvidView::deviceTitleChanged);
    view.setDeviceColumns(60);
    view.setLineEditing(true);
    view.setReplySender([&](const QByteArray &bytes) { view.displayData(prompt.receive(bytes)); });
    view.displayData(prompt.start());
    QCOMPARE(prompt.columns(), 60);
    view.displayData(prompt.receive("21" + leftKey + "X\x1b[3~" + enter + "abc" + leftKey + leftKey + backspace));
    QCOMPARE(view.toPlainText().split('\n'), (QStringList {">>> 2X", "2X", ">>> bc"}));
    QVERIFY(!titles.isEmpty());
    QCOMPARE(titles.constLast().at(0).toString(), QStringLiteral("\U0001F40D Tarnwick REPL | 1 run"));
}

QTEST_MAIN(RealEditorsTest)
#include "tst_realeditors_unix.moc"
