/* The public header compiles as C, and every call answers its failure
   value before the system is started. */
#include <stdio.h>

#include "khapi.h"

int main(void) {
    char text[KH_MAX_TEXT] = "x";
    double t = 0;
    int bad = 0;
    bad |= khSysNewExercise("A") != -1;
    bad |= khSyntaxCreate("A", NULL) != NULL;
    bad |= khRecCreate() != NULL;
    bad |= khRecGetWords(NULL, text) != -1;
    bad |= khRecGetWordTimes(NULL, 1, &t, &t) != -1;
    bad |= khRecGetWordScore(NULL, 1, 1) != KH_FLOAT_FAIL;
    bad |= khSysCalibrateSpeech(NULL) != -1;
    if (bad) {
        puts("a call answered something other than its failure value");
        return 1;
    }
    puts("ok");
    return 0;
}
