#include "receivelog.h"

#include <QLoggingCategory>

Q_LOGGING_CATEGORY(logFileCategory, "tarnterm.log")

ReceiveLog::ReceiveLog(QObject *parent)
    : QObject(parent)
{
}

bool ReceiveLog::open(const QString &fileName)
{
    close();
    m_file.setFileName(fileName);
    // Unbuffered: every write reaches the system at once and its error with it.
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered)) {
        fail();
        return false;
    }
    return true;
}

void ReceiveLog::close()
{
    m_file.close();
}

void ReceiveLog::append(const QByteArray &bytes)
{
    if (!m_file.isOpen() || bytes.isEmpty())
        return;
    if (m_file.write(bytes) != bytes.size())
        fail();
}

void ReceiveLog::fail()
{
    const QString reason = m_file.errorString();
    qCWarning(logFileCategory) << "log file error [" << m_file.fileName() << "]" << reason;
    m_file.close();
    emit failed(m_file.fileName(), reason);
}
