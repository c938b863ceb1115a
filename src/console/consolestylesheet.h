#pragma once

#include <QColor>
#include <QFont>
#include <QString>

// The console's one-line style sheet: font, text colour and background.
QString consoleStyleSheet(const QFont &font, const QColor &fontColor, const QColor &backColor);
