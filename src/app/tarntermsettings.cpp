// The main window's persistent settings: read once at start-up; written when
// the window closes, when the session ends, and a second after an option
// changes, in case the program never gets to close its window (an X11
// logout can take the display away first).

#include "tarnterm.h"

#include "functiondlg.h"
#include "keysender.h"
#include "qtcompat.h"
#include "sendlinebar.h"
#include "ui_zivid.h"
#include "zividview.h"

#include <QAction>
#include <QActionGroup>
#include <QGuiApplication>
#include <QScreen>
#include <QSessionManager>
#include <QSettings>
#include <QTimer>

#include <limits>

namespace {

QSettings *openStore()
{
    auto *store = new QSettings(QSettings::NativeFormat, QSettings::UserScope,
                                QStringLiteral("TarnwickTerm"), versionString);
    QtCompat::useUtf8(*store);
    return store;
}

QString numbered(char letter, int n)
{
    return QLatin1Char(letter) + QString::number(n);
}

// The free area (without task bars) of the screen a window at pos belongs
// on: the screen holding pos, else the nearest one.
QRect availableAreaNear(const QPoint &pos)
{
    if (QScreen *screen = QGuiApplication::screenAt(pos))
        return screen->availableGeometry();
    QScreen *nearest = QGuiApplication::primaryScreen();
    qint64 nearestDistance = std::numeric_limits<qint64>::max();
    for (QScreen *screen : QGuiApplication::screens()) {
        const QRect area = screen->geometry();
        const qint64 dx = qMax(0, qMax(area.left() - pos.x(), pos.x() - area.right()));
        const qint64 dy = qMax(0, qMax(area.top() - pos.y(), pos.y() - area.bottom()));
        if (dx * dx + dy * dy < nearestDistance) {
            nearestDistance = dx * dx + dy * dy;
            nearest = screen;
        }
    }
    return nearest ? nearest->availableGeometry() : QRect();
}

// A stored geometry from another screen setup: a window larger than the
// screen crashed at its first paint, and one placed off every screen (a
// monitor since unplugged) opened out of sight. The size is bounded by the
// screen; a window that shows on some screen stays where it was left, one
// that shows on none is moved the shortest way onto the nearest.
QRect keptOnScreen(const QPoint &pos, const QSize &size)
{
    const QRect area = availableAreaNear(pos);
    if (area.isEmpty())
        return QRect(pos, size);
    QRect window(pos, size.boundedTo(area.size()));
    for (const QScreen *screen : QGuiApplication::screens()) {
        if (window.intersects(screen->availableGeometry()))
            return window;
    }
    window.moveTo(qBound(area.left(), pos.x(), area.right() + 1 - window.width()),
                  qBound(area.top(), pos.y(), area.bottom() + 1 - window.height()));
    return window;
}

} // namespace

void TarnTerm::loadSettings()
{
    showStatus(tr("getting previews settings..."));
    QScopedPointer<QSettings> store(openStore());

    QPoint pos = store->value(QStringLiteral("pos")).toPoint();
    if (pos.x() == 0 && pos.y() == 0)
        pos = QPoint(25, 25);
    // Qt keeps a window's geometry as corner coordinates in int: a position
    // near the int limits, from a damaged store, would overflow them.
    pos = QPoint(qBound(-QWIDGETSIZE_MAX, pos.x(), QWIDGETSIZE_MAX),
                 qBound(-QWIDGETSIZE_MAX, pos.y(), QWIDGETSIZE_MAX));
    QSize size = store->value(QStringLiteral("size")).toSize();
    if (size.width() < 1 || size.height() < 1)
        size = QSize(800, 600);
    const QRect geometry = keptOnScreen(pos, size);
    move(geometry.topLeft());
    resize(geometry.size());

    ui->action_Toolbar->setChecked(store->value(QStringLiteral("viewtoolbar")).toBool());

    QString family = store->value(QStringLiteral("fontfamily")).toString();
    if (family.isEmpty())
        family = QStringLiteral("Courier New");
    int pointSize = store->value(QStringLiteral("fontsize")).toInt();
    if (pointSize == 0)
        pointSize = 10;
    int weight = store->value(QStringLiteral("fontweight")).toInt();
    if (weight == 0)
        weight = 50;
    const bool italic = store->value(QStringLiteral("fontstyle")).toBool();
    QFont font(family, pointSize, -1, italic);
    QtCompat::setLegacyWeight(font, weight);
    termView->setTermFont(font);

    QString fontColor = store->value(QStringLiteral("fontcolor")).toString();
    if (fontColor.isEmpty())
        fontColor = QStringLiteral("#FFFFFF");
    termView->setFontColor(QColor(fontColor));
    QString backColor = store->value(QStringLiteral("backcolor")).toString();
    if (backColor.isEmpty())
        backColor = QStringLiteral("#438865");
    termView->setBackColor(QColor(backColor));

    functionKeys.clear();
    crFlags.clear();
    lfFlags.clear();
    for (int n = 1; n <= functionKeyCount; ++n) {
        const int key = Qt::Key_F1 + n - 1;
        functionKeys.append({key, store->value(numbered('F', n), QString()).toString()});
        crFlags.append({key, store->value(numbered('C', n), QString()).toBool()});
        lfFlags.append({key, store->value(numbered('L', n), QString()).toBool()});
    }

    delay = store->value(QStringLiteral("delay"), 5).toInt();

    if (store->value(QStringLiteral("ShowFunctionDlg"), false).toBool()
        && !(functionDlg && functionDlg->isVisible())) {
        openFunctionDlg();
    }

    hexamode = store->value(QStringLiteral("isHexamode"), false).toBool();
    ui->actionHexa_Mode->setChecked(hexamode);
    ui->actionTerminal_Keys->setChecked(store->value(QStringLiteral("terminalkeys"), false).toBool());

    const QList<QAction *> timestamps = ui->timestampsGroup->actions();
    const int stamps = store->value(QStringLiteral("timestamps"), 0).toInt();
    timestamps.value(stamps, timestamps.first())->setChecked(true);

    ui->actionDevice_Colours->setChecked(store->value(QStringLiteral("devicecolours"), false).toBool());
    ui->actionUTF_8->setChecked(store->value(QStringLiteral("utf8"), false).toBool());

    ui->actionSend_Line->setChecked(store->value(QStringLiteral("sendline"), false).toBool());
    const int ending = store->value(QStringLiteral("sendlineending"), int(SendLineText::Ending::CRLF)).toInt();
    if (ending >= int(SendLineText::Ending::None) && ending <= int(SendLineText::Ending::CRLF))
        sendLineBar->setEnding(SendLineText::Ending(ending));
    sendLineBar->setHistory(store->value(QStringLiteral("sendhistory")).toStringList());
    sendFileFolder = store->value(QStringLiteral("sendfiledir")).toString();
    sendFileMode = store->value(QStringLiteral("sendfilemode"), QStringLiteral("raw")).toString();
    sendFileLineDelay = store->value(QStringLiteral("sendfilelinedelay"), 0).toInt();
    termView->setDeviceColumns(store->value(QStringLiteral("devicecolumns"), LineEditor::defaultColumns).toInt());
    ui->actionLine_Editing->setChecked(store->value(QStringLiteral("lineediting"), false).toBool());
}

