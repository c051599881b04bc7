#include "dialog.h"
#include "common/shared.h"
