#include "largeselection.h"
#include "largeselectionsaver.h"
#include "slicedsave.h"
#include "testenvironment.h"
#include "zividview.h"

#include <QClipboard>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>

class LargeSelectionSaverTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { initTestEnvironment(); }

    void largeSelectionIsSavedNotCopied();
};

// Past the limit the clipboard keeps what it had; the selection goes to the
// file the user names, whole, or nowhere. Cut deletes it once the file
// holds it, and deletes nothing when it goes nowhere.
void LargeSelectionSaverTest::largeSelectionIsSavedNotCopied()
{
    ZIvidView view;
    const QByteArray text = selectMoreThanTheClipboardTakes(view);
    QTemporaryDir dir;
    QString fileName = dir.filePath(QStringLiteral("selection.log"));
    QList<qint64> asked;
    LargeSelectionSaver saver(&view);
    saver.setFileNameProvider([&](qint64 size) {
        asked << size;
        return fileName;
    });
    view.setLargeSelectionSaver(saver);
    const auto saveAndWait = [&view](const std::function<void()> &action) {
        action();
        // An earlier save may wait for its deletion.
        const QList<SlicedSave *> saves = view.findChildren<SlicedSave *>();
        const auto running = std::find_if(saves.begin(), saves.end(), [](SlicedSave *s) { return !s->isFinished(); });
        QVERIFY(running != saves.end());
        SlicedSave *save = *running;
        QSignalSpy finished(save, &SlicedSave::finished);
        QVERIFY(finished.wait());
    };
    saveAndWait([&view] { view.copy(); });
    QCOMPARE(asked, QList<qint64>({text.size()}));
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("before"));
    QCOMPARE(view.textSize(), qint64(text.size()));
    // A text file with the system's line ends, as a capture is.
    QFile file(fileName);
    QVERIFY(file.open(QIODevice::ReadOnly | QIODevice::Text));
    QVERIFY(file.readAll() == text);

    const QString savedName = fileName;
    fileName.clear();
    view.cut();
    QCOMPARE(asked.size(), 2);
    QCOMPARE(view.textSize(), qint64(text.size()));

    fileName = savedName + QLatin1String(".cut");
    saveAndWait([&view] { view.cut(); });
    QCOMPARE(view.textSize(), qint64(0));
    QCOMPARE(QFileInfo(fileName).size(), QFileInfo(savedName).size());
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("before"));
}

QTEST_MAIN(LargeSelectionSaverTest)
#include "tst_largeselectionsaver.moc"
