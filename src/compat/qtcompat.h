#pragma once

// The few places where Qt 5.15 and Qt 6 differ in what this program uses.
// Everything else is written against the API both share.

#include <QAction>
#include <QFont>
#include <QGuiApplication>
#include <QKeySequence>
#include <QSettings>
#include <QWidget>
#include <QtGlobal>

namespace QtCompat {

// Font weights as stored in the settings and used in style sheets: Qt 5's
// 0-99 scale (Normal 50, Bold 75) in both builds, so one settings file gives
// the same font to either. Qt 6.4 deprecates the legacy calls, but they
// are exactly the conversion a Qt 5 settings file needs.
inline int legacyWeight(const QFont &font)
{
#if QT_VERSION_MAJOR >= 6
    QT_WARNING_PUSH
    QT_WARNING_DISABLE_DEPRECATED
    return font.legacyWeight();
    QT_WARNING_POP
#else
    return font.weight();
#endif
}

inline void setLegacyWeight(QFont &font, int weight)
{
#if QT_VERSION_MAJOR >= 6
    QT_WARNING_PUSH
    QT_WARNING_DISABLE_DEPRECATED
    font.setLegacyWeight(weight);
    QT_WARNING_POP
#else
    font.setWeight(weight);
#endif
}

// One key of a sequence with its modifiers, as one int (Qt 6 gives a
// QKeyCombination).
inline int combinedKey(const QKeySequence &sequence, int index)
{
#if QT_VERSION_MAJOR >= 6
    return sequence[uint(index)].toCombined();
#else
    return sequence[uint(index)];
#endif
}

// Settings files in UTF-8 in both builds, as Qt 6 always writes them. Qt 5
// escaped everything past ASCII ("\xb5"), which both still read; without this
// a Qt 5 build would read the UTF-8 that a Qt 6 build wrote as Latin-1.
inline void useUtf8(QSettings &settings)
{
#if QT_VERSION_MAJOR < 6
    settings.setIniCodec("UTF-8");
#else
    Q_UNUSED(settings)
#endif
}

// The widgets an action shows in: its menus, tool bars and buttons.
inline QList<QWidget *> associatedWidgets(const QAction *action)
{
#if QT_VERSION_MAJOR >= 6
    QList<QWidget *> widgets;
    for (QObject *object : action->associatedObjects()) {
        if (auto *widget = qobject_cast<QWidget *>(object))
            widgets.append(widget);
    }
    return widgets;
#else
    return action->associatedWidgets();
#endif
}

// Before the application object: scale by each screen's own factor,
// fractions passed through (150 % is 150 %), as Qt 6 always does; Qt 5
// scales only when asked to.
inline void scaleForScreens()
{
#if QT_VERSION_MAJOR < 6
    QCoreApplication::setAttribute(Qt::AA_EnableHighDpiScaling);
#endif
    QGuiApplication::setHighDpiScaleFactorRoundingPolicy(Qt::HighDpiScaleFactorRoundingPolicy::PassThrough);
}

} // namespace QtCompat
