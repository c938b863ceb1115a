#pragma once

#include <QByteArray>

// The receiving side of YMODEM (CRC, 128- and 1K-byte blocks, a batch of
// one file), as a bootloader's `loady` plays it, for the demo. Fed the
// bytes the terminal sends; gives back what to answer. Holds the file in
// memory.
class YmodemReceiver
{
public:
    enum class State { Waiting, Receiving, Done, Failed };

    // Asks the sender to start, as the receiver does until it does ('C').
    QByteArray poll() const;
    QByteArray receive(const QByteArray &bytes);

    State state() const { return m_state; }
    QByteArray fileName() const { return m_name; }
    qint64 fileSize() const { return m_size; }
    const QByteArray &data() const { return m_data; }

private:
    // Takes the first block in m_pending, or waits for more of it.
    QByteArray takeBlock(bool &more);
    QByteArray takeHeader(const QByteArray &payload);

    State m_state = State::Waiting;
    QByteArray m_pending;
    QByteArray m_name;
    qint64 m_size = -1;
    QByteArray m_data;
    int m_expected = 0; // the next block's number
    bool m_headerTaken = false;
    bool m_endOfFileSeen = false;
};
