#include "firmware/curllibrary.h"

#include "core/lazylibrary.h"

#include <mutex>

namespace {

platform::LazyLibrary &library()
{
    static platform::LazyLibrary curl(QStringLiteral("libcurl.so.4"));
    return curl;
}

} // namespace

#define LUMIDESK_CURL_RESOLVE(name) curl.resolve(#name, &table.name);

const CurlLibrary::Functions *CurlLibrary::functions(QString *error)
{
    static Functions table;
    static std::once_flag initialised;
    if (!library().load([](platform::LazyLibrary &curl) { LUMIDESK_CURL_FUNCTIONS(LUMIDESK_CURL_RESOLVE) }, error))
        return nullptr;
    // Before the first handle, and once: it is not safe to run while another thread uses curl.
    std::call_once(initialised, [] { table.curl_global_init(CURL_GLOBAL_DEFAULT); });
    return &table;
}

#undef LUMIDESK_CURL_RESOLVE

void CurlLibrary::setFileName(const QString &fileName)
{
    library().setFileName(fileName);
}

QString CurlLibrary::fileName()
{
    return library().fileName();
}
