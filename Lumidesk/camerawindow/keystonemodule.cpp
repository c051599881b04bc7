#include "keystonemodule.h"

#include "desktop/installlayout.h"

#include <QImage>

QString KeyStoneModule::installedModule()
{
    return platform::InstallLayout::module(QStringLiteral("keystone"));
}

KeyStoneModule::KeyStoneModule(const QString &modulePath)
    : m_module(modulePath)
{
}

bool KeyStoneModule::loadLocked()
{
    if (m_create && m_write)
        return true;
    if (!m_module.load()) {
        m_error = QStringLiteral("the keystone module %1 cannot be loaded: %2")
                          .arg(m_module.fileName(), m_module.errorString());
        return false;
    }
    m_create = reinterpret_cast<LumideskCreateKeyStoneSearchFunction>(
        m_module.resolve(LUMIDESK_CREATE_KEYSTONE_SEARCH_ENTRY));
    m_write = reinterpret_cast<LumideskWriteKeyStonePageFunction>(m_module.resolve(LUMIDESK_WRITE_KEYSTONE_PAGE_ENTRY));
    if (!m_create || !m_write) {
        m_error = QStringLiteral("the keystone module %1 has no entry %2")
                          .arg(m_module.fileName(), QLatin1String(m_create ? LUMIDESK_WRITE_KEYSTONE_PAGE_ENTRY
                                                                           : LUMIDESK_CREATE_KEYSTONE_SEARCH_ENTRY));
        m_create = nullptr;
        m_write = nullptr;
        m_module.unload();
        return false;
    }
    m_error.clear();
    return true;
}

bool KeyStoneModule::load()
{
    QMutexLocker locker(&m_mutex);
    return loadLocked();
}

bool KeyStoneModule::isLoaded() const
{
    QMutexLocker locker(&m_mutex);
    return m_create != nullptr;
}

QString KeyStoneModule::errorString() const
{
    QMutexLocker locker(&m_mutex);
    return m_error;
}

std::unique_ptr<KeyStoneSearch> KeyStoneModule::createSearch()
{
    QMutexLocker locker(&m_mutex);
    if (!loadLocked())
        return nullptr;
    // Once loaded the module stays: the search's code lives in it.
    std::unique_ptr<KeyStoneSearch> search(m_create(LUMIDESK_KEYSTONE_INTERFACE_VERSION));
    if (!search)
        m_error = QStringLiteral("the keystone module %1 makes no search of version %2")
                          .arg(m_module.fileName())
                          .arg(LUMIDESK_KEYSTONE_INTERFACE_VERSION);
    return search;
}

bool KeyStoneModule::writePage(const QString &path, const QImage &frame, const KeyStoneCorner corners[4])
{
    // Held through the write: a write that comes while the module is being loaded waits for it.
    QMutexLocker locker(&m_mutex);
    if (!loadLocked())
        return false;
    m_error.clear();
    KeyStonePicture picture;
    picture.data = frame.constBits();
    picture.width = frame.width();
    picture.height = frame.height();
    picture.stride = std::size_t(frame.bytesPerLine());
    char reason[512] = {};
    const QByteArray localPath = path.toLocal8Bit();
    if (m_write(localPath.constData(), &picture, corners, reason, sizeof reason) == 1)
        return true;
    m_error = QString::fromLocal8Bit(reason);
    return false;
}
