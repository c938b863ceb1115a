#include "logoverflow.h"

#include "receivelog.h"

void appendPastTheBound(ReceiveLog &log)
{
    const QByteArray batch(1 << 20, 'x');
    for (qint64 sent = 0; sent <= ReceiveLog::bufferLimit + batch.size(); sent += batch.size())
        log.append(batch);
}
