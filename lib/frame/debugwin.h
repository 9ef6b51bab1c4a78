// debugwin.h - the optional debug window, a separate library loaded by
// name ("DebugWin11") that receives a copy of every log line.
#ifndef KH_FRAME_DEBUGWIN_H
#define KH_FRAME_DEBUGWIN_H

namespace kh {

// Loads the library and its three entry points; 1, or 0 when it is
// missing or incomplete (then nothing stays loaded).
int LoadDebugWindow();
// StartDebugWindow with the library's module handle; 0 on failure.
int StartDebugWindowCall();
// SendMessageEdit; false when the window no longer takes lines.
bool SendToDebugWindow(const char *line);

}  // namespace kh

#endif  // KH_FRAME_DEBUGWIN_H
