#include "largeselection.h"
#include "largeselectionsaver.h"
#include "testenvironment.h"
#include "zividview.h"

#include <QClipboard>
#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <QtTest>

class LargeSelectionSaverTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { initTestEnvironment(); }

    void largeSelectionIsSavedNotCopied();
};

// Past the limit the clipboard keeps what it had; the selection goes to the
// file the user names, whole, or nowhere, and Cut then deletes nothing.
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
    view.copy();
    QCOMPARE(asked, QList<qint64>({text.size()}));
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("before"));
    // A text file with the system's line ends, as a capture is.
    QFile file(fileName);
    QVERIFY(file.open(QIODevice::ReadOnly | QIODevice::Text));
    QVERIFY(file.readAll() == text);

    fileName.clear();
    view.cut();
    QCOMPARE(asked.size(), 2);
    QCOMPARE(view.textSize(), qint64(text.size()));
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("before"));
}

QTEST_MAIN(LargeSelectionSaverTest)
#include "tst_largeselectionsaver.moc"
