#include "capturesaver.h"

#include "receivefeed.h"
#include "slicedsave.h"
#include "zividview.h"

#include <QDir>
#include <QFileDialog>
#include <QMessageBox>

#include <utility>

CaptureSaver::CaptureSaver(ZIvidView *console, ReceiveFeed *feed, QWidget *window, ConnectionBar *bar)
    : m_console(console)
    , m_feed(feed)
    , m_window(window)
    , m_bar(bar)
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
    auto *save = new SlicedSave(
        m_console, fileName,
        m_console->captureExporter(html ? TextExporter::Format::Html : TextExporter::Format::PlainText));
    save->setNoticeBar(m_bar);
    QWidget *window = m_window;
    QObject::connect(save, &SlicedSave::finished, window, [window, fileName](const SlicedSave::Result &result) {
        if (result.outcome == SlicedSave::Outcome::Failed)
            reportFailure(window, fileName, result);
    });
    save->start();
}

void CaptureSaver::reportFailure(QWidget *window, const QString &fileName, const SlicedSave::Result &result)
{
    QMessageBox box(QMessageBox::Critical, tr("save capture file Error!"),
                    result.opened ? tr("Can't Write File") : tr("Can't Open File"), QMessageBox::Ok, window);
    box.setInformativeText(QDir::toNativeSeparators(fileName) + QLatin1Char('\n') + result.errorString);
    box.exec();
}
