// loader.h - the platform's dynamic loader, kept in one place.
#ifndef KH_FRAME_LOADER_H
#define KH_FRAME_LOADER_H

namespace kh {

// Loads a library by its plain name ("DebugWin11"); null when it cannot be
// loaded.  On Windows the folder of the module `beside` is tried before the
// system's library search; elsewhere only the search is used.
void *LoaderOpen(const char *plain_name, void *beside);
void *LoaderSymbol(void *library, const char *symbol);
void LoaderClose(void *library);
// The handle of the module that holds this code.
void *LoaderSelf();

}  // namespace kh

#endif  // KH_FRAME_LOADER_H
