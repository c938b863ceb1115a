#include "xmodemblock.h"
#include "xmodemtransfer.h"

#include <QBuffer>
#include <QtTest>

using namespace XmodemBlock;
using Protocol = XmodemTransfer::Protocol;

// The sender's side of the protocols without a line: what it answers to a
// receiver's bytes and to silence. Real receivers are in tst_transfers_unix.
class XmodemTransferTest : public QObject
{
    Q_OBJECT

private slots:
    void checksAndFraming();
    void nakStartSumsSmallBlocks();
    void silenceRetriesThenCancels_data();
    void silenceRetriesThenCancels();
    void receiverCancelNeedsTwoCans();
    void bytesOutsideTheTransferPassOn();
};

namespace {

struct Source
{
    explicit Source(const QByteArray &bytes)
        : data(bytes)
        , buffer(&data)
    {
        buffer.open(QIODevice::ReadOnly);
    }
    QByteArray data;
    QBuffer buffer;
};

QByteArray seq(std::initializer_list<char> bytes)
{
    return QByteArray(bytes.begin(), int(bytes.size()));
}

} // namespace

void XmodemTransferTest::checksAndFraming()
{
    // The published check value of CRC-16/XMODEM.
    QCOMPARE(crc16("123456789", 9), quint16(0x31C3));
    const QByteArray block = frame(257, "hi", true);
    QCOMPARE(block.size(), 3 + smallSize + 2);
    QCOMPARE(block.left(5), QByteArray("\x01\x01\xFEhi"));
    QCOMPARE(block.mid(5, smallSize - 2), QByteArray(smallSize - 2, PAD));
    const quint16 crc = crc16(block.constData() + 3, smallSize);
    QCOMPARE(block.right(2), seq({char(crc >> 8), char(crc & 0xFF)}));
    QCOMPARE(frame(3, QByteArray(smallSize + 1, 'x'), true).at(0), STX);
}

// A receiver that starts with NAK gets sums, and no 1K blocks even when asked
// for XMODEM-1K: such receivers may not take them.
void XmodemTransferTest::nakStartSumsSmallBlocks()
{
    Source source(QByteArray(300, 'a'));
    XmodemTransfer transfer(Protocol::Xmodem1K, &source.buffer, "f", source.data.size());
    QVERIFY(transfer.receive(QByteArray(1, NAK)).isEmpty());
    QByteArray sent = transfer.takeOutput();
    QCOMPARE(sent, frame(1, source.data.left(smallSize), false));
    transfer.receive(QByteArray(1, ACK));
    transfer.receive(QByteArray(1, ACK));
    QCOMPARE(transfer.takeOutput(), frame(2, source.data.mid(smallSize, smallSize), false)
                                        + frame(3, source.data.mid(2 * smallSize), false));
    transfer.receive(QByteArray(1, ACK));
    QCOMPARE(transfer.acknowledged(), qint64(300));
    QCOMPARE(transfer.takeOutput(), QByteArray(1, EOT));
    transfer.receive(QByteArray(1, ACK));
    QVERIFY(transfer.succeeded());
}

void XmodemTransferTest::silenceRetriesThenCancels_data()
{
    QTest::addColumn<int>("protocol");
    QTest::addColumn<int>("answered"); // ACKs before the silence
    QTest::newRow("XMODEM, first block") << int(Protocol::Xmodem) << 0;
    QTest::newRow("YMODEM, header") << int(Protocol::Ymodem) << 0;
    QTest::newRow("XMODEM-1K, end of file") << int(Protocol::Xmodem1K) << 1;
}

void XmodemTransferTest::silenceRetriesThenCancels()
{
    QFETCH(int, protocol);
    QFETCH(int, answered);
    Source source(QByteArray(1000, 'b'));
    XmodemTransfer transfer(Protocol(protocol), &source.buffer, "f", source.data.size());
    QCOMPARE(transfer.timeoutMs(), XmodemTransfer::startTimeoutMs);
    transfer.receive(QByteArray(1, CRC_START));
    for (int i = 0; i < answered; ++i)
        transfer.receive(QByteArray(1, ACK));
    const QByteArray once = transfer.takeOutput().right(answered ? 1 : 133);
    QCOMPARE(transfer.timeoutMs(), XmodemTransfer::answerTimeoutMs);
    for (int i = 1; i < XmodemTransfer::maxTries; ++i) {
        transfer.timedOut();
        QCOMPARE(transfer.takeOutput(), once);
    }
    QVERIFY(!transfer.isFinished());
    transfer.timedOut();
    QCOMPARE(transfer.takeOutput(), QByteArray(2, CAN));
    QVERIFY(transfer.isFinished() && !transfer.succeeded());
    QCOMPARE(transfer.failure(), QStringLiteral("the receiver stopped answering"));
}

void XmodemTransferTest::receiverCancelNeedsTwoCans()
{
    Source source(QByteArray(500, 'c'));
    XmodemTransfer transfer(Protocol::Xmodem, &source.buffer, "f", source.data.size());
    transfer.receive(QByteArray(1, CRC_START));
    // A lone CAN is line noise; the ACK after it still counts.
    transfer.receive(seq({CAN, ACK}));
    QCOMPARE(transfer.acknowledged(), qint64(smallSize));
    transfer.takeOutput();
    transfer.receive(QByteArray(2, CAN));
    QVERIFY(transfer.isFinished() && !transfer.succeeded());
    QCOMPARE(transfer.failure(), QStringLiteral("the receiver cancelled"));
    QVERIFY(transfer.takeOutput().isEmpty());
}

// What the device prints before asking and after the end is the user's,
// however the bytes are cut.
void XmodemTransferTest::bytesOutsideTheTransferPassOn()
{
    Source source(QByteArray(10, 'd'));
    XmodemTransfer transfer(Protocol::Ymodem, &source.buffer, "f", source.data.size());
    QCOMPARE(transfer.receive("ready\r\n"), QByteArray("ready\r\n"));
    QCOMPARE(transfer.receive(QByteArray("go") + CRC_START), QByteArray("go"));
    QVERIFY(transfer.isStarted());
    QVERIFY(transfer.receive(seq({ACK, CRC_START, ACK, NAK})).isEmpty());
    QVERIFY(transfer.receive(seq({ACK, CRC_START})).isEmpty());
    QCOMPARE(transfer.receive(QByteArray(1, ACK) + "done\r\n"), QByteArray("done\r\n"));
    QVERIFY(transfer.succeeded());
    const QByteArray sent = transfer.takeOutput();
    QCOMPARE(sent.right(133), frame(0, QByteArray(), true, '\0'));
    QCOMPARE(sent.mid(133, 133), frame(1, source.data, true));
    QCOMPARE(sent.mid(266, 2), QByteArray(2, EOT));
}

QTEST_MAIN(XmodemTransferTest)
#include "tst_xmodemtransfer.moc"
