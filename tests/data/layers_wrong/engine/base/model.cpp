#include "decoding/decoder.h"
#include "hapi.h"
