// The real terminal with one simulated Tarnwick device plugged in: it echoes
// what is typed, answers "AT" with "OK" and prints a colour-coded telemetry
// line every second, in UTF-8, so the terminal can be seen working without
// hardware.
// The Device menu's resets and break reach it and it says so, and the line
// "loady" makes it take a file by YMODEM (Main → Send File…) as a
// bootloader would.
// With --repl it plays a REPL instead: a linenoise-style prompt that edits
// its line with terminal sequences and sets a status title (switch on
// View → Line Editing, and Terminal Keys, to use it).

#include "lineprompt.h"
#include "simulateddevice.h"
#include "simulateddevicesource.h"
#include "simulatedloader.h"
#include "simulatedmodemlines.h"
#include "tarnterm.h"

#include <QApplication>
#include <QRandomGenerator>
#include <QTimer>

int main(int argc, char *argv[])
{
    Q_INIT_RESOURCE(tarnterm);
    QApplication app(argc, argv);

    const bool repl = app.arguments().contains(QStringLiteral("--repl"));
    SimulatedDevice device;
    device.setEcho(!repl);
    device.setAnswerAt(!repl);
    SimulatedDeviceSource source;
    source.add(&device);

    TarnTerm window;
    window.setDeviceSource(&source);
    // The Device menu's DTR, RTS, break and resets reach the device here.
    window.setModemLinesProvider([&device](SerialPort *) { return device.modemLines(); });
    window.show();
    QObject::connect(&app, &QApplication::lastWindowClosed, &app, &QApplication::quit);

    LinePrompt prompt;
    if (repl) {
        QObject::connect(&device, &SimulatedDevice::bytesReceived, [&](const QByteArray &bytes) {
            device.send(prompt.receive(bytes));
        });
        QTimer::singleShot(1500, [&] { device.send("Tarnwick REPL; numbers are doubled\r\n" + prompt.start()); });
        return app.exec();
    }

    SimulatedLoader loader(&device);
    int seconds = 0;
    QTimer telemetry;
    QObject::connect(&telemetry, &QTimer::timeout, [&] {
        ++seconds;
        // A bootloader taking a file prints nothing else.
        if (!window.currentPort() || loader.isActive())
            return;
        const double volts = 3.3 + QRandomGenerator::global()->bounded(100) / 1000.0;
        // Colour-coded as many embedded SDKs log: green information, a
        // yellow warning now and then (seen as colour with Device Colours).
        // In UTF-8, as devices print today (seen as such with View → UTF-8).
        QByteArray line = QStringLiteral("\x1b[0;32mI (%1) sensor: t=%1s vbus=%2V temp=%3°C\x1b[0m\r\n")
                              .arg(seconds)
                              .arg(volts, 0, 'f', 3)
                              .arg(24 + QRandomGenerator::global()->bounded(3))
                              .toUtf8();
        if (seconds % 4 == 0)
            line += QStringLiteral("\x1b[0;33mW (%1) power: vbus ripple above 40 mV ⚡\x1b[0m\r\n")
                        .arg(seconds)
                        .toUtf8();
        if (seconds % 8 == 0)
            line += QStringLiteral("I (%1) tasks: ├─ idle 97 %  └─ 中断 3 %\r\n").arg(seconds).toUtf8();
        device.send(line);
    });
    telemetry.start(1000);

    return app.exec();
}
