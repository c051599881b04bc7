#include "keystoneimagewriter.h"

#include "desktop/installlayout.h"

QString KeyStoneImageWriter::installedModule()
{
    return platform::InstallLayout::module(QStringLiteral("imagewriter"));
}

KeyStoneImageWriter::KeyStoneImageWriter(const QString &modulePath)
    : m_module(modulePath)
{
}

bool KeyStoneImageWriter::load()
{
    if (m_entry)
        return true;
    // Tried again on every write: a module put back in place while the program runs is taken then.
    if (!m_module.load()) {
        m_error = QStringLiteral("the image writer module %1 cannot be loaded: %2")
                          .arg(m_module.fileName(), m_module.errorString());
        return false;
    }
    m_entry = reinterpret_cast<LumideskWriteImageFunction>(m_module.resolve(LUMIDESK_WRITE_IMAGE_ENTRY));
    if (!m_entry) {
        m_error = QStringLiteral("the image writer module %1 has no entry %2")
                          .arg(m_module.fileName(), QLatin1String(LUMIDESK_WRITE_IMAGE_ENTRY));
        m_module.unload();
        return false;
    }
    return true;
}

bool KeyStoneImageWriter::preload()
{
    QMutexLocker locker(&m_mutex);
    return load();
}

QString KeyStoneImageWriter::errorString() const
{
    QMutexLocker locker(&m_mutex);
    return m_error;
}

bool KeyStoneImageWriter::isLoaded() const
{
    QMutexLocker locker(&m_mutex);
    return m_entry != nullptr;
}

bool KeyStoneImageWriter::write(const QString &path, const cv::Mat &picture)
{
    // Held through the write: a write that comes while the module is being loaded waits for it.
    QMutexLocker locker(&m_mutex);
    m_error.clear();
    if (!load())
        return false;
    char reason[512] = {};
    const QByteArray localPath = path.toLocal8Bit();
    if (m_entry(localPath.constData(), picture.rows, picture.cols, picture.type(), picture.data, picture.step[0],
                reason, sizeof reason)
        == 1)
        return true;
    m_error = QString::fromLocal8Bit(reason);
    return false;
}
