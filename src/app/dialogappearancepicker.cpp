#include "dialogappearancepicker.h"

#include <QColorDialog>
#include <QFontDialog>

std::optional<QFont> DialogAppearancePicker::pickFont(const QFont &current, QWidget *parent)
{
    bool ok = false;
    const QFont font = QFontDialog::getFont(&ok, current, parent);
    if (!ok)
        return std::nullopt;
    return font;
}

QColor DialogAppearancePicker::pickColor(const QColor &current, QWidget *parent, const QString &title)
{
    return QColorDialog::getColor(current, parent, title);
}
