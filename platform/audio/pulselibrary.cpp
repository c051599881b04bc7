#include "audio/pulselibrary.h"

#include "core/lazylibrary.h"

namespace platform {

namespace {

LazyLibrary &lazyLibrary()
{
    // The soname of every libpulse since 0.9: the interface has only grown since.
    static LazyLibrary library(QStringLiteral("libpulse.so.0"));
    return library;
}

} // namespace

#define LUMIDESK_PULSE_RESOLVE(name) library.resolve(#name, &table.name);

const PulseLibrary::Functions *PulseLibrary::functions(QString *error)
{
    static Functions table;
    const bool loaded = lazyLibrary().load([](LazyLibrary &library) {
        LUMIDESK_PULSE_FUNCTIONS(LUMIDESK_PULSE_RESOLVE)
    }, error);
    return loaded ? &table : nullptr;
}

#undef LUMIDESK_PULSE_RESOLVE

void PulseLibrary::setFileName(const QString &file)
{
    lazyLibrary().setFileName(file);
}

QString PulseLibrary::fileName()
{
    return lazyLibrary().fileName();
}

} // namespace platform
