#pragma once

#include <QMutex>
#include <QString>

#include <functional>
#include <mutex>

class QLibrary;

namespace platform {

// A shared library opened the first time a feature needs it rather than linked, so that it and what
// it pulls in cost nothing at start. It is opened and its functions resolved once per process,
// whichever thread asks first; the others wait for that outcome and share it. It is never unloaded:
// the functions resolved stay valid to the end of the process.
class LazyLibrary
{
public:
    // Resolves every function the caller needs through resolve(); runs once.
    using Resolver = std::function<void(LazyLibrary &library)>;

    explicit LazyLibrary(const QString &fileName);
    LazyLibrary(const LazyLibrary &) = delete;
    LazyLibrary &operator=(const LazyLibrary &) = delete;

    // The file opened; a change counts only before the first load().
    void setFileName(const QString &fileName);
    QString fileName() const;

    // Opens the library and runs resolveAll the first time; true when the library opened and every
    // function was found, otherwise false with `error` (when given) naming the library or the first
    // function missing.
    bool load(const Resolver &resolveAll, QString *error = nullptr);

    // For the resolver: *slot gets the function called `name`, null when it is missing (which fails
    // the load).
    template <typename Function>
    void resolve(const char *name, Function *slot)
    {
        *slot = reinterpret_cast<Function>(address(name));
    }

private:
    void open(const Resolver &resolveAll);
    void (*address(const char *name))();

    mutable QMutex m_nameLock;
    QString m_fileName;
    std::once_flag m_once;
    // Set once, within m_once, and read only after it.
    QLibrary *m_library = nullptr;
    QString m_error;
};

} // namespace platform
