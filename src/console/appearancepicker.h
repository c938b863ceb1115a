#pragma once

#include <QColor>
#include <QFont>
#include <QString>

#include <optional>

class QWidget;

// Asks the user for the console's font and colours; the window installs
// one that shows dialogs, so the console itself opens none.
class AppearancePicker
{
public:
    virtual ~AppearancePicker() = default;
    // Nothing when cancelled.
    virtual std::optional<QFont> pickFont(const QFont &current, QWidget *parent) = 0;
    // Invalid when cancelled.
    virtual QColor pickColor(const QColor &current, QWidget *parent, const QString &title) = 0;
};
