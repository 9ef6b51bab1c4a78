// debugwin.cpp - loading the debug-window library and the library's own
// load and unload hooks.
#include "frame/debugwin.h"

#include "frame/loader.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace kh {

namespace {

using StartFn = int (*)(void *);
using StopFn = int (*)(void);
using SendFn = int (*)(const char *);

void *g_module = nullptr;
StartFn g_start = nullptr;
StopFn g_stop = nullptr;
SendFn g_send = nullptr;

template <typename Fn>
Fn Lookup(void *library, const char *name) {
    return reinterpret_cast<Fn>(LoaderSymbol(library, name));
}

void OnLoad(void *module) { g_module = module; }
void OnUnload() {
    if (g_stop) g_stop();
}

#ifndef _WIN32
// Process attach keeps the module handle; process detach stops the window.
__attribute__((constructor)) void OnLoadHook() { OnLoad(LoaderSelf()); }
__attribute__((destructor)) void OnUnloadHook() { OnUnload(); }
#endif

// The module the library lives in.  Where the library is linked into a
// program rather than loaded as a DLL, no entry point has run: the program
// is the module.
void *Module() { return g_module ? g_module : LoaderSelf(); }

}  // namespace

int LoadDebugWindow() {
    void *library = LoaderOpen("DebugWin11", Module());
    if (!library) return 0;
    g_start = Lookup<StartFn>(library, "StartDebugWindow");
    g_stop = Lookup<StopFn>(library, "StopDebugWindow");
    g_send = Lookup<SendFn>(library, "SendMessageEdit");
    if (!g_start || !g_stop || !g_send) {
        LoaderClose(library);
        g_start = nullptr;
        g_stop = nullptr;
        g_send = nullptr;
        return 0;
    }
    return 1;
}

int StartDebugWindowCall() { return g_start ? g_start(Module()) : 0; }

bool SendToDebugWindow(const char *line) { return g_send && g_send(line) != 0; }

}  // namespace kh

#ifdef _WIN32
// The DLL's entry point: process attach keeps the module handle, process
// detach stops the debug window; thread notifications need nothing.
extern "C" BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) kh::OnLoad(module);
    if (reason == DLL_PROCESS_DETACH) kh::OnUnload();
    return TRUE;
}
#endif
