#pragma once

#include <QtGlobal>

// One directory entry as it stands in the data (12 bytes). The last 4 bytes hold the value itself
// when it fits, otherwise its offset; all three readings of them are kept so that decoding by type
// needs no second look at the data.
struct ExifIfdHeader
{
    quint16 tag = 0;
    quint16 type = 0;
    quint32 count = 0;
    uchar bytes[4] = { 0, 0, 0, 0 };  // as they stand, for BYTE, ASCII and UNDEFINED
    quint16 shorts[2] = { 0, 0 };      // in the data's byte order, for SHORT
    quint32 offset = 0;                // in the data's byte order: a one-element LONG or an offset
};
