// loader.cpp - dlopen on POSIX systems, LoadLibraryA on Windows.
#include "frame/loader.h"

#include <string>

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace kh {

#ifdef _WIN32

// The library next to the module first ("C:\\Program Files\\App\\DebugWin11.dll"
// beside KHAPI1_1.dll), then the system's search.
void *LoaderOpen(const char *plain_name, void *beside) {
    char path[MAX_PATH];
    DWORD n = beside ? GetModuleFileNameA(static_cast<HMODULE>(beside), path, sizeof path) : 0;
    if (n > 0 && n < sizeof path) {
        std::string file(path, n);
        file.erase(file.find_last_of("\\/:") + 1);
        file += std::string(plain_name) + ".dll";
        if (HMODULE library = LoadLibraryA(file.c_str())) return reinterpret_cast<void *>(library);
    }
    return reinterpret_cast<void *>(LoadLibraryA(plain_name));
}

void *LoaderSymbol(void *library, const char *symbol) {
    return reinterpret_cast<void *>(GetProcAddress(static_cast<HMODULE>(library), symbol));
}

void LoaderClose(void *library) { FreeLibrary(static_cast<HMODULE>(library)); }

void *LoaderSelf() {
    HMODULE self = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCSTR>(&LoaderSelf), &self);
    return self;
}

#else

void *LoaderOpen(const char *plain_name, void *) {
    std::string file = std::string("lib") + plain_name + ".so";
    return dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
}

void *LoaderSymbol(void *library, const char *symbol) { return dlsym(library, symbol); }

void LoaderClose(void *library) { dlclose(library); }

void *LoaderSelf() {
    Dl_info info;
    if (dladdr(reinterpret_cast<void *>(&LoaderSelf), &info) == 0) return nullptr;
    return info.dli_fbase;
}

#endif

}  // namespace kh
