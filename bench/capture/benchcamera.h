#pragma once

#include <QSize>

class GeneralCamera;

// The first simulated camera that has a format of `size`, switched to it at `rate`; null when none
// has. The simulated backend must be selected first.
GeneralCamera *benchSimulatedCamera(const QSize &size, int rate);
