#include "imageprocess/imageprocessfunctionobject.h"

#include <utility>

ImageProcessFunctionObject::ImageProcessFunctionObject(Function function)
    : m_function(std::move(function))
{
}

bool ImageProcessFunctionObject::isValid() const
{
    return bool(m_function);
}

QImage ImageProcessFunctionObject::operator()(const QImage &image) const
{
    return m_function ? m_function(image) : QImage();
}
