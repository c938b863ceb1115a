#include "slicedsave.h"

#include "connectionbar.h"
#include "zividview.h"

#include <QDir>
#include <QProgressDialog>
#include <QSaveFile>
#include <QThread>

#include <algorithm>

namespace {

constexpr qint64 sliceMsecs = 15;
constexpr qint64 progressDelayMsecs = 500;
// A slice is written in pieces this size, so that its time is looked at.
constexpr qint64 pieceBytes = qint64(256) << 10;

} // namespace

SlicedSave::SlicedSave(ZIvidView *view, const QString &fileName, const TextExporter &exporter)
    : QObject(view)
    , m_view(view)
    , m_fileName(fileName)
    , m_exporter(exporter)
{
    m_nextSlice.setSingleShot(true);
    m_nextSlice.setInterval(0);
    connect(&m_nextSlice, &QTimer::timeout, this, &SlicedSave::nextSlice);
    connect(view, &ZIvidView::textRewritten, this, &SlicedSave::textRewritten);
}

// A window closed while the last rename runs waits for it.
SlicedSave::~SlicedSave()
{
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
    m_file = std::make_unique<QSaveFile>(m_fileName);
    m_file->setDirectWriteFallback(true);
    if (!m_file->open(QIODevice::WriteOnly | QIODevice::Text)) {
        finish(Outcome::Failed, m_file->errorString());
        return;
    }
    m_opened = true;
    if (!writeSlice())
        return;
    if (!m_exporter.atEnd()) {
        m_nextSlice.start();
        return;
    }
    // Small enough for one slice: written and renamed before returning, as
    // a save always was.
    m_committing = true;
    m_commitOk = m_file->flush() && m_file->commit();
    m_commitError = m_file->errorString();
    committed();
}

void SlicedSave::cancel()
{
    if (!m_finished && !m_committing)
        finish(Outcome::Cancelled);
}

// What is already written would not match the text any more.
void SlicedSave::textRewritten(qint64 from)
{
    if (m_finished || m_committing || from >= m_exporter.to())
        return;
    if (m_noticeBar) {
        m_noticeBar->addNotice(tr("Not saved to %1: the text being saved was cleared or changed meanwhile; "
                                  "the file is as it was.")
                                   .arg(QDir::toNativeSeparators(m_fileName)));
    }
    finish(Outcome::Rewritten);
}

// False when a write failed, which finishes the save.
bool SlicedSave::writeSlice()
{
    QElapsedTimer slice;
    slice.start();
    QByteArray out;
    qint64 written = 0;
    while (!m_exporter.atEnd() && written < m_sliceBytes && slice.elapsed() < sliceMsecs) {
        out.clear();
        m_exporter.next(&out, std::min(pieceBytes, m_sliceBytes - written));
        if (m_file->write(out) != out.size()) {
            finish(Outcome::Failed, m_file->errorString());
            return false;
        }
        written += out.size();
    }
    return true;
}

void SlicedSave::nextSlice()
{
    if (!writeSlice())
        return;
    if (m_exporter.atEnd()) {
        commitAside();
        return;
    }
    updateProgress();
    m_nextSlice.start();
}

// Syncing and renaming a gigabyte can take seconds; received data goes on
// meanwhile, and the text may change freely since all of it is written.
// commit() flushes the buffered bytes without noticing a short write (a
// full disk), hence the flush first.
void SlicedSave::commitAside()
{
    m_committing = true;
    if (m_progress) {
        m_progress->setCancelButton(nullptr);
        m_progress->setLabelText(tr("Writing %1 to the disk…").arg(QDir::toNativeSeparators(m_fileName)));
        m_progress->setValue(m_progress->maximum());
    }
    QSaveFile *file = m_file.get();
    m_committer.reset(QThread::create([this, file] {
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

void SlicedSave::finish(Outcome outcome, const QString &errorString)
{
    m_nextSlice.stop();
    m_finished = true;
    Result result;
    result.outcome = outcome;
    result.opened = m_opened;
    result.errorString = outcome == Outcome::Failed ? errorString : QString();
    if (m_file && outcome != Outcome::Saved)
        m_file->cancelWriting();
    // Cancel may be what finished it, in the middle of the dialog's signal.
    if (m_progress)
        m_progress->deleteLater();
    emit finished(result);
    deleteLater();
}
