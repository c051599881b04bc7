#pragma once

#include "keystone/keystonesearch.h"

#include <QLibrary>
#include <QMutex>
#include <QString>

#include <memory>

class QImage;

// The keystone module, where the page search and the snapshot writer live with OpenCV: loaded on first
// use, so that a start that never enters keystone mode loads no OpenCV and none of the many libraries
// its codecs bring. A module that cannot be loaded is an error with a reason, never a crash; each use
// tries again, so a module put back in place while the program runs is taken then. Any thread.
class KeyStoneModule
{
public:
    // The module where the installed layout and the build tree put it.
    static QString installedModule();

    explicit KeyStoneModule(const QString &modulePath = installedModule());

    // Loads the module now; false when it cannot be loaded (errorString() says why).
    bool load();
    bool isLoaded() const;
    // Why the last load or write failed; empty after a success.
    QString errorString() const;

    // A new page search, or null when the module cannot be loaded or makes none (errorString()).
    std::unique_ptr<KeyStoneSearch> createSearch();
    // Straightens the BGRA frame's quadrilateral into an upright page and writes it to path, the type
    // chosen by its extension. False when the module cannot be loaded or the page was not written;
    // errorString() then says why.
    bool writePage(const QString &path, const QImage &frame, const KeyStoneCorner corners[4]);

private:
    bool loadLocked();

    mutable QMutex m_mutex;
    QLibrary m_module;
    LumideskCreateKeyStoneSearchFunction m_create = nullptr;
    LumideskWriteKeyStonePageFunction m_write = nullptr;
    QString m_error;
};
