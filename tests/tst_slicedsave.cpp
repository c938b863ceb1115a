#include "connectionbar.h"
#include "diskfull.h"
#include "slicedsave.h"
#include "testenvironment.h"
#include "zividview.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// Lines with times, escapes, tabs, colour sequences and a session mark.
void fill(ZIvidView &view)
{
    for (int i = 0; i < 300; ++i) {
        view.displayData("line " + QByteArray::number(i) + " <a&b> \"q\"\t\x1b[3" + QByteArray::number(i % 8)
                             + "mred\x1b[0m " + QByteArray(i % 40, 'x') + "\r\n",
                         1'700'000'000'000 + 250 * i);
        if (i == 150)
            view.markDisconnected(QTime(12, 0));
    }
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(unreadable)");
}

} // namespace

Q_DECLARE_METATYPE(TextExporter::Format)
Q_DECLARE_METATYPE(SlicedSave::Outcome)

class SlicedSaveTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        initTestEnvironment();
        qRegisterMetaType<SlicedSave::Result>();
    }
    void slicesAreWrittenAsOneWriteWas_data();
    void slicesAreWrittenAsOneWriteWas();
    void stoppedSaveLeavesTheFileAsItWas_data();
    void stoppedSaveLeavesTheFileAsItWas();
};

void SlicedSaveTest::slicesAreWrittenAsOneWriteWas_data()
{
    QTest::addColumn<TextExporter::Format>("format");
    QTest::addColumn<bool>("selection");
    QTest::addColumn<bool>("times");
    QTest::addColumn<bool>("colours");
    QTest::newRow("text") << TextExporter::Format::PlainText << false << false << false;
    QTest::newRow("text with times") << TextExporter::Format::PlainText << false << true << false;
    QTest::newRow("selection") << TextExporter::Format::PlainText << true << true << false;
    QTest::newRow("html") << TextExporter::Format::Html << false << false << false;
    QTest::newRow("html with colours and times") << TextExporter::Format::Html << false << true << true;
}

// Data keeps arriving between the slices and is not part of the save.
void SlicedSaveTest::slicesAreWrittenAsOneWriteWas()
{
    QFETCH(TextExporter::Format, format);
    QFETCH(bool, selection);
    QFETCH(bool, times);
    QFETCH(bool, colours);
    ZIvidView view;
    view.setDeviceColours(colours);
    view.setTimestampMode(times ? TimestampMode::SincePrevious : TimestampMode::Off);
    fill(view);
    view.selectAll();
    QTemporaryDir dir;
    QFile expected(dir.filePath(QStringLiteral("expected")));
    QVERIFY(expected.open(QIODevice::WriteOnly | QIODevice::Text));
    const bool html = format == TextExporter::Format::Html;
    QVERIFY(selection ? view.writeSelection(&expected) : html ? view.writeHtml(&expected) : view.writePlainText(&expected));
    expected.close();

    const QString path = dir.filePath(QStringLiteral("saved"));
    auto *save = new SlicedSave(&view, path, selection ? view.selectionExporter() : view.captureExporter(format));
    save->setSliceBytes(97);
    QSignalSpy finished(save, &SlicedSave::finished);
    save->start();
    int rounds = 0;
    for (; finished.isEmpty() && rounds < 20000; ++rounds) {
        view.displayData(QByteArray("late \x1b[1m<data>\n"));
        QCoreApplication::processEvents();
    }
    QVERIFY2(rounds > 10, "the save was done in one go");
    QVERIFY(!finished.isEmpty() || finished.wait());
    QCOMPARE(finished.at(0).at(0).value<SlicedSave::Result>().outcome, SlicedSave::Outcome::Saved);
    QCOMPARE(readAll(path), readAll(expected.fileName()));
}

enum class Interruption
{
    Cancel,
    ClearScreen,
    Delete,
    Backspace,
    DeviceColours,
    LineEdit,
    WriteError,
};
Q_DECLARE_METATYPE(Interruption)

void SlicedSaveTest::stoppedSaveLeavesTheFileAsItWas_data()
{
    QTest::addColumn<Interruption>("interruption");
    QTest::addColumn<SlicedSave::Outcome>("outcome");
    QTest::newRow("cancel") << Interruption::Cancel << SlicedSave::Outcome::Cancelled;
    QTest::newRow("clear screen") << Interruption::ClearScreen << SlicedSave::Outcome::Rewritten;
    QTest::newRow("delete") << Interruption::Delete << SlicedSave::Outcome::Rewritten;
    QTest::newRow("backspace received") << Interruption::Backspace << SlicedSave::Outcome::Rewritten;
    QTest::newRow("device colours") << Interruption::DeviceColours << SlicedSave::Outcome::Rewritten;
    QTest::newRow("line edited") << Interruption::LineEdit << SlicedSave::Outcome::Rewritten;
    QTest::newRow("write error") << Interruption::WriteError << SlicedSave::Outcome::Failed;
}

// The save stops at once and the bar says why when the text changed.
void SlicedSaveTest::stoppedSaveLeavesTheFileAsItWas()
{
    QFETCH(Interruption, interruption);
    QFETCH(SlicedSave::Outcome, outcome);
    ZIvidView view;
    fill(view);
    ConnectionBar bar;
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("capture.log"));
    const QByteArray old("an older capture\n");
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(old) == old.size());
    }
    std::unique_ptr<FileSizeCap> cap;
    if (interruption == Interruption::WriteError) {
        cap = std::make_unique<FileSizeCap>(4096);
        if (!cap->active())
            QSKIP("no file-size limit here");
    }

    if (interruption == Interruption::LineEdit)
        view.displayData("prompt> abc");
    auto *save = new SlicedSave(&view, path, view.captureExporter(TextExporter::Format::PlainText));
    save->setSliceBytes(1000);
    save->setNoticeBar(&bar);
    QSignalSpy finished(save, &SlicedSave::finished);
    save->start();
    QVERIFY(finished.isEmpty());
    switch (interruption) {
    case Interruption::Cancel: save->cancel(); break;
    case Interruption::ClearScreen: view.clear(); break;
    case Interruption::Delete: view.selectAll(); view.deleteSelection(); break;
    case Interruption::Backspace: view.displayData("\b"); break;
    case Interruption::DeviceColours: view.setDeviceColours(true); break;
    case Interruption::LineEdit: view.setLineEditing(true); view.displayData("\b\b\x1b[K"); break;
    case Interruption::WriteError: QVERIFY(finished.wait()); break;
    }
    QCOMPARE(finished.count(), 1);
    const auto result = finished.at(0).at(0).value<SlicedSave::Result>();
    QCOMPARE(result.outcome, outcome);
    QCOMPARE(result.errorString.isEmpty(), outcome != SlicedSave::Outcome::Failed);
    QCOMPARE(bar.noticeText().contains(QDir::toNativeSeparators(path)), outcome == SlicedSave::Outcome::Rewritten);
    cap.reset();
    // The file written aside goes with the save (and its writing thread).
    QTRY_COMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList({QStringLiteral("capture.log")}));
    QCOMPARE(readAll(path), old);
}

QTEST_MAIN(SlicedSaveTest)
#include "tst_slicedsave.moc"
