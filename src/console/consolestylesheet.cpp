#include "consolestylesheet.h"

#include "qtcompat.h"

QString consoleStyleSheet(const QFont &font, const QColor &fontColor, const QColor &backColor)
{
    QString sheet = QStringLiteral("QTextEdit { font:");
    if (font.style() == QFont::StyleItalic)
        sheet += QStringLiteral("italic ");
    sheet += QString::number(QtCompat::legacyWeight(font)) + QLatin1Char(' ');
    sheet += QString::number(font.pointSize()) + QStringLiteral("pt ");
    sheet += QLatin1Char('"') + font.family() + QStringLiteral("\";");
    sheet += QStringLiteral("color:rgb(%1,%2,%3);")
                 .arg(fontColor.red()).arg(fontColor.green()).arg(fontColor.blue());
    sheet += QStringLiteral("background-color:rgb(%1,%2,%3); }")
                 .arg(backColor.red()).arg(backColor.green()).arg(backColor.blue());
    return sheet;
}
