#pragma once

#include "textexporter.h"

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>

#include <memory>

class ConnectionBar;
class LogWriter;
class QProgressDialog;
class QSaveFile;
class QThread;
class ZIvidView;

// Saves a capture or a selection from the event loop: a slice of about a
// megabyte or 15 ms at a time is made from the text and handed to a thread
// that writes it (LogWriter), so that the window keeps answering and
// received data keeps arriving while a gigabyte is saved.
//
// The file is written aside (QSaveFile) and renamed over the target only
// when complete, so a Cancel, an error, or text rewritten before the end of
// what is being saved (ZIvidView::textRewritten) leaves an existing file as
// it was; where the folder takes no new file, an existing one is written
// directly. A save that lasts over half a second shows a progress dialog
// with Cancel that holds nothing up. The last flush, sync and rename run on
// a thread of their own; a save that fits in one slice is done at once.
//
// Belongs to the view; deletes itself once it has said finished().
class SlicedSave : public QObject
{
    Q_OBJECT

public:
    enum class Outcome
    {
        Saved,
        Cancelled,
        // The text being saved changed: the save stopped.
        Rewritten,
        Failed,
    };
    struct Result
    {
        Outcome outcome = Outcome::Failed;
        bool opened = false;
        QString errorString;
    };

    SlicedSave(ZIvidView *view, const QString &fileName, const TextExporter &exporter);
    ~SlicedSave() override;

    // The most output one slice writes; the slice also ends after 15 ms.
    void setSliceBytes(qint64 bytes) { m_sliceBytes = bytes; }
    // Where a save stopped by a rewrite is said; without one it is only
    // reported by finished().
    void setNoticeBar(ConnectionBar *bar);

    // Opens the file and writes the first slice: a save that fits in one
    // is complete, and finished() said, before this returns.
    void start();
    // Nothing is saved; the file stays as it was. Too late once the last
    // rename has begun.
    void cancel();
    bool isFinished() const { return m_finished; }

signals:
    void finished(const SlicedSave::Result &result);

private:
    void textRewritten(qint64 from);
    QByteArray makeSlice();
    void nextSlice();
    void commitAside();
    void committed();
    void updateProgress();
    void finish(Outcome outcome, const QString &errorString = {});

    ZIvidView *m_view;
    QString m_fileName;
    TextExporter m_exporter;
    std::shared_ptr<QSaveFile> m_file;
    std::unique_ptr<LogWriter> m_writer;
    qint64 m_sliceBytes = qint64(1) << 20;
    QTimer m_nextSlice;
    QElapsedTimer m_elapsed;
    QPointer<QProgressDialog> m_progress;
    QPointer<ConnectionBar> m_noticeBar;
    std::unique_ptr<QThread> m_committer;
    bool m_commitOk = false;
    QString m_commitError;
    bool m_opened = false;
    bool m_committing = false;
    bool m_finished = false;
};

Q_DECLARE_METATYPE(SlicedSave::Result)
