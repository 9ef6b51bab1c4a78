#include "base/model.h"
#include "hapi.h"
