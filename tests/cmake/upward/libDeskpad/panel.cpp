#include "common/widgets/dialog.h"
#include "common/shared.h"
