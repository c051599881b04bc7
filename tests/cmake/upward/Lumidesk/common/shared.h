#pragma once

#include "toolbar/window.h"
