// A file sent by YMODEM-1K to lrzsz's rb on a pseudo-terminal, first by the
// window's Send File, then by lrzsz's own sender (sb -k) over the same kind
// of line and the same relay: how long each takes, and the longest the
// window's thread was kept from its events meanwhile.
//
// bench_transfer [megabytes]   (default 1)

#include "benchsupport.h"
#include "filesender.h"
#include "ptyrelay.h"
#include "tarnterm.h"
#include "terminalfixture.h"

#include <QApplication>
#include <QEventLoop>
#include <QFile>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>

namespace {

bool sameFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) && file.readAll() == bytes;
}

// Seconds from the start of the window's send to its outcome.
double sendByWindow(const QString &source, const QByteArray &bytes, qint64 &worstStall)
{
    QTemporaryDir out;
    TerminalFixture fixture;
    if (!fixture.plugAndConnect())
        qFatal("the window did not connect");
    PtyPeer receiver;
    QElapsedTimer clock;
    clock.start();
    if (!fixture.window()->sendFileByProtocol(source, QStringLiteral("ymodem"))
        || !receiver.start(QStringLiteral("rb"), {}, out.path()))
        qFatal("the send did not start");
    PtyRelay relay(fixture.device.masterFd(), receiver);
    QEventLoop loop;
    QString outcome;
    QObject::connect(fixture.window()->findChild<FileSender *>(), &FileSender::finished, &loop,
                     [&](const QString &text) {
                         outcome = text;
                         loop.quit();
                     });
    Bench::Responsiveness input;
    loop.exec();
    const double seconds = clock.nsecsElapsed() / 1e9;
    worstStall = input.worst;
    if (!receiver.waitForExit(10000) || !sameFile(out.filePath(QStringLiteral("image.bin")), bytes))
        qFatal("the window's send did not arrive whole: %s", qPrintable(outcome));
    return seconds;
}

double sendBySb(const QString &source, const QString &folder, const QByteArray &bytes)
{
    QTemporaryDir out;
    PtyPeer sender;
    PtyPeer receiver;
    QElapsedTimer clock;
    clock.start();
    if (!sender.start(QStringLiteral("sb"), {QStringLiteral("-k"), source}, folder, PtyPeer::Output::Line)
        || !receiver.start(QStringLiteral("rb"), {}, out.path()))
        qFatal("sb or rb did not start");
    PtyRelay relay(sender.masterFd(), receiver);
    if (!sender.waitForExit(600000))
        qFatal("sb did not finish");
    const double seconds = clock.nsecsElapsed() / 1e9;
    if (!receiver.waitForExit(10000) || !sameFile(out.filePath(QStringLiteral("image.bin")), bytes))
        qFatal("sb's send did not arrive whole");
    return seconds;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    Bench::init();
    if (QStandardPaths::findExecutable(QStringLiteral("rb")).isEmpty())
        qFatal("lrzsz is not installed");
    const int megabytes = argc > 1 ? QByteArray(argv[1]).toInt() : 1;
    QByteArray bytes(megabytes << 20, Qt::Uninitialized);
    QRandomGenerator random(26);
    random.fillRange(reinterpret_cast<quint32 *>(bytes.data()), bytes.size() / 4);
    QTemporaryDir folder;
    const QString source = folder.filePath(QStringLiteral("image.bin"));
    QFile file(source);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write the file");
    file.close();

    qint64 worstStall = 0;
    const double window = sendByWindow(source, bytes, worstStall);
    const double sb = sendBySb(source, folder.path(), bytes);
    const QString name = QStringLiteral("YMODEM-1K, %1 MiB to rb").arg(megabytes);
    Bench::report(name + QStringLiteral(": Send File"), window, QStringLiteral("s"));
    Bench::report(name + QStringLiteral(": lrzsz sb -k"), sb, QStringLiteral("s"));
    Bench::report(name + QStringLiteral(": Send File / sb -k"), window / sb, QStringLiteral("×"));
    Bench::report(name + QStringLiteral(": longest stall of the window's thread"), worstStall, QStringLiteral("ms"));
    return 0;
}
