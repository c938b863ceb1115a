#pragma once

#include <QDialog>

class QComboBox;
class QDialogButtonBox;
class QLineEdit;
class QSpinBox;

// Main → Send File…: the file, how it goes (raw, XMODEM or YMODEM) and, for
// a raw send, the pause after each line for devices that need time per line.
class SendFileDialog : public QDialog
{
    Q_OBJECT

public:
    explicit SendFileDialog(QWidget *parent = nullptr);

    QString fileName() const;
    // Where the file chooser opens; the chosen file's folder once one is chosen.
    void setFolder(const QString &folder) { m_folder = folder; }
    QString folder() const { return m_folder; }
    // The mode's stored name: "raw", "xmodem", "xmodem1k" or "ymodem".
    void setMode(const QString &mode);
    QString mode() const;
    void setLineDelay(int ms);
    int lineDelay() const;

private:
    void browse();

    QLineEdit *m_file;
    QComboBox *m_mode;
    QSpinBox *m_lineDelay;
    QDialogButtonBox *m_buttons;
    QString m_folder;
};
