#include "connectionbar.h"
#include "diskfull.h"
#include "fakedevicesource.h"
#include "modalwatcher.h"
#include "tarnterm.h"
#include "testenvironment.h"
#include "zividview.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

namespace {

QByteArray readAll(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray("<unreadable>");
    return file.readAll();
}

// A capture is a text file: line breaks are CR LF where that is the
// system's way (Windows).
QByteArray asTextFile(QByteArray text)
{
#ifdef Q_OS_WIN
    text.replace("\n", "\r\n");
#endif
    return text;
}

} // namespace

class TestCapture : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void contentByName_data();
    void contentByName();
    void htmlHoldsNoColours();
    void linesStartWithTheirTimes_data();
    void linesStartWithTheirTimes();
    void emptyConsole_data();
    void emptyConsole();
    void replacesExistingFile();
    void openFailure_data();
    void openFailure();
    void readOnlyFolderWritesTheFileItself();
    void failedWriteKeepsOldFile_data();
    void failedWriteKeepsOldFile();
    void cancelWritesNothing();
    void clearScreenEmptiesConsole();
    void clearScreenStopsASaveUnderWay();
    void aboutBox();

private:
    void saveCaptureAs(const QString &name);

    QTemporaryDir *m_dir = nullptr;
    FakeDeviceSource *m_noDevices = nullptr;
    TarnTerm *m_window = nullptr;
    ZIvidView *m_view = nullptr;
};

void TestCapture::initTestCase()
{
    initTestEnvironment();
}

void TestCapture::init()
{
    QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("TarnwickTerm"),
              versionString)
        .clear();
    m_dir = new QTemporaryDir;
    QVERIFY(m_dir->isValid());
    m_noDevices = new FakeDeviceSource;
    m_window = new TarnTerm;
    m_window->setDeviceSource(m_noDevices);
    m_view = m_window->findChild<ZIvidView *>();
    QVERIFY(m_view);
}

void TestCapture::cleanup()
{
    delete m_window;
    m_window = nullptr;
    delete m_noDevices;
    m_noDevices = nullptr;
    delete m_dir;
    m_dir = nullptr;
}

// An absolute path is used as given; a relative one is taken inside the
// test's folder.
void TestCapture::saveCaptureAs(const QString &name)
{
    const QString path = QDir::isAbsolutePath(name) ? name : m_dir->filePath(name);
    m_window->setCaptureFileNameProvider([path] { return path; });
    QVERIFY(QMetaObject::invokeMethod(m_window, "saveCapture"));
}

void TestCapture::contentByName_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("received");
    QTest::addColumn<bool>("html");
    QTest::addColumn<QByteArray>("plain"); // the expected file, for plain text

    const QByteArray text("hello\nworld");
    QTest::newRow("html") << "capture.html" << text << true << QByteArray();
    QTest::newRow(".html inside the name") << "capture.html.log" << text << true << QByteArray();
    QTest::newRow("log") << "capture.log" << text << false << text;
    QTest::newRow("upper-case HTML") << "capture.HTML" << text << false << text;
    QTest::newRow("htm") << "capture.htm" << text << false << text;
    QTest::newRow("no extension") << "capture" << text << false << text;
    QTest::newRow("lines end in LF") << "lines.txt" << QByteArray("one\ntwo\n") << false
                                     << QByteArray("one\ntwo\n");
    QTest::newRow("Latin-1 plain") << "latin.log" << QByteArray("caf\xe9 \xff!") << false
                                   << QByteArray("caf\xe9 \xff!");
    QTest::newRow("Latin-1 html") << "latin.html" << QByteArray("caf\xe9 \xff!") << true
                                  << QByteArray();
}

void TestCapture::contentByName()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, received);
    QFETCH(bool, html);
    QFETCH(QByteArray, plain);

    m_view->displayData(received);
    saveCaptureAs(name);

    const QByteArray written = readAll(m_dir->filePath(name));
    if (!html) {
        QCOMPARE(written, asTextFile(plain));
        return;
    }
    QVERIFY2(written.startsWith("<!DOCTYPE"), written.left(40).constData());
    QCOMPARE(written, asTextFile(m_view->toHtml().toLatin1()));
    // The text itself is in the file, each character one Latin-1 byte.
    for (const QByteArray &word : received.split('\n'))
        QVERIFY2(written.contains(word), word.constData());
    QVERIFY(!written.contains("\xc3"));
}

