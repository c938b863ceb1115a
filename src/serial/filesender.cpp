#include "filesender.h"

#include "serialport.h"

#include <QFileInfo>
#include <QTimer>

FileSender::FileSender(SerialPort *port, QObject *parent)
    : QObject(parent)
    , m_port(port)
{
}

bool FileSender::start(const QString &fileName)
{
    m_name = QFileInfo(fileName).fileName();
    m_file.setFileName(fileName);
    if (!portIsOpen()) {
        m_error = tr("%1: no device is connected").arg(m_name);
        return false;
    }
    if (!m_file.open(QIODevice::ReadOnly)) {
        m_error = tr("%1: cannot read the file: %2").arg(m_name, m_file.errorString());
        return false;
    }
    m_total = m_file.size();
    m_running = true;
    m_clock.start();
    connect(m_port, &SerialPort::deviceLost, this, [this] { stopPartway(tr("the device went away")); });
    // The watch deletes a lost port later; a port closed any other way ends the send too.
    connect(m_port, &QObject::destroyed, this, [this] { stopPartway(tr("the device went away")); });
    QTimer::singleShot(0, this, [this] {
        if (m_running)
            begin();
    });
    return true;
}

SerialPort *FileSender::port() const
{
    return m_port;
}

bool FileSender::portIsOpen() const
{
    return m_port && m_port->isOpen();
}

void FileSender::cancel()
{
    if (!m_running)
        return;
    abandon();
    stopPartway(tr("cancelled"));
}

void FileSender::succeed()
{
    const double seconds = m_clock.elapsed() / 1000.0;
    stop(tr("sent %1 bytes in %2 s").arg(sent()).arg(seconds, 0, 'f', 1));
}

void FileSender::stopPartway(const QString &why)
{
    stop(tr("%1 after %2 of %3 bytes").arg(why).arg(sent()).arg(m_total));
}

void FileSender::stop(const QString &outcome)
{
    if (!m_running)
        return;
    m_running = false;
    m_file.close();
    if (m_port)
        disconnect(m_port, nullptr, this, nullptr);
    emit finished(QStringLiteral("%1: %2").arg(m_name, outcome));
}
