#include "logfile.h"

#include <QFile>

// Windows has no FIFOs in the file system: the log is a plain file, and a
// write to it completes.

LogFile::~LogFile()
{
    close();
}

bool LogFile::open(const QString &fileName)
{
    close();
    m_fileName = fileName;
    m_error.clear();
    auto file = std::make_unique<QFile>(fileName);
    if (!file->open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered)) {
        m_error = file->errorString();
        return false;
    }
    m_file = std::move(file);
    return true;
}

void LogFile::close()
{
    m_file.reset();
}

bool LogFile::isOpen() const
{
    return m_file != nullptr;
}

qint64 LogFile::write(const char *data, qint64 size)
{
    const qint64 written = m_file->write(data, size);
    if (written < 0)
        m_error = m_file->errorString();
    return written;
}

int LogFile::writeNotifierHandle() const
{
    return -1;
}
