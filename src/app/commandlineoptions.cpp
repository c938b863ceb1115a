#include "commandlineoptions.h"

#include "namedportsource.h"
#include "tarnterm.h"

#include <QCommandLineParser>
#include <QFileInfo>

#include <cstdio>

namespace {

constexpr int badArguments = 2;

// QApplication takes these itself later, so they must not be refused here.
const char *const qtOptionsWithValue[] = {
    "platform", "platformpluginpath", "platformtheme", "plugin", "qwindowgeometry", "geometry",
    "qwindowtitle", "title", "qwindowicon", "icon", "display", "style", "stylesheet", "session",
    "name", "visual", "qmljsdebugger",
};
const char *const qtFlags[] = {"reverse", "widgetcount", "nograb", "dograb", "sync", "testability"};

// QCommandLineParser::helpText() needs the application object, which does not
// exist yet when the command line is read.
QString helpText(const QString &program, const QList<QCommandLineOption> &options)
{
    QString text = QStringLiteral("Usage: %1 [options]\n%2\n\nOptions:\n")
                       .arg(program, QCoreApplication::translate("CommandLineOptions",
                                                                 "Serial terminal for the Tarnwick USB devices."));
    for (const QCommandLineOption &option : options) {
        if (option.flags() & QCommandLineOption::HiddenFromHelp)
            continue;
        QStringList names;
        for (const QString &name : option.names())
            names.append((name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + name);
        QString left = names.join(QStringLiteral(", "));
        if (!option.valueName().isEmpty())
            left += QLatin1Char(' ') + option.valueName();
        text += QStringLiteral("  %1  %2\n").arg(left, -20).arg(option.description());
    }
    return text;
}

CommandLineOptions failure(const QString &program, const QString &reason)
{
    CommandLineOptions result;
    result.proceed = false;
    result.exitCode = badArguments;
    result.message = QStringLiteral("%1: %2\n").arg(program, reason)
        + QCoreApplication::translate("CommandLineOptions", "Try '%1 --help' for more information.\n").arg(program);
    return result;
}

} // namespace

CommandLineOptions CommandLineOptions::parse(const QStringList &arguments)
{
    const auto tr = [](const char *text) { return QCoreApplication::translate("CommandLineOptions", text); };
    const QString program = arguments.isEmpty() ? QStringLiteral("tarnterm") : QFileInfo(arguments.first()).fileName();

    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")}, tr("Show this help and exit."));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     tr("Show the version and exit."));
    const QCommandLineOption port(QStringLiteral("port"),
                                  tr("Use this port (COM7, ttyUSB0, /dev/ttyUSB0) instead of the "
                                     "device found by its USB IDs."),
                                  tr("NAME"));
    const QCommandLineOption list(QStringLiteral("list"),
                                  tr("List the serial ports present and exit (1 when no known device is)."));
    const QCommandLineOption log(QStringLiteral("log"),
                                 tr("Append every received byte, raw, to FILE."), tr("FILE"));
    QList<QCommandLineOption> options {help, version, port, list, log};
    for (const char *name : qtOptionsWithValue) {
        QCommandLineOption option(QString::fromLatin1(name), QString(), QStringLiteral("value"));
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        options.append(option);
    }
    for (const char *name : qtFlags) {
        QCommandLineOption option(QString::fromLatin1(name));
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        options.append(option);
    }

    QCommandLineParser parser;
    // Qt's own options come with one dash (-platform offscreen).
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.addOptions(options);
    if (!parser.parse(arguments.isEmpty() ? QStringList {program} : arguments))
        return failure(program, parser.errorText());

    CommandLineOptions result;
    if (parser.isSet(help) || parser.isSet(version)) {
        result.proceed = false;
        result.message = parser.isSet(help) ? helpText(program, options) : versionString + QLatin1Char('\n');
        return result;
    }
    if (!parser.positionalArguments().isEmpty())
        return failure(program, tr("unexpected argument '%1'.").arg(parser.positionalArguments().first()));

    result.listPorts = parser.isSet(list);
    if (parser.isSet(port)) {
        result.portName = NamedPortSource::portNameOf(parser.value(port));
        if (result.portName.isEmpty())
            return failure(program, tr("--port needs the name of a port, such as %1.")
                                        .arg(NamedPortSource::portNameOf(QStringLiteral("/dev/ttyACM0"))));
    }
    if (parser.isSet(log)) {
        result.logFile = parser.value(log);
        if (result.logFile.isEmpty())
            return failure(program, tr("--log needs the name of a file."));
    }
    return result;
}

QStringList CommandLineOptions::arguments(int argc, char *argv[])
{
    QStringList list;
    for (int i = 0; i < argc; ++i)
        list.append(QString::fromLocal8Bit(argv[i]));
    return list;
}

int CommandLineOptions::printMessage() const
{
    std::FILE *stream = exitCode == 0 ? stdout : stderr;
    std::fputs(message.toLocal8Bit().constData(), stream);
    std::fflush(stream);
    return exitCode;
}
