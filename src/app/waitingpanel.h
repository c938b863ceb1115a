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
    // Why the last open failed; empty hides the line. The hint about access
    // rights is only for a port known to be a Tarnwick device.
    void setLastError(const QString &reason, bool knownDevice = false);

    QString heading() const;
    QString errorText() const;
    // Both lines in one, for the bar shown while the views hold text.
    QString summary() const;

    // "VID 04D8 with PID 000A or PID 00DF, or VID 239A with a PID containing 2B"
    static QString knownIdsText();

private:
    QLabel *m_heading;
    QLabel *m_error;
};
