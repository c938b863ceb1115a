#pragma once

#include "appearancepicker.h"

// Asks with the standard font and colour dialogs.
class DialogAppearancePicker : public AppearancePicker
{
public:
    std::optional<QFont> pickFont(const QFont &current, QWidget *parent) override;
    QColor pickColor(const QColor &current, QWidget *parent, const QString &title) override;
};