// Connected after the settings are loaded, so loading them stores nothing.
void TarnTerm::storeSettingsOnChange()
{
    settingsTimer = new QTimer(this);
    settingsTimer->setSingleShot(true);
    settingsTimer->setInterval(1000);
    connect(settingsTimer, &QTimer::timeout, this, &TarnTerm::storeSettings);
    for (QAction *option : {ui->action_Toolbar, ui->actionHexa_Mode, ui->actionTerminal_Keys, ui->actionDevice_Colours,
                            ui->actionUTF_8, ui->actionLine_Editing, ui->actionTimestamps_Off,
                            ui->actionTimestamps_Clock, ui->actionTimestamps_Since_Previous, ui->actionSend_Line}) {
        connect(option, &QAction::toggled, settingsTimer, QOverload<>::of(&QTimer::start));
    }
    // After the console's own slots, which ask for the font or colour first.
    for (QAction *appearance : {ui->action_Font, ui->action_FontColor, ui->actionBackground_color})
        connect(appearance, &QAction::triggered, settingsTimer, QOverload<>::of(&QTimer::start));
    connect(sendLineBar, &SendLineBar::historyChanged, settingsTimer, QOverload<>::of(&QTimer::start));
    connect(sendLineBar, &SendLineBar::endingChanged, settingsTimer, QOverload<>::of(&QTimer::start));
#ifndef QT_NO_SESSIONMANAGER
    // Logout, and on Windows shutdown as well: the window may never be closed.
    connect(qApp, &QGuiApplication::commitDataRequest, this, &TarnTerm::storeSettings);
#endif
}

void TarnTerm::storeSettings()
{
    settingsTimer->stop();
    QScopedPointer<QSettings> store(openStore());

    store->setValue(QStringLiteral("pos"), pos());
    store->setValue(QStringLiteral("size"), size());
    const QFont &font = termView->termFont();
    store->setValue(QStringLiteral("fontfamily"), font.family());
    store->setValue(QStringLiteral("fontsize"), font.pointSize());
    store->setValue(QStringLiteral("fontweight"), QtCompat::legacyWeight(font));
    store->setValue(QStringLiteral("fontstyle"), font.style() != QFont::StyleNormal);
    store->setValue(QStringLiteral("fontcolor"), termView->fontColor().name());
    store->setValue(QStringLiteral("backcolor"), termView->backColor().name());
    store->setValue(QStringLiteral("viewtoolbar"), ui->action_Toolbar->isChecked());
    store->setValue(QStringLiteral("ShowFunctionDlg"), functionDlg && functionDlg->isVisible());
    for (int i = 0; i < functionKeys.size(); ++i)
        store->setValue(numbered('F', i + 1), functionKeys.at(i).text);
    for (int i = 0; i < crFlags.size(); ++i)
        store->setValue(numbered('C', i + 1), crFlags.at(i).flag);
    for (int i = 0; i < lfFlags.size(); ++i)
        store->setValue(numbered('L', i + 1), lfFlags.at(i).flag);
    store->setValue(QStringLiteral("delay"), QString::number(delay));
    store->setValue(QStringLiteral("isHexamode"), hexamode);
    store->setValue(QStringLiteral("terminalkeys"), keySender->terminalKeys());
    store->setValue(QStringLiteral("timestamps"), int(termView->timestampMode()));
    store->setValue(QStringLiteral("devicecolours"), ui->actionDevice_Colours->isChecked());
    store->setValue(QStringLiteral("utf8"), ui->actionUTF_8->isChecked());
    store->setValue(QStringLiteral("sendline"), ui->actionSend_Line->isChecked());
    store->setValue(QStringLiteral("sendlineending"), int(sendLineBar->ending()));
    store->setValue(QStringLiteral("sendhistory"), sendLineBar->history());
    store->setValue(QStringLiteral("sendfiledir"), sendFileFolder);
    store->setValue(QStringLiteral("sendfilemode"), sendFileMode);
    store->setValue(QStringLiteral("sendfilelinedelay"), sendFileLineDelay);
    store->setValue(QStringLiteral("lineediting"), ui->actionLine_Editing->isChecked());
    store->setValue(QStringLiteral("devicecolumns"), termView->deviceColumns());
}
