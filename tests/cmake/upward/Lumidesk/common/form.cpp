#include "common/form.h"

#include "ui_form.h"
