#include "namedportsource.h"
#include "pseudoterminal.h"
#include "serialport.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

class TestNamedPortSource : public QObject
{
    Q_OBJECT

private slots:
    void followsTheNodeUnderTheRoot();
    void ptyPathOpensUnderItsShortName();
};

void TestNamedPortSource::followsTheNodeUnderTheRoot()
{
    QTemporaryDir root;
    QVERIFY(root.isValid());
    const NamedPortSource source(QStringLiteral("/dev/ttyUSB0"), root.path());
    QCOMPARE(source.presentPorts(), QStringList());
    QFile node(root.filePath(QStringLiteral("ttyUSB0")));
    QVERIFY(node.open(QIODevice::WriteOnly));
    node.close();
    QCOMPARE(source.presentPorts(), QStringList {"ttyUSB0"});
    QVERIFY(node.remove());
    QCOMPARE(source.presentPorts(), QStringList());
}

void TestNamedPortSource::ptyPathOpensUnderItsShortName()
{
    PseudoTerminal device;
    QVERIFY(device.isValid());
    const QStringList ports = NamedPortSource(device.slavePath()).presentPorts();
    QCOMPARE(ports.size(), 1);
    QVERIFY(!ports.first().startsWith('/'));
    SerialPort port;
    QVERIFY(port.openPort(ports.first()));
    QCOMPARE(port.portName(), ports.first());
}

QTEST_GUILESS_MAIN(TestNamedPortSource)
#include "tst_namedportsource.moc"
