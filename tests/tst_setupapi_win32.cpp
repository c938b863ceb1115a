#include "discovery.h"
#include "fakesetupapi.h"
#include "windevicesource.h"

#include <QTest>

#include <algorithm>

#include <windows.h>

// The Win32 binding of the device-setup interface against the registry
// itself: a device entered the way Windows enters a USB CDC port gives the
// same record through SetupAPI as through the fake that every other test of
// discovery uses. Writing under HKLM\SYSTEM needs the rights of the system
// account on Windows; Wine grants them, and this suite is for Wine.
namespace {

const wchar_t deviceKey[] = L"SYSTEM\\CurrentControlSet\\Enum\\USB\\VID_04D8&PID_000A\\7A11";
const wchar_t portsClassText[] = L"{4D36E978-E325-11CE-BFC1-08002BE10318}";

bool setString(HKEY key, const wchar_t *name, DWORD type, const std::wstring &value)
{
    return RegSetValueExW(key, name, 0, type, reinterpret_cast<const BYTE *>(value.c_str()),
                          DWORD((value.size() + 1) * sizeof(wchar_t)))
        == ERROR_SUCCESS;
}

// The entry, or an empty string when the registry refuses it.
QString enterDevice(const QString &com)
{
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, deviceKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr)
        != ERROR_SUCCESS)
        return QStringLiteral("cannot create the device's key");
    const std::wstring port = com.toStdWString();
    // REG_MULTI_SZ: each string with its NUL, and one more NUL at the end
    // (setString adds that one).
    const std::wstring hardwareIds(L"USB\\VID_04D8&PID_000A&REV_0100\0USB\\VID_04D8&PID_000A\0", 53);
    bool ok = setString(key, L"ClassGUID", REG_SZ, portsClassText) && setString(key, L"Class", REG_SZ, L"Ports")
        && setString(key, L"HardwareID", REG_MULTI_SZ, hardwareIds)
        && setString(key, L"FriendlyName", REG_SZ, L"Tarnwick Serial Device (" + port + L")");
    HKEY parameters = nullptr;
    ok = ok
        && RegCreateKeyExW(key, L"Device Parameters", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &parameters, nullptr)
            == ERROR_SUCCESS
        && setString(parameters, L"PortName", REG_SZ, port);
    if (parameters)
        RegCloseKey(parameters);
    RegCloseKey(key);
    return ok ? QString() : QStringLiteral("cannot write the device's values");
}

void removeDevice()
{
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, deviceKey);
}

FakeSetupApi::Device fakeDevice(const QString &com)
{
    FakeSetupApi::Device device;
    device.properties[DeviceSetupApi::propertyHardwareId] = {
        DeviceSetupApi::regMultiSz,
        utf16LittleEndian(QStringLiteral("USB\\VID_04D8&PID_000A&REV_0100") + QChar(0)
                          + QStringLiteral("USB\\VID_04D8&PID_000A") + QChar(0) + QChar(0)),
        false};
    device.properties[DeviceSetupApi::propertyFriendlyName] = {
        DeviceSetupApi::regSz, utf16LittleEndian(QStringLiteral("Tarnwick Serial Device (%1)").arg(com) + QChar(0)),
        false};
    device.values = {{QStringLiteral("PortName"), DeviceSetupApi::regSz, utf16LittleEndian(com + QChar(0))}};
    return device;
}

} // namespace

class TestSetupApiWin32 : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { removeDevice(); }
    void sameRecordAsTheFake();
    void goneOnceRemoved();
};

void TestSetupApiWin32::sameRecordAsTheFake()
{
    const QString refused = enterDevice(QStringLiteral("COM23"));
    if (!refused.isEmpty())
        QSKIP(qPrintable(refused + QStringLiteral(" (needs Wine, or the system account)")));

    WinDeviceSource real(DeviceSetupApi::createWin32());
    QList<DeviceRecord> found;
    QVERIFY(real.devicesOfClass(0, &found));

    auto api = std::make_unique<FakeSetupApi>();
    api->classes[0x4D36E978].devices = {fakeDevice(QStringLiteral("COM23"))};
    WinDeviceSource fake(std::move(api));
    QList<DeviceRecord> expected;
    QVERIFY(fake.devicesOfClass(0, &expected));
    QCOMPARE(expected.size(), 1);

    // Other ports of the system (COM1) may come with ours.
    const auto ours = std::find_if(found.cbegin(), found.cend(),
                                   [](const DeviceRecord &record) { return record.portNameValue == "COM23"; });
    QVERIFY2(ours != found.cend(), "no device with PortName COM23 in the ports class");
    QCOMPARE(ours->hardwareIds, expected.first().hardwareIds);
    QCOMPARE(ours->friendlyName, expected.first().friendlyName);
    QVERIFY(Discovery::findDevicePorts(real).contains(QStringLiteral("COM23")));
}

void TestSetupApiWin32::goneOnceRemoved()
{
    const QString refused = enterDevice(QStringLiteral("COM24"));
    if (!refused.isEmpty())
        QSKIP(qPrintable(refused));
    WinDeviceSource real(DeviceSetupApi::createWin32());
    QVERIFY(Discovery::findDevicePorts(real).contains(QStringLiteral("COM24")));
    removeDevice();
    QVERIFY(!Discovery::findDevicePorts(real).contains(QStringLiteral("COM24")));
}

QTEST_GUILESS_MAIN(TestSetupApiWin32)
#include "tst_setupapi_win32.moc"
