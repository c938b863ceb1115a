#include "modemindicators.h"

#include "modemlines.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVariant>

namespace {

const char *const names[] = {"CTS", "DSR", "DCD", "RI"};

const QString litStyle =
    QStringLiteral("QLabel { background: #3cb043; color: black; border-radius: 2px; padding: 0 3px; }");
const QString dimStyle = QStringLiteral("QLabel { color: palette(mid); padding: 0 3px; }");

} // namespace

ModemIndicators::ModemIndicators(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("modemIndicators"));
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    for (int i = 0; i < 4; ++i) {
        m_labels[i] = new QLabel(QString::fromLatin1(names[i]), this);
        m_labels[i]->setObjectName(QString::fromLatin1(names[i]).toLower() + QStringLiteral("Indicator"));
        QFont small = m_labels[i]->font();
        small.setPointSizeF(small.pointSizeF() * 0.85);
        m_labels[i]->setFont(small);
        layout->addWidget(m_labels[i]);
    }
    showInputs(false, ModemInputs());
}

void ModemIndicators::showInputs(bool known, const ModemInputs &inputs)
{
    const bool lit[] = {inputs.cts, inputs.dsr, inputs.dcd, inputs.ri};
    for (int i = 0; i < 4; ++i) {
        m_labels[i]->setEnabled(known);
        m_labels[i]->setStyleSheet(known && lit[i] ? litStyle : dimStyle);
        m_labels[i]->setProperty("lit", known && lit[i]);
        m_labels[i]->setToolTip(known ? QString() : tr("This port does not report its modem lines"));
    }
}

QString ModemIndicators::litNames() const
{
    QStringList lit;
    for (QLabel *label : m_labels) {
        if (label->property("lit").toBool())
            lit << label->text();
    }
    return lit.join(QLatin1Char(' '));
}
