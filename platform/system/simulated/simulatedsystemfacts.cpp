#include "system/simulated/simulatedsystemfacts.h"

namespace platform {

SimulatedSystemFacts::SimulatedSystemFacts() = default;

} // namespace platform
