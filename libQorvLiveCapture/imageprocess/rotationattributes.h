#pragma once

#include "qorvlivecaptureglobal.h"

// Mirror (left to right), flip (top to bottom) and clockwise rotation of a frame.
class QORVLIVECAPTURE_EXPORT RotationAttributes
{
public:
    bool getMirror() const;
    void setMirror(bool mirror);
    bool getFlip() const;
    void setFlip(bool flip);
    unsigned short getRotateDegree() const;
    void setRotateDegree(unsigned short degree);

private:
    bool m_mirror = false;
    bool m_flip = false;
    unsigned short m_degree = 0;
};
