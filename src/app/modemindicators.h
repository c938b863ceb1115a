#pragma once

#include <QWidget>

class QLabel;
struct ModemInputs;

// CTS, DSR, DCD and RI as four small labels in the status bar: lit while
// the device drives the line, dim while it does not, greyed out when the
// port does not report them.
class ModemIndicators : public QWidget
{
    Q_OBJECT

public:
    explicit ModemIndicators(QWidget *parent = nullptr);

    void showInputs(bool known, const ModemInputs &inputs);
    // "CTS DSR" for the lit ones; for tests and the log.
    QString litNames() const;

private:
    QLabel *m_labels[4];
};
