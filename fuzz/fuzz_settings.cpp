// Fills the settings store with whatever the input says, under the keys the
// main window reads, then builds the window from it: a value of any kind, or
// none, must give a usable window and the full function-key table.
//
// Input: for each key in turn, one byte choosing absent or the kind of value
// (text, integer, boolean, point, size, raw bytes), then that value's bytes.

#include "fuzzapplication.h"
#include "fuzzinput.h"
#include "tarnterm.h"

#include <QApplication>
#include <QScreen>
#include <QSettings>
#include <QStringList>
#include <QTemporaryDir>
#include <QVariant>

namespace {

QStringList storedKeys()
{
    QStringList keys {
        QStringLiteral("pos"),        QStringLiteral("size"),
        QStringLiteral("viewtoolbar"), QStringLiteral("fontfamily"),
        QStringLiteral("fontsize"),   QStringLiteral("fontweight"),
        QStringLiteral("fontstyle"),  QStringLiteral("fontcolor"),
        QStringLiteral("backcolor"),  QStringLiteral("ShowFunctionDlg"),
        QStringLiteral("delay"),      QStringLiteral("isHexamode"),
    };
    for (const char letter : {'F', 'C', 'L'}) {
        for (int n = 1; n <= functionKeyCount; ++n)
            keys << QLatin1Char(letter) + QString::number(n);
    }
    return keys;
}

// The store the window opens, as QSettings shares it within one process.
QSettings *openStore()
{
    return new QSettings(QSettings::NativeFormat, QSettings::UserScope,
                         QStringLiteral("TarnwickTerm"), versionString);
}

// An invalid variant means the key stays absent.
QVariant takeValue(FuzzInput &input)
{
    switch (input.takeByte() % 7) {
    case 1:
        return QString::fromUtf8(input.takeBytes(input.takeByte() & 0x3f));
    case 2:
        return input.takeInt32();
    case 3:
        return bool(input.takeByte() & 1);
    case 4: {
        const int x = input.takeInt32();
        return QPoint(x, input.takeInt32());
    }
    case 5: {
        const int width = input.takeInt32();
        return QSize(width, input.takeInt32());
    }
    case 6:
        return input.takeBytes(input.takeByte() & 0x3f);
    default:
        return QVariant();
    }
}

void checkFlags(const FunctionFlagList &flags, const QSettings &store, char letter)
{
    FUZZ_CHECK(flags.size() == functionKeyCount);
    for (int i = 0; i < flags.size(); ++i) {
        FUZZ_CHECK(flags.at(i).key == Qt::Key_F1 + i);
        const QString name = QLatin1Char(letter) + QString::number(i + 1);
        FUZZ_CHECK(flags.at(i).flag == store.value(name, QString()).toBool());
    }
}

void checkWindow(const TarnTerm &window, const QSettings &store)
{
    const FunctionKeyList keys = window.functionKeyList();
    FUZZ_CHECK(keys.size() == functionKeyCount);
    for (int i = 0; i < keys.size(); ++i) {
        FUZZ_CHECK(keys.at(i).key == Qt::Key_F1 + i);
        const QString name = QStringLiteral("F") + QString::number(i + 1);
        FUZZ_CHECK(keys.at(i).text == store.value(name, QString()).toString());
    }
    checkFlags(window.crFlagList(), store, 'C');
    checkFlags(window.lfFlagList(), store, 'L');
    FUZZ_CHECK(window.writeDelay() == store.value(QStringLiteral("delay"), 5).toInt());

    const QSize size = window.size();
    FUZZ_CHECK(size.width() >= 640 && size.height() >= 480);
    // The one screen of the offscreen platform: the window is on it and no
    // larger than it; a stored size that fits is taken as it is.
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    FUZZ_CHECK(screen.intersects(QRect(window.pos(), size)));
    const QSize stored = store.value(QStringLiteral("size")).toSize();
    const QSize largest = window.maximumSize().boundedTo(screen.size());
    FUZZ_CHECK(size.width() <= largest.width() && size.height() <= largest.height());
    if (stored.width() >= 640 && stored.height() >= 480 && stored.width() <= largest.width()
        && stored.height() <= largest.height())
        FUZZ_CHECK(size == stored);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    startFuzzApplication();
    // Never the user's own settings.
    static QTemporaryDir settingsDir;
    FUZZ_CHECK(settingsDir.isValid());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsDir.path());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settingsDir.path());
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const QStringList keys = storedKeys();
    FuzzInput input(data, size);

    QScopedPointer<QSettings> store(openStore());
    store->clear();
    for (const QString &key : keys) {
        const QVariant value = takeValue(input);
        if (value.isValid())
            store->setValue(key, value);
    }
    store->sync();
    FUZZ_CHECK(store->status() == QSettings::NoError);

    // Built and dropped without being shown: loading the settings is all
    // there is to test, and showing would cost more than the rest together.
    auto *window = new TarnTerm;
    checkWindow(*window, *store);
    delete window;
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return 0;
}
