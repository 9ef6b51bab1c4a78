// debugwin.cpp - loading the debug-window library and the library's own
// load and unload hooks.
#include "frame/debugwin.h"

#include "frame/loader.h"

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

// Process attach keeps the module handle; process detach stops the window.
__attribute__((constructor)) void OnLoad() { g_module = LoaderSelf(); }
__attribute__((destructor)) void OnUnload() {
    if (g_stop) g_stop();
}

}  // namespace

int LoadDebugWindow() {
    void *library = LoaderOpen("DebugWin11");
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

int StartDebugWindowCall() { return g_start ? g_start(g_module) : 0; }

bool SendToDebugWindow(const char *line) { return g_send && g_send(line) != 0; }

}  // namespace kh
