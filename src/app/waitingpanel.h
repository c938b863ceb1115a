#pragma once

#include <QWidget>

class QLabel;

// Shown in the middle of the window while no device is connected: what the
// terminal is looking for, and why the last port it tried did not open.
class WaitingPanel : public QWidget
{
    Q_OBJECT

public:
    explicit WaitingPanel(QWidget *parent = nullptr);

    // The port given with --port; empty: devices found by their USB IDs.
    void setPortName(const QString &portName);
    // The system's reason the last open failed; empty hides the line.
    void setLastError(const QString &reason);

    QString heading() const;
    QString errorText() const;

    // "VID 04D8 with PID 000A or PID 00DF, or VID 239A with a PID containing 2B"
    static QString knownIdsText();

private:
    QLabel *m_heading;
    QLabel *m_error;
};
