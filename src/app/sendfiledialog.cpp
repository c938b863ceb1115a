#include "sendfiledialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>

SendFileDialog::SendFileDialog(QWidget *parent)
    : QDialog(parent)
    , m_file(new QLineEdit(this))
    , m_mode(new QComboBox(this))
    , m_lineDelay(new QSpinBox(this))
    , m_buttons(new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this))
{
    setWindowTitle(tr("Send File"));
    auto *browse = new QPushButton(tr("Browse…"), this);
    auto *fileRow = new QHBoxLayout;
    fileRow->addWidget(m_file);
    fileRow->addWidget(browse);
    m_mode->addItem(tr("Raw"), QStringLiteral("raw"));
    m_mode->addItem(tr("XMODEM (CRC)"), QStringLiteral("xmodem"));
    m_mode->addItem(tr("XMODEM-1K"), QStringLiteral("xmodem1k"));
    m_mode->addItem(tr("YMODEM"), QStringLiteral("ymodem"));
    m_lineDelay->setRange(0, 60000);
    m_lineDelay->setSuffix(tr(" ms"));
    m_lineDelay->setSpecialValueText(tr("none"));

    auto *form = new QFormLayout(this);
    form->addRow(tr("File:"), fileRow);
    form->addRow(tr("Mode:"), m_mode);
    form->addRow(tr("Delay after each line:"), m_lineDelay);
    form->addRow(m_buttons);

    QPushButton *ok = m_buttons->button(QDialogButtonBox::Ok);
    ok->setText(tr("Send"));
    ok->setEnabled(false);
    connect(m_file, &QLineEdit::textChanged, ok, [ok](const QString &text) { ok->setEnabled(!text.isEmpty()); });
    // A protocol paces itself by the receiver's answers.
    connect(m_mode, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
            [this] { m_lineDelay->setEnabled(mode() == QLatin1String("raw")); });
    connect(browse, &QPushButton::clicked, this, &SendFileDialog::browse);
    connect(m_buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(m_buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

QString SendFileDialog::fileName() const
{
    return m_file->text();
}

void SendFileDialog::setMode(const QString &mode)
{
    const int index = m_mode->findData(mode);
    if (index >= 0)
        m_mode->setCurrentIndex(index);
}

QString SendFileDialog::mode() const
{
    return m_mode->currentData().toString();
}

void SendFileDialog::setLineDelay(int ms)
{
    m_lineDelay->setValue(ms);
}

int SendFileDialog::lineDelay() const
{
    return m_lineDelay->value();
}

void SendFileDialog::browse()
{
    const QString chosen = QFileDialog::getOpenFileName(this, tr("Send File"), m_folder);
    if (chosen.isEmpty())
        return;
    m_file->setText(chosen);
    m_folder = QFileInfo(chosen).absolutePath();
}
