#include "common/shared.h"

#include <vector>
