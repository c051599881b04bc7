#include "toolbar/window.h"

#include "common/shared.h"
#include "dialog.h"
