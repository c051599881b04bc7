#pragma once

#include "imagewriter/imagewriterentry.h"

#include <QLibrary>
#include <QMutex>
#include <QString>

#include <opencv2/core.hpp>

// Writes keystone pages with OpenCV's image codecs, which live in the image writer module rather than
// in the program: the module is loaded on the first write, so a start that takes no keystone
// snapshot never loads the codecs and the many libraries they bring. Any thread.
class KeyStoneImageWriter
{
public:
    // The module where the installed layout and the build tree put it.
    static QString installedModule();

    explicit KeyStoneImageWriter(const QString &modulePath = installedModule());

    // Loads the module now, so that the first write does not wait for it; false when it cannot be
    // loaded (errorString() says why).
    bool preload();
    // Writes the picture to path, the type chosen by its extension. False when the module cannot be
    // loaded or the picture was not written; errorString() then says why.
    bool write(const QString &path, const cv::Mat &picture);
    QString errorString() const;
    bool isLoaded() const;

private:
    bool load();

    mutable QMutex m_mutex;
    QLibrary m_module;
    LumideskWriteImageFunction m_entry = nullptr;
    QString m_error;
};
