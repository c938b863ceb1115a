#include "largeselectionsaver.h"

#include "saveaside.h"
#include "zividview.h"

#include <QDir>
#include <QFileDialog>
#include <QMessageBox>

LargeSelectionSaver::LargeSelectionSaver(ZIvidView *view)
    : m_view(view)
{
}

void LargeSelectionSaver::setFileNameProvider(std::function<QString(qint64)> provider)
{
    m_fileName = std::move(provider);
}

bool LargeSelectionSaver::operator()(qint64 size) const
{
    const QString fileName = m_fileName ? m_fileName(size) : askFileName(size);
    if (fileName.isEmpty())
        return false;
    const SaveAsideResult result = saveAside(fileName, [this](QIODevice *file) { return m_view->writeSelection(file); });
    if (result.saved)
        return true;
    // Not modal: a test, or a user busy elsewhere, is not held up by it.
    auto *box = new QMessageBox(QMessageBox::Critical, tr("Copy"), tr("Can't write the selection to a file."),
                                QMessageBox::Ok, m_view);
    box->setInformativeText(QDir::toNativeSeparators(fileName) + QLatin1Char('\n') + result.errorString);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
    return false;
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
