#include "common/lang.h"

bool English = false;
