#pragma once

#include <QtGlobal>

// Free space, in KiB, on the volume of the user's documents folder (where recordings and updates
// go); 0 when it cannot be read.
quint64 getFreeDiskspace();
