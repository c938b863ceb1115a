#include "messagelog.h"

#include <QtGlobal>

#include <cstdio>

namespace {
QStringList *collected = nullptr;
QtMessageHandler previous = nullptr;

void collect(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (collected)
        collected->append(message);
    if (type != QtDebugMsg || qEnvironmentVariableIsSet("TARNTERM_TEST_VERBOSE"))
        previous(type, context, message);
}
} // namespace

MessageLog::MessageLog()
{
    collected = new QStringList;
    previous = qInstallMessageHandler(collect);
}

MessageLog::~MessageLog()
{
    qInstallMessageHandler(previous);
    delete collected;
    collected = nullptr;
}

QStringList MessageLog::lines() const
{
    return *collected;
}

bool MessageLog::contains(const QString &text) const
{
    return count(text) > 0;
}

int MessageLog::count(const QString &text) const
{
    int n = 0;
    for (const QString &line : *collected)
        n += line.contains(text);
    return n;
}

void MessageLog::clear()
{
    collected->clear();
}
