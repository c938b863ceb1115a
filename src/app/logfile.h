#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

#include <memory>

// The file behind --log, opened so that nothing waits on a reader: a FIFO
// with no reader fails at once, and a write the reader is not ready for
// returns 0 instead of blocking. A file on disk never refuses a write, but
// a slow disk or share may hold it: write that one from another thread.
class LogFile
{
public:
    LogFile() = default;
    ~LogFile();
    LogFile(const LogFile &) = delete;
    LogFile &operator=(const LogFile &) = delete;

    // Appends to the file, creating it; false with errorString() on failure.
    bool open(const QString &fileName);
    void close();
    bool isOpen() const;
    QString fileName() const { return m_fileName; }
    // The system's reason for the last failure ("No space left on device").
    QString errorString() const { return m_error; }

    // Bytes taken, 0 when the reader is not ready for more, -1 on failure.
    qint64 write(const char *data, qint64 size);
    // What to watch for the moment the reader takes more; -1 for a file on
    // disk, which never refuses a write.
    int writeNotifierHandle() const;

private:
    QString m_fileName;
    QString m_error;
    // A descriptor where the system has one (Unix), else the file itself.
    qintptr m_handle = -1;
    bool m_onDisk = false;
    std::unique_ptr<QFile> m_file;
};
