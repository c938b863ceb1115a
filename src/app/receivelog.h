#pragma once

#include <QFile>
#include <QObject>

// Keeps every received byte, raw, in a file given by the user. The file is
// appended to, never truncated, and written through after each batch so a
// crash loses nothing. The first failure is reported once and ends logging;
// the terminal goes on without it.
class ReceiveLog : public QObject
{
    Q_OBJECT

public:
    explicit ReceiveLog(QObject *parent = nullptr);

    // Connect failed() first: a file that cannot be opened is reported there.
    bool open(const QString &fileName);
    void close();
    bool isLogging() const { return m_file.isOpen(); }
    QString fileName() const { return m_file.fileName(); }

    // Does nothing once logging has stopped.
    void append(const QByteArray &bytes);

signals:
    // reason is the system's text, such as "No space left on device".
    void failed(const QString &fileName, const QString &reason);

private:
    void fail();

    QFile m_file;
};
