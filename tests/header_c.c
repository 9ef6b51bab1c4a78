/* The public header compiles as C, and calls of each return type reach
   the shared library and answer their failure value before the system is
   started. */
#include <stdio.h>

#include "khapi.h"

int main(void) {
    double t = 0;
    if (khRecCreate() != NULL || khRecGetWordTimes(NULL, 1, &t, &t) != -1 ||
        khRecGetWordScore(NULL, 1, 1) != KH_FLOAT_FAIL) {
        puts("a call answered something other than its failure value");
        return 1;
    }
    puts("ok");
    return 0;
}
