#include "toolbar/window.h"

#include "common/shared.h"
#include "common/widgets/dialog.h"
