/* goforward: a C program that links the shared library the way an
   application does (KHAPI1_1.dll through its import library on Windows)
   and recognises one recording against one sentence:
     goforward CONFIG RECORDING SENTENCE
   It prints the recognised words, then each word with its start and end
   time, so that two builds of the library can be compared line by line. */
#include <stdio.h>

#include "khapi.h"

int main(int argc, char **argv) {
    if (argc != 4) {
        fputs("usage: goforward CONFIG RECORDING SENTENCE\n", stderr);
        return 2;
    }
    if (khSysInit(argv[1]) != 1) {
        fputs("khSysInit failed (see khapi.log)\n", stderr);
        return 1;
    }
    KhSyntax syntax = khSyntaxCreate("SENTENCE", NULL);
    KhRecogniser rec = khRecCreate();
    if (!syntax || !rec || khSyntaxAddOption(syntax, argv[3]) != 1 || khRecPrepare(rec, syntax, argv[2], NULL) != 1 ||
        khRecDoWholeSent(rec) != 1) {
        fputs("recognition failed (see khapi.log)\n", stderr);
        return 1;
    }
    char text[KH_MAX_TEXT];
    int n = khRecGetWords(rec, text);
    printf("%s\n", text);
    for (int i = 1; i <= n; i++) { /* word indices count from 1 */
        char word[KH_MAX_TEXT];
        double start = 0, end = 0;
        if (khRecGetWordName(rec, i, word) != 1 || khRecGetWordTimes(rec, i, &start, &end) != 1) {
            fputs("a word's name or times could not be read (see khapi.log)\n", stderr);
            return 1;
        }
        printf("%s %.17g %.17g\n", word, start, end);
    }
    khRecDelete(rec);
    return 0;
}
