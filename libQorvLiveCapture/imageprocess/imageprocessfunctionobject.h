#pragma once

#include "qorvlivecaptureglobal.h"

#include <QImage>

#include <functional>

// One step of the image processor: a function from a frame to a new frame. A step that gives a null
// image leaves the frame as it was.
class QORVLIVECAPTURE_EXPORT ImageProcessFunctionObject
{
public:
    using Function = std::function<QImage(const QImage &)>;

    ImageProcessFunctionObject() = default;
    explicit ImageProcessFunctionObject(Function function);

    bool isValid() const;
    QImage operator()(const QImage &image) const;

private:
    Function m_function;
};
