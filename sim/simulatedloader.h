#pragma once

#include "ymodemreceiver.h"

#include <QObject>
#include <QTimer>

#include <memory>

class SimulatedDevice;

// A bootloader's `loady` on the simulated device: the line "loady" makes it
// ask for a file by YMODEM for up to a minute, then say what it got. Echo
// is off while it runs, as the device would not answer the protocol's bytes.
class SimulatedLoader : public QObject
{
    Q_OBJECT

public:
    explicit SimulatedLoader(SimulatedDevice *device, QObject *parent = nullptr);
    // A transfer is asked for or under way: the device keeps quiet.
    bool isActive() const { return m_receiver != nullptr; }
    // The last file taken whole.
    QByteArray lastFile() const { return m_lastFile; }

private:
    void take(const QByteArray &bytes);
    void start();
    void finish(const QByteArray &summary);

    SimulatedDevice *m_device;
    QByteArray m_line;
    std::unique_ptr<YmodemReceiver> m_receiver;
    QTimer m_ask;
    int m_asked = 0;
    QByteArray m_lastFile;
};
