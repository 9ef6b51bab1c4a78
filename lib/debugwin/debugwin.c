/*
 * debugwin.c - the debug window: a copy of every log line the library
 * writes, shown as it happens.  The "window" is the terminal (standard
 * error), or the file named by the environment variable KHAPI_DEBUGWIN,
 * which is appended to.
 */
#include <stdio.h>
#include <stdlib.h>

static FILE *window = NULL;

/* Opens the window.  The module handle of the calling library is not
   needed here.  Answers 1, or 0 when the window cannot be opened. */
int StartDebugWindow(void *module_handle) {
    (void)module_handle;
    if (window) return 1;
    const char *name = getenv("KHAPI_DEBUGWIN");
    window = name && name[0] ? fopen(name, "ab") : stderr; /* lines carry their own "\r\n" */
    return window != NULL;
}

/* Shows one line.  Answers 0 when the window no longer takes lines. */
int SendMessageEdit(const char *line) {
    if (!window || !line) return 0;
    if (fputs(line, window) < 0 || fflush(window) != 0) return 0;
    return 1;
}

/* Closes the window. */
int StopDebugWindow(void) {
    if (window && window != stderr) fclose(window);
    window = NULL;
    return 1;
}
