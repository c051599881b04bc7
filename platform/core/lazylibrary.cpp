#include "core/lazylibrary.h"

#include <QLibrary>
#include <QMutexLocker>

namespace platform {

LazyLibrary::LazyLibrary(const QString &fileName)
    : m_fileName(fileName)
{
}

void LazyLibrary::setFileName(const QString &fileName)
{
    QMutexLocker locker(&m_nameLock);
    m_fileName = fileName;
}

QString LazyLibrary::fileName() const
{
    QMutexLocker locker(&m_nameLock);
    return m_fileName;
}

bool LazyLibrary::load(const Resolver &resolveAll, QString *error)
{
    std::call_once(m_once, [this, &resolveAll] { open(resolveAll); });
    if (!m_error.isEmpty() && error)
        *error = m_error;
    return m_error.isEmpty();
}

void LazyLibrary::open(const Resolver &resolveAll)
{
    const QString file = fileName();
    // Left alive and never unloaded, so that the functions handed out stay valid.
    auto *library = new QLibrary(file);
    if (!library->load()) {
        m_error = QStringLiteral("cannot load %1 (%2)").arg(file, library->errorString());
        delete library;
    } else {
        m_library = library;
        resolveAll(*this);
    }
    if (!m_error.isEmpty())
        qWarning("%s", qUtf8Printable(m_error));
}

void (*LazyLibrary::address(const char *name))()
{
    if (!m_library)
        return nullptr;
    const QFunctionPointer function = m_library->resolve(name);
    if (!function && m_error.isEmpty())
        m_error = QStringLiteral("%1 has no function %2").arg(m_library->fileName(), QLatin1String(name));
    return function;
}

} // namespace platform
