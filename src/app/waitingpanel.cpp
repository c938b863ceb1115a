#include "waitingpanel.h"

#include "discovery.h"

#include <QLabel>
#include <QVBoxLayout>

namespace {

bool isPermissionDenied(const QString &reason)
{
    return reason.contains(QLatin1String("permission denied"), Qt::CaseInsensitive)
        || reason.contains(QLatin1String("access is denied"), Qt::CaseInsensitive);
}

QString permissionHint()
{
#ifdef Q_OS_LINUX
    // The package brings the udev rule and reloads udev itself.
    return WaitingPanel::tr("Install the TarnTerm package, which lets you open the device: "
                            "\"sudo apt install ./tarnterm_3.07-1_amd64.deb\", "
                            "then unplug and replug the device.");
#else
    return QString();
#endif
}

} // namespace

WaitingPanel::WaitingPanel(QWidget *parent)
    : QWidget(parent)
    , m_heading(new QLabel(this))
    , m_error(new QLabel(this))
{
    setObjectName(QStringLiteral("waitingPanel"));
    for (QLabel *label : {m_heading, m_error}) {
        label->setAlignment(Qt::AlignCenter);
        label->setWordWrap(true);
        label->setTextFormat(Qt::PlainText);
    }
    QFont headingFont = m_heading->font();
    if (headingFont.pointSizeF() > 0) {
        headingFont.setPointSizeF(headingFont.pointSizeF() * 1.3);
        m_heading->setFont(headingFont);
    }

    auto *layout = new QVBoxLayout(this);
    layout->addStretch();
    layout->addWidget(m_heading);
    layout->addWidget(m_error);
    layout->addStretch();

    setPortName(QString());
    setLastError(QString());
}

void WaitingPanel::setPortName(const QString &portName)
{
    if (portName.isEmpty())
        m_heading->setText(tr("Waiting for a Tarnwick device: USB %1.").arg(knownIdsText()));
    else
        m_heading->setText(tr("Waiting for the port %1.").arg(portName));
}

void WaitingPanel::setLastError(const QString &reason, bool knownDevice)
{
    QString text;
    if (!reason.isEmpty()) {
        text = tr("The port could not be opened: %1").arg(reason);
        const QString hint = permissionHint();
        if (knownDevice && isPermissionDenied(reason) && !hint.isEmpty())
            text += QLatin1Char('\n') + hint;
    }
    m_error->setText(text);
    m_error->setVisible(!text.isEmpty());
}

QString WaitingPanel::heading() const
{
    return m_heading->text();
}

QString WaitingPanel::errorText() const
{
    return m_error->text();
}

QString WaitingPanel::summary() const
{
    if (m_error->text().isEmpty())
        return heading();
    return heading() + QLatin1Char(' ') + m_error->text();
}

QString WaitingPanel::knownIdsText()
{
    // Rows of one vendor are next to each other in the table.
    QStringList vendors;
    QString vendor;
    QStringList products;
    const auto flush = [&] {
        if (!products.isEmpty())
            vendors.append(tr("VID %1 with %2").arg(vendor, products.join(tr(" or "))));
        products.clear();
    };
    for (int row = 0; row < Discovery::knownDeviceIdCount; ++row) {
        const Discovery::UsbId &id = Discovery::knownDeviceIds[row];
        if (vendor != QLatin1String(id.vendor)) {
            flush();
            vendor = QLatin1String(id.vendor);
        }
        const QString product = QLatin1String(id.product);
        // A shorter entry matches anywhere in the four digits.
        products.append(product.size() == 4 ? tr("PID %1").arg(product) : tr("a PID containing %1").arg(product));
    }
    flush();
    return vendors.join(tr(", or "));
}
