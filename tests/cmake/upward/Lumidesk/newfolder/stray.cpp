#include "common/shared.h"
