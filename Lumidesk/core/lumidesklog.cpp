#include "core/lumidesklog.h"

#include <cstdarg>

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
