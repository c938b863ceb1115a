#include "discovery.h"
#include "serialportinfosource.h"

#include <QTest>

class TestSerialPortInfoSource : public QObject
{
    Q_OBJECT

private slots:
    void usbPortRecord_data();
    void usbPortRecord();
    void onlyFirstClassListsPorts();
};

void TestSerialPortInfoSource::usbPortRecord_data()
{
    QTest::addColumn<quint16>("vendor");
    QTest::addColumn<quint16>("product");
    QTest::addColumn<QString>("hardwareId");
    QTest::addColumn<bool>("known");
    QTest::newRow("letters upper-cased") << quint16(0x04d8) << quint16(0x00df) << "USB\\VID_04D8&PID_00DF" << true;
    QTest::newRow("leading zeros kept") << quint16(0x04d8) << quint16(0x000a) << "USB\\VID_04D8&PID_000A" << true;
    QTest::newRow("2B product") << quint16(0x239a) << quint16(0x802b) << "USB\\VID_239A&PID_802B" << true;
    QTest::newRow("other device") << quint16(0x0403) << quint16(0x6001) << "USB\\VID_0403&PID_6001" << false;
    QTest::newRow("four digits of zero") << quint16(0) << quint16(0) << "USB\\VID_0000&PID_0000" << false;
}

void TestSerialPortInfoSource::usbPortRecord()
{
    QFETCH(quint16, vendor);
    QFETCH(quint16, product);
    QFETCH(QString, hardwareId);
    QFETCH(bool, known);
    const DeviceRecord record =
        SerialPortInfoSource::usbPortRecord(vendor, product, QStringLiteral("Tarnwick"), QStringLiteral("ttyACM0"));
    QCOMPARE(record.hardwareIds, QStringList {hardwareId});
    QCOMPARE(record.portNameValue, QStringLiteral("ttyACM0"));
    QCOMPARE(record.friendlyName, QStringLiteral("Tarnwick (ttyACM0)"));
    // The record must survive discovery's own parsing.
    const QString vid = Discovery::extractUsbId(1, record.hardwareIds);
    const QString pid = Discovery::extractUsbId(2, record.hardwareIds);
    QCOMPARE(Discovery::isKnownDevice(vid, pid), known);
}

void TestSerialPortInfoSource::onlyFirstClassListsPorts()
{
    SerialPortInfoSource source;
    QCOMPARE(source.portNaming(), DeviceSource::PortNaming::PortNameValue);
    for (int classIndex = 1; classIndex < Discovery::portClassCount; ++classIndex) {
        QList<DeviceRecord> devices {DeviceRecord {}};
        QVERIFY(source.devicesOfClass(classIndex, &devices));
        QVERIFY2(devices.isEmpty(), qPrintable(QString::number(classIndex)));
    }
    QList<DeviceRecord> devices;
    QVERIFY(source.devicesOfClass(0, &devices));
    for (const DeviceRecord &device : qAsConst(devices))
        QVERIFY(device.hardwareIds.first().startsWith(QLatin1String("USB\\VID_")));
}

QTEST_GUILESS_MAIN(TestSerialPortInfoSource)
#include "tst_serialportinfosource.moc"
