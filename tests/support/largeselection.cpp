#include "largeselection.h"

#include "zividview.h"

#include <QClipboard>
#include <QGuiApplication>

QByteArray selectMoreThanTheClipboardTakes(ZIvidView &view)
{
    const QByteArray line("0123456789abcdef0123456789abcdef0123456789abcdef0123456789abcdef\n");
    const QByteArray text = line.repeated(int(ZIvidView::clipboardLimit / line.size()) + 1);
    view.displayData(text);
    view.selectAll();
    QGuiApplication::clipboard()->setText(QStringLiteral("before"));
    return text;
}
