#include "imageprocess/rotationattributes.h"

bool RotationAttributes::getMirror() const
{
    return m_mirror;
}

void RotationAttributes::setMirror(bool mirror)
{
    m_mirror = mirror;
}

bool RotationAttributes::getFlip() const
{
    return m_flip;
}

void RotationAttributes::setFlip(bool flip)
{
    m_flip = flip;
}

unsigned short RotationAttributes::getRotateDegree() const
{
    return m_degree;
}

void RotationAttributes::setRotateDegree(unsigned short degree)
{
    m_degree = degree;
}
