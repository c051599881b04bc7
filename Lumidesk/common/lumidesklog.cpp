#include "common/lumidesklog.h"

#include <QByteArray>
#include <QLoggingCategory>
#include <QStringList>

#include <atomic>
#include <cstdarg>
#include <cstdio>

namespace {

const char ModuleName[] = "Tesmera/Lumidesk";

struct Registration
{
    Journix *journix = nullptr;
    int module = -2;
};

// The capture threads log from their first frame on, so the one-time registration must not race
// with the GUI thread's: a function-local static is initialised exactly once.
const Registration &registration()
{
    static const Registration once = [] {
        Registration r;
        r.journix = Journix::getSysJournix();
        r.module = r.journix ? r.journix->registerLoggedModule(QString::fromLatin1(ModuleName)) : -1;
        return r;
    }();
    return once;
}

// Messages arrive from every thread; the handler they went to before is read on each one.
std::atomic<QtMessageHandler> previousHandler{nullptr};
std::atomic<bool> installed{false};

bool reachesStandardError(QtMsgType type)
{
    // QtInfoMsg sorts above QtFatalMsg in the enumeration, so no comparison of the values will do.
    return type == QtWarningMsg || type == QtCriticalMsg || type == QtFatalMsg;
}

void passOn(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (const QtMessageHandler previous = previousHandler.load()) {
        previous(type, context, message);
        return;
    }
    const QByteArray line = qFormatLogMessage(type, context, message).toLocal8Bit() + '\n';
    std::fputs(line.constData(), stderr);
}

void record(Journix::Echo echo, Journix::LogLevel level, QString format, ...)
{
    const Registration &r = registration();
    if (r.module == -1)
        return;
    va_list args;
    va_start(args, format);
    r.journix->log(r.module, level, echo, format, args);
    va_end(args);
}

void handleMessage(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    // A message raised while this one is logged (the log file failing, say) never comes back here:
    // Qt hands it straight to its default output.
    const Journix::LogLevel level = _LumideskLog::levelFor(type);
    const QByteArray text = message.toUtf8();
    // The text is an argument, never the format: a "%" in a message is just a character. The log
    // system does not echo it: what reaches standard error is passed on below, once.
    const char *category = context.category;
    if (category && qstrcmp(category, "default") != 0)
        record(Journix::NoEcho, level, QStringLiteral("%s: %s"), category, text.constData());
    else
        record(Journix::NoEcho, level, QStringLiteral("%s"), text.constData());
    if (reachesStandardError(type))
        passOn(type, context, message);
}

QLatin1String onOff(bool on)
{
    return QLatin1String(on ? "true" : "false");
}

QString categoryRules(int threshold)
{
    QStringList rules;
    for (const char *prefix : {"lumidesk", "qorv"}) {
        const QString name = QLatin1String(prefix);
        rules << name + QLatin1String(".*.info=") + onOff(threshold >= Journix::Info);
        rules << name + QLatin1String(".*.debug=") + onOff(threshold >= Journix::Debug);
    }
    return rules.join(QLatin1Char('\n'));
}

} // namespace

void _LumideskLog::log(Journix::LogLevel level, QString format, ...)
{
    const Registration &r = registration();
    if (r.module == -1)
        return;
    va_list args;
    va_start(args, format);
    r.journix->log(r.module, level, format, args);
    va_end(args);
}

int _LumideskLog::moduleId()
{
    return registration().module;
}

Journix::LogLevel _LumideskLog::levelFor(QtMsgType type)
{
    switch (type) {
    case QtFatalMsg:
        return Journix::Alert;
    case QtCriticalMsg:
        return Journix::Critical;
    case QtWarningMsg:
        return Journix::Warning;
    case QtInfoMsg:
        return Journix::Info;
    case QtDebugMsg:
        break;
    }
    return Journix::Debug;
}

void _LumideskLog::installMessageHandler(int threshold)
{
    QLoggingCategory::setFilterRules(categoryRules(threshold));
    if (installed.exchange(true))
        return;
    // Registered before the first message can arrive, so no message thread does it.
    registration();
    previousHandler.store(qInstallMessageHandler(handleMessage));
}

void _LumideskLog::removeMessageHandler()
{
    if (!installed.exchange(false))
        return;
    qInstallMessageHandler(previousHandler.load());
    previousHandler.store(nullptr);
    QLoggingCategory::setFilterRules(QString());
}
