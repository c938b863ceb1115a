#pragma once

#include "benchmeasure.h"
#include "simulateddevice.h"
#include "simulateddevicesource.h"

#include <QAtomicInteger>
#include <QElapsedTimer>
#include <QString>
#include <QTimer>

#include <functional>
#include <memory>

class HexView;
class QThread;
class SerialPort;
class TarnTerm;
class ZIvidView;

// Shared by the benchmark programs: quiet debug output, a settings store of
// their own, and the clocks they read.
namespace Bench {

void init();                 // call right after the QApplication exists
double cpuSeconds();         // user + system time of this process
double threadCpuSeconds();   // user + system time of the calling thread

// Lines of 78 characters and CR LF, as a device printing text sends them.
QByteArray textOf(qint64 size);

ZIvidView *console(TarnTerm *window);
HexView *hexView(TarnTerm *window);

// Runs the event loop until done() holds, waking at least every 50 ms.
void runUntil(const std::function<bool()> &done);

// The real window, shown, hex mode on or off, connected to a simulated device.
struct Session
{
    explicit Session(bool hexMode = true);
    ~Session();
    qint64 shown() const; // bytes in the hex view

    SimulatedDevice device;
    SimulatedDeviceSource source;
    std::unique_ptr<TarnTerm> window;
    SerialPort *port = nullptr;
};

// Plays a device in a thread of its own, as a real device is a process of its
// own: the window's thread then does only the terminal's work.
class DeviceThread
{
public:
    explicit DeviceThread(SimulatedDevice &device);
    ~DeviceThread(); // hands the device back to the calling thread
    // Runs f in the device's thread, later.
    void post(std::function<void()> f);
    QThread *thread() const { return m_thread; }

private:
    SimulatedDevice &m_device;
    QThread *m_thread;
};

// Plays the session's device in a thread of its own, sending 64-byte pieces
// of stream (repeated) at bytesPerSecond for the given time, so that the
// terminal's thread does only the terminal's work.
class PacedSender
{
public:
    PacedSender(Session &session, const QByteArray &stream, qint64 bytesPerSecond, int seconds);
    ~PacedSender(); // hands the device back to the calling thread
    qint64 sent() const;

private:
    Session &m_session;
    DeviceThread m_deviceThread;
    QTimer *m_timer;
    QAtomicInteger<qint64> m_sent {0};
};

// Longest gap between the ticks of a 10 ms timer: how long input would wait.
struct Responsiveness
{
    Responsiveness();
    QTimer timer;
    QElapsedTimer clock;
    qint64 worst = 0;
};

} // namespace Bench
