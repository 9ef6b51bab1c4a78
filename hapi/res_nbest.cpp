// res_nbest.cpp - alternatives over a stretch of result words.
#include "decoder.h"

extern "C" {

hapiLatObject hapiResLatGenerate(hapiResObject res, int flags) {
    if (kiln::fault("hapiResLatGenerate")) return nullptr;
    kiln::complain("hapiResLatGenerate: not implemented yet");
    return nullptr;
}

int hapiLatWordAlternatives(hapiLatObject lat, int start, int end, int flags, int nbest, int *routes) {
    if (kiln::fault("hapiLatWordAlternatives")) return -1;
    kiln::complain("hapiLatWordAlternatives: not implemented yet");
    return -1;
}

int hapiLatRouteWordNames(hapiLatObject lat, const char **names, int route) {
    if (kiln::fault("hapiLatRouteWordNames")) return -1;
    kiln::complain("hapiLatRouteWordNames: not implemented yet");
    return -1;
}

}  // extern "C"
