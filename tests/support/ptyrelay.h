#pragma once

#include "pseudoterminal.h"

#include <QByteArray>
#include <QObject>
#include <QProcess>

#include <functional>

class QSocketNotifier;

// A program that runs on a serial line of its own: its standard input is the
// slave side of a fresh pseudo-terminal, where it can set raw mode. Its
// output comes back through a pipe: lrzsz flushes its terminal as it exits,
// and on a pseudo-terminal that flush drops a last answer the other side has
// not read yet.
class PtyPeer
{
public:
    enum class Output { Pipe, Line };
    // Starts `program` in `folder`; false when it cannot start. With
    // Output::Line it writes to the line as well, as the terminal does.
    bool start(const QString &program, const QStringList &arguments, const QString &folder,
               Output output = Output::Pipe);
    int masterFd() const { return m_line.masterFd(); }
    QProcess &process() { return m_process; }
    // True once the program has ended, waiting up to `ms` for it with the
    // event loop running.
    bool waitForExit(int ms);

private:
    PseudoTerminal m_line;
    QProcess m_process;
};

// Joins a pseudo-terminal master to a peer as a null-modem cable would,
// passing the bytes both ways in the event loop. What goes to the peer can be
// spoiled on the way, to play a noisy line.
class PtyRelay : public QObject
{
    Q_OBJECT

public:
    PtyRelay(int master, PtyPeer &peer, QObject *parent = nullptr);
    ~PtyRelay() override;

    // Sees each piece going to the peer, with the count of bytes that went
    // before it, and may change it.
    using Spoiler = std::function<void(QByteArray &piece, qint64 offset)>;
    void setSpoiler(Spoiler spoiler) { m_spoiler = std::move(spoiler); }

private:
    struct Direction
    {
        int to;
        QSocketNotifier *writable;
        QByteArray pending;
    };
    void readFromMaster();
    void flush(Direction &direction);

    int m_master;
    QSocketNotifier *m_masterReadable;
    Direction m_toPeer;
    Direction m_toMaster;
    qint64 m_passed = 0;
    bool m_masterOpen = true;
    Spoiler m_spoiler;
};
