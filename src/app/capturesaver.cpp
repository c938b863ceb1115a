#include "capturesaver.h"

#include "receivefeed.h"
#include "saveaside.h"
#include "zividview.h"

#include <QDir>
#include <QFileDialog>
#include <QMessageBox>

#include <utility>

CaptureSaver::CaptureSaver(ZIvidView *console, ReceiveFeed *feed, QWidget *window)
    : m_console(console)
    , m_feed(feed)
    , m_window(window)
{
}

void CaptureSaver::setFileNameProvider(std::function<QString()> provider)
{
    m_fileNameProvider = std::move(provider);
}

QString CaptureSaver::askFileName()
{
    if (m_fileNameProvider)
        return m_fileNameProvider();
    return QFileDialog::getSaveFileName(m_window, tr("Save Capture File"), QString(),
                                        tr("html Files (*.html);;log Files (*.log)"));
}

void CaptureSaver::save()
{
    const QString fileName = askFileName();
    if (fileName.isEmpty())
        return;
    // Batches held back for the console belong in the capture too.
    m_feed->showHeld();

    const bool html = fileName.contains(QLatin1String(".html"));
    const SaveAsideResult result = saveAside(fileName, [this, html](QIODevice *file) {
        return html ? m_console->writeHtml(file) : m_console->writePlainText(file);
    });
    if (result.saved)
        return;
    QMessageBox box(QMessageBox::Critical, tr("save capture file Error!"),
                    result.opened ? tr("Can't Write File") : tr("Can't Open File"), QMessageBox::Ok,
                    m_window);
    box.setInformativeText(QDir::toNativeSeparators(fileName) + QLatin1Char('\n') + result.errorString);
    box.exec();
}