// The colours live in the console's style sheet, not in its document.
void TestCapture::htmlHoldsNoColours()
{
    m_view->setFontColor(QColor(0x12, 0x34, 0x56));
    m_view->setBackColor(QColor(0xab, 0xcd, 0xef));
    m_view->displayData("coloured");
    saveCaptureAs(QStringLiteral("colours.html"));

    const QByteArray written = readAll(m_dir->filePath(QStringLiteral("colours.html"))).toLower();
    QVERIFY(written.contains("coloured"));
    QVERIFY(!written.contains("#123456"));
    QVERIFY(!written.contains("#abcdef"));
    QVERIFY(!written.contains("rgb(18,52,86)"));
    QVERIFY(!written.contains("rgb(171,205,239)"));
}

void TestCapture::linesStartWithTheirTimes_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("action");
    QTest::addColumn<bool>("colours");
    QTest::addColumn<QByteArray>("lines");

    QTest::newRow("clock, text") << "times.log" << "actionTimestamps_Clock" << false
                                 << QByteArray("10:20:30.040 one\n10:20:31.540 two\n");
    QTest::newRow("since previous, html") << "times.html" << "actionTimestamps_Since_Previous" << false
                                          << QByteArray("10:20:30.040 one\n+1.500 two\n");
    // The colour carried into the next line resumes after its time.
    QTest::newRow("clock, coloured html") << "colours.html" << "actionTimestamps_Clock" << true
                                          << QByteArray("10:20:30.040 <span style=\"color:#cd0000;\">one\n</span>"
                                                        "10:20:31.540 <span style=\"color:#cd0000;\">two\n</span>");
}

// Only the capture carries the times, not the text; the first line's
// clock time anchors the gaps after it.
void TestCapture::linesStartWithTheirTimes()
{
    QFETCH(QString, name);
    QFETCH(QString, action);
    QFETCH(bool, colours);
    QFETCH(QByteArray, lines);

    const QByteArray red = colours ? QByteArray("\x1b[31m") : QByteArray();
    const qint64 first = QDateTime(QDate(2024, 5, 6), QTime(10, 20, 30, 40)).toMSecsSinceEpoch();
    m_view->displayData(red + "one\n", first);
    m_view->displayData("two\n", first + 1500);
    m_window->findChild<QAction *>(action)->trigger();
    m_window->findChild<QAction *>(QStringLiteral("actionDevice_Colours"))->setChecked(colours);
    saveCaptureAs(name);

    const QByteArray written = readAll(m_dir->filePath(name));
    QVERIFY2(written.contains(asTextFile(lines)), written.constData());
    QCOMPARE(m_view->toPlainText(), QString::fromLatin1(red + "one\ntwo\n"));
}

void TestCapture::emptyConsole_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("html");

    QTest::newRow("plain") << "empty.log" << false;
    QTest::newRow("html") << "empty.html" << true;
}

void TestCapture::emptyConsole()
{
    QFETCH(QString, name);
    QFETCH(bool, html);

    ModalWatcher watcher;
    saveCaptureAs(name);

    const QString path = m_dir->filePath(name);
    QVERIFY(QFile::exists(path));
    const QByteArray written = readAll(path);
    if (html)
        QVERIFY(written.startsWith("<!DOCTYPE"));
    else
        QCOMPARE(written, QByteArray());
    QCOMPARE(watcher.count(), 0);
}

void TestCapture::replacesExistingFile()
{
    const QString path = m_dir->filePath(QStringLiteral("capture.log"));
    QVERIFY(writeFile(path, QByteArray("an older and much longer capture\n").repeated(10)));

    m_view->displayData("new");
    saveCaptureAs(QStringLiteral("capture.log"));

    QCOMPARE(readAll(path), QByteArray("new"));
}

void TestCapture::openFailure_data()
{
    QTest::addColumn<QString>("name");

    QTest::newRow("missing folder") << "no/such/folder/capture.log";
    QTest::newRow("a folder of that name") << "folder.log";
}

void TestCapture::openFailure()
{
    QFETCH(QString, name);

    QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("folder.log")));
    m_view->displayData("kept");

    QString details;
    ModalWatcher watcher([&details](QWidget *modal) {
        if (auto *box = qobject_cast<QMessageBox *>(modal))
            details = box->informativeText();
        modal->close();
    });
    saveCaptureAs(name);

    QCOMPARE(watcher.count(), 1);
    QCOMPARE(watcher.className(), QStringLiteral("QMessageBox"));
    QCOMPARE(watcher.title(), QStringLiteral("save capture file Error!"));
    QCOMPARE(watcher.text(), QStringLiteral("Can't Open File"));
    // The name, as the system writes paths, and the system's reason, below the text.
    QVERIFY2(details.startsWith(QDir::toNativeSeparators(m_dir->filePath(name)) + QLatin1Char('\n')) && details.size() > name.size() + 1,
             qPrintable(details));
    QCOMPARE(m_view->toPlainText(), QStringLiteral("kept"));
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), QStringList());
}

