#include "largeselectionsaver.h"

#include "slicedsave.h"
#include "zividview.h"

#include <QDir>
#include <QFileDialog>
#include <QMessageBox>

LargeSelectionSaver::LargeSelectionSaver(ZIvidView *view, ConnectionBar *bar)
    : m_view(view)
    , m_bar(bar)
{
}

void LargeSelectionSaver::setFileNameProvider(std::function<QString(qint64)> provider)
{
    m_fileName = std::move(provider);
}

void LargeSelectionSaver::operator()(qint64 size, const std::function<void()> &saved) const
{
    const QString fileName = m_fileName ? m_fileName(size) : askFileName(size);
    if (fileName.isEmpty())
        return;
    auto *save = new SlicedSave(m_view, fileName, m_view->selectionExporter());
    save->setNoticeBar(m_bar);
    ZIvidView *view = m_view;
    QObject::connect(save, &SlicedSave::finished, view, [view, fileName, saved](const SlicedSave::Result &result) {
        if (result.outcome == SlicedSave::Outcome::Saved && saved)
            saved();
        else if (result.outcome == SlicedSave::Outcome::Failed)
            reportFailure(view, fileName, result.errorString);
    });
    save->start();
}

// Not modal: a test, or a user busy elsewhere, is not held up by it.
void LargeSelectionSaver::reportFailure(ZIvidView *view, const QString &fileName, const QString &errorString)
{
    auto *box = new QMessageBox(QMessageBox::Critical, tr("Copy"), tr("Can't write the selection to a file."),
                                QMessageBox::Ok, view);
    box->setInformativeText(QDir::toNativeSeparators(fileName) + QLatin1Char('\n') + errorString);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

QString LargeSelectionSaver::askFileName(qint64 size) const
{
    const auto megabytes = [](qint64 bytes) { return QString::number(double(bytes) / (1 << 20), 'f', 0); };
    QMessageBox box(QMessageBox::Information, tr("Copy"),
                    tr("The selection holds %1 MB; the clipboard takes at most %2 MB.")
                        .arg(megabytes(size), megabytes(ZIvidView::clipboardLimit)),
                    QMessageBox::Save | QMessageBox::Cancel, m_view);
    box.setInformativeText(tr("Save the selection to a file instead?"));
    if (box.exec() != QMessageBox::Save)
        return {};
    return QFileDialog::getSaveFileName(m_view, tr("Save Selection"), QString(),
                                        tr("log Files (*.log);;All Files (*)"));
}
