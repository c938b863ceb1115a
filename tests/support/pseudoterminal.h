#pragma once

#include <QByteArray>
#include <QString>

// A pseudo-terminal whose master side plays the device. The slave's path is
// the port name handed to the terminal.
class PseudoTerminal
{
public:
    PseudoTerminal();
    ~PseudoTerminal();
    PseudoTerminal(const PseudoTerminal &) = delete;
    PseudoTerminal &operator=(const PseudoTerminal &) = delete;

    bool isValid() const { return m_master >= 0; }
    QString slavePath() const { return m_slavePath; }
    int masterFd() const { return m_master; }

    // Bytes as the device sends them.
    bool write(const QByteArray &bytes);
    // Whatever the terminal wrote, collected until `count` bytes arrived or
    // timeoutMs passed, while the Qt event loop keeps running.
    QByteArray readAtLeast(int count, int timeoutMs = 5000);
    // What the terminal wrote so far, without waiting beyond the event loop pass.
    QByteArray readAvailable();
    // Unplugging: the open port on the slave side sees a hang-up.
    void closeMaster();

private:
    int m_master = -1;
    int m_slave = -1; // kept open so the line settings stay until the port opens
    QString m_slavePath;
};