// The folder takes no new file, but the capture file in it is writable.
void TestCapture::readOnlyFolderWritesTheFileItself()
{
    QDir dir(m_dir->path());
    QVERIFY(dir.mkdir(QStringLiteral("locked")));
    const QString path = dir.filePath(QStringLiteral("locked/capture.log"));
    QVERIFY(writeFile(path, QByteArray("old capture, longer than the new one")));
    QVERIFY(QFile::setPermissions(dir.filePath(QStringLiteral("locked")), QFile::ReadOwner | QFile::ExeOwner));
    if (writeFile(dir.filePath(QStringLiteral("locked/probe")), "x"))
        QSKIP("the folder is writable to this user anyway");

    m_view->displayData("new");
    ModalWatcher watcher;
    saveCaptureAs(path);
    QFile::setPermissions(dir.filePath(QStringLiteral("locked")), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    QCOMPARE(watcher.count(), 0);
    QCOMPARE(readAll(path), QByteArray("new"));
}

void TestCapture::failedWriteKeepsOldFile_data()
{
    QTest::addColumn<int>("lines");

    // The file buffers small writes until commit; large ones go straight out.
    QTest::newRow("held in the buffer") << 100;
    QTest::newRow("larger than the buffer") << 2000;
}

// A capture cut short (here by a file-size limit, so the disk appears full)
// must be reported and must not take the place of the file it was to replace.
void TestCapture::failedWriteKeepsOldFile()
{
    QFETCH(int, lines);

    const QString path = m_dir->filePath(QStringLiteral("capture.log"));
    const QByteArray old("the good capture of yesterday");
    QVERIFY(writeFile(path, old));
    m_view->displayData(QByteArray("today's capture, too long to fit\n").repeated(lines));

    ModalWatcher watcher;
    {
        FileSizeCap cap(8);
        if (!cap.active())
            QSKIP("cannot limit the file size here");
        saveCaptureAs(QStringLiteral("capture.log"));
    }

    QCOMPARE(watcher.count(), 1);
    QCOMPARE(watcher.title(), QStringLiteral("save capture file Error!"));
    QCOMPARE(watcher.text(), QStringLiteral("Can't Write File"));
    QCOMPARE(readAll(path), old);
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden),
             QStringList{QStringLiteral("capture.log")});
}

void TestCapture::cancelWritesNothing()
{
    m_view->displayData("unsaved");
    m_window->setCaptureFileNameProvider([] { return QString(); });

    ModalWatcher watcher;
    QVERIFY(QMetaObject::invokeMethod(m_window, "saveCapture"));
    QTest::qWait(50);

    QCOMPARE(watcher.count(), 0);
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
             QStringList());
    QCOMPARE(m_view->toPlainText(), QStringLiteral("unsaved"));
}

// A capture too long for one slice is still being saved when Clear Screen
// comes: the save stops, the bar says so, and the old file stays.
void TestCapture::clearScreenStopsASaveUnderWay()
{
    const QString path = m_dir->filePath(QStringLiteral("capture.log"));
    const QByteArray old("the good capture of yesterday");
    QVERIFY(writeFile(path, old));
    m_view->displayData(QByteArray("0123456789abcdef\n").repeated(200000));
    saveCaptureAs(QStringLiteral("capture.log"));
    QCOMPARE(readAll(path), old);

    QVERIFY(QMetaObject::invokeMethod(m_window, "clearScreen"));

    QVERIFY(m_window->findChild<ConnectionBar *>()->noticeText().contains(QDir::toNativeSeparators(path)));
    QTRY_COMPARE(QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("capture.log")});
    QCOMPARE(readAll(path), old);
}

void TestCapture::clearScreenEmptiesConsole()
{
    m_view->setFontColor(QColor(1, 2, 3));
    const QString sheet = m_view->styleSheet();
    m_view->displayData("line one\nline two\n");
    QVERIFY(!m_view->isEmpty());

    QVERIFY(QMetaObject::invokeMethod(m_window, "clearScreen"));

    QVERIFY(m_view->isEmpty());
    QCOMPARE(m_view->styleSheet(), sheet);
    m_view->displayData("again");
    QCOMPARE(m_view->toPlainText(), QStringLiteral("again"));
}

void TestCapture::aboutBox()
{
    ModalWatcher watcher;
    QVERIFY(QMetaObject::invokeMethod(m_window, "about"));

    QCOMPARE(watcher.count(), 1);
    QCOMPARE(watcher.title(), QStringLiteral("About "));
    QVERIFY2(watcher.text().contains(versionString), qPrintable(watcher.text()));
}

QTEST_MAIN(TestCapture)
#include "tst_capture.moc"
