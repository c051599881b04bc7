#include "publisher.h"
#include "publisherimpl.h"
