#include "slicedsave.h"

#include "connectionbar.h"
#include "logwriter.h"
#include "zividview.h"

#include <QDir>
#include <QProgressDialog>
#include <QSaveFile>
#include <QThread>

#include <algorithm>

namespace {

constexpr qint64 sliceMsecs = 15;
constexpr qint64 progressDelayMsecs = 500;
// A slice is made in pieces this size, so that its time is looked at.
constexpr qint64 pieceBytes = qint64(256) << 10;
// What may wait for the writing thread; past it the slices wait, a few
// milliseconds at a time, instead of the window.
constexpr qint64 queuedBytes = qint64(16) << 20;
constexpr int writerWaitMsecs = 1;

} // namespace

SlicedSave::SlicedSave(ZIvidView *view, const QString &fileName, const TextExporter &exporter)
    : QObject(view)
    , m_view(view)
    , m_fileName(fileName)
    , m_exporter(exporter)
{
    m_nextSlice.setSingleShot(true);
    connect(&m_nextSlice, &QTimer::timeout, this, &SlicedSave::nextSlice);
    connect(view, &ZIvidView::textRewritten, this, &SlicedSave::textRewritten);
}

// A window closed while the last rename runs waits for it, but not for a
// disk that is slow to take the slices: that save is dropped.
SlicedSave::~SlicedSave()
{
    if (m_writer)
        m_writer->abandon();
    if (m_committer)
        m_committer->wait();
    delete m_progress;
}

void SlicedSave::setNoticeBar(ConnectionBar *bar)
{
    m_noticeBar = bar;
}

void SlicedSave::start()
{
    m_elapsed.start();
    m_file = std::make_shared<QSaveFile>(m_fileName);
    m_file->setDirectWriteFallback(true);
    if (!m_file->open(QIODevice::WriteOnly | QIODevice::Text)) {
        finish(Outcome::Failed, m_file->errorString());
        return;
    }
    m_opened = true;
    const QByteArray first = makeSlice();
    if (m_exporter.atEnd()) {
        // Small enough for one slice: written and renamed before returning,
        // as a save always was.
        m_committing = true;
        m_commitOk = m_file->write(first) == first.size() && m_file->flush() && m_file->commit();
        m_commitError = m_file->errorString();
        committed();
        return;
    }
    // The file belongs to the writing thread until it has written all.
    m_writer = std::make_unique<LogWriter>([file = m_file](const QByteArray &batch, QString *error) {
        if (file->write(batch) == batch.size())
            return true;
        *error = file->errorString();
        return false;
    });
    connect(m_writer.get(), &LogWriter::failed, this, [this](const QString &reason) { finish(Outcome::Failed, reason); });
    m_writer->append(first);
    m_nextSlice.start(0);
}

void SlicedSave::cancel()
{
    if (!m_finished && !m_committing)
        finish(Outcome::Cancelled);
}

// What is already made would not match the text any more; once all of it is
// made, the text may change freely.
void SlicedSave::textRewritten(qint64 from)
{
    if (m_finished || m_exporter.atEnd() || from >= m_exporter.to())
        return;
    if (m_noticeBar) {
        m_noticeBar->addNotice(tr("Not saved to %1: the text being saved was cleared or changed meanwhile; "
                                  "the file is as it was.")
                                   .arg(QDir::toNativeSeparators(m_fileName)));
    }
    finish(Outcome::Rewritten);
}

// The next slice of the output: up to the slice size, or what 15 ms make.
QByteArray SlicedSave::makeSlice()
{
    QElapsedTimer clock;
    clock.start();
    QByteArray out;
    while (!m_exporter.atEnd() && out.size() < m_sliceBytes && clock.elapsed() < sliceMsecs)
        m_exporter.next(&out, std::min(pieceBytes, m_sliceBytes - out.size()));
    return out;
}

void SlicedSave::nextSlice()
{
    if (m_writer->pendingBytes() >= queuedBytes || (m_exporter.atEnd() && m_writer->pendingBytes() > 0)) {
        m_nextSlice.start(writerWaitMsecs);
        return;
    }
    if (m_exporter.atEnd()) {
        commitAside();
        return;
    }
    m_writer->append(makeSlice());
    updateProgress();
    m_nextSlice.start(0);
}

// Everything is written: the writing thread ends at once. Syncing and
// renaming a gigabyte can take seconds, so they run on a thread too.
// commit() flushes the buffered bytes without noticing a short write (a
// full disk), hence the flush first.
void SlicedSave::commitAside()
{
    m_committing = true;
    m_writer.reset();
    if (m_progress) {
        m_progress->setCancelButton(nullptr);
        m_progress->setLabelText(tr("Writing %1 to the disk…").arg(QDir::toNativeSeparators(m_fileName)));
        m_progress->setValue(m_progress->maximum());
    }
    m_committer.reset(QThread::create([this, file = m_file] {
        m_commitOk = file->flush() && file->commit();
        m_commitError = file->errorString();
    }));
    connect(m_committer.get(), &QThread::finished, this, &SlicedSave::committed);
    m_committer->start();
}

void SlicedSave::committed()
{
    finish(m_commitOk ? Outcome::Saved : Outcome::Failed, m_commitError);
}

void SlicedSave::updateProgress()
{
    if (!m_progress && m_elapsed.elapsed() >= progressDelayMsecs) {
        m_progress = new QProgressDialog(tr("Saving %1…").arg(QDir::toNativeSeparators(m_fileName)), tr("Cancel"), 0,
                                         1000, m_view->window());
        m_progress->setWindowTitle(tr("Save"));
        m_progress->setWindowModality(Qt::NonModal);
        m_progress->setAutoClose(false);
        m_progress->setAutoReset(false);
        m_progress->setMinimumDuration(0);
        connect(m_progress, &QProgressDialog::canceled, this, &SlicedSave::cancel);
        m_progress->show();
    }
    if (m_progress) {
        const qint64 length = std::max<qint64>(1, m_exporter.to() - m_exporter.from());
        m_progress->setValue(int(1000 * (m_exporter.position() - m_exporter.from()) / length));
    }
}

// A file not saved is dropped, and with it what was written aside; a write
// under way ends on the writing thread, which then lets go of the file.
void SlicedSave::finish(Outcome outcome, const QString &errorString)
{
    if (m_finished)
        return;
    m_nextSlice.stop();
    m_finished = true;
    if (m_writer) {
        m_writer->abandon();
        m_writer.reset();
    }
    if (m_file && outcome != Outcome::Saved && !m_committing)
        m_file.reset();
    Result result;
    result.outcome = outcome;
    result.opened = m_opened;
    result.errorString = outcome == Outcome::Failed ? errorString : QString();
    // Cancel may be what finished it, in the middle of the dialog's signal.
    if (m_progress)
        m_progress->deleteLater();
    emit finished(result);
    deleteLater();
}
