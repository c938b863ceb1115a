#pragma once

#include "filesender.h"

class QTimer;

// Sends a file's bytes as they are: a chunk at a time, the next once the
// port has handed the last one to the line, so a slow line holds no more
// than a chunk in memory and the window keeps running. With a line delay it
// pauses that long after each LF has gone.
class RawFileSender : public FileSender
{
    Q_OBJECT

public:
    static constexpr int chunkSize = 4096;

    RawFileSender(SerialPort *port, int lineDelayMs, QObject *parent = nullptr);

    // Bytes that left for the line (handed to the port and no longer queued).
    qint64 sent() const override;

protected:
    void begin() override;

private:
    void sendNext();
    void afterDrain();
    void scheduleNext();

    int m_lineDelay;
    QByteArray m_pending;
    qint64 m_handed = 0;
    bool m_waitingForDrain = false;
    bool m_lineEnded = false;
    QTimer *m_next;
};
