/*
 * khapi_cli.c - a thin command-line tool over the public interface.
 *
 *   khapi-cli CONFIG                          start the system and say so
 *   khapi-cli CONFIG -g "OPTION" [-g ...] WAV  recognise a waveform file
 *   khapi-cli CONFIG -g "OPTION" [-g ...] -    recognise the live input
 *
 * Each -g adds one BNF option to a syntax named CLI.  The tool prints
 * what the library answered and never invents a result.
 */
#include <stdio.h>
#include <string.h>

#include "khapi.h"

#define MAX_OPTIONS 32

static int usage(void) {
    fprintf(stderr, "usage: khapi-cli CONFIG [-g \"BNF option\"]... [WAV | -]\n");
    return 2;
}

static void print_words(KhRecogniser rec) {
    char text[KH_MAX_TEXT];
    int n = khRecGetWords(rec, text);
    if (n < 0) {
        printf("no result (see the log)\n");
        return;
    }
    printf("words (%d): %s\n", n, text);
    for (int i = 1; i <= n; i++) {
        char name[KH_MAX_TEXT], syntax[KH_MAX_TEXT];
        double start = 0, end = 0;
        khRecGetWordName(rec, i, name);
        khRecGetResSyntaxName(rec, i, syntax);
        khRecGetWordTimes(rec, i, &start, &end);
        printf("  %-16s %-10s %6.2f %6.2f", name, syntax, start, end);
        float score = khRecGetWordScore(rec, i, i), conf = khRecGetWordConf(rec, i, i);
        if (score != KH_FLOAT_FAIL) printf("  score %9.3f", (double)score);
        if (conf != KH_FLOAT_FAIL) printf("  conf %5.3f", (double)conf);
        putchar('\n');
    }
}

static int recognise(const char **options, int count, const char *wav) {
    KhSyntax syntax = khSyntaxCreate("CLI", NULL);
    if (!syntax) {
        printf("khSyntaxCreate failed (see the log)\n");
        return 1;
    }
    for (int i = 0; i < count; i++) {
        if (khSyntaxAddOption(syntax, options[i]) != 1) {
            printf("option refused: %s\n", options[i]);
            return 1;
        }
    }
    KhRecogniser rec = khRecCreate();
    if (!rec) {
        printf("khRecCreate failed (see the log)\n");
        return 1;
    }
    if (khRecPrepare(rec, syntax, strcmp(wav, "-") == 0 ? NULL : wav, NULL) != 1 ||
        khRecDoWholeSent(rec) != 1) {
        printf("recognition failed (see the log)\n");
        return 1;
    }
    print_words(rec);
    khRecFinalise(rec);
    khRecDelete(rec);
    return 0;
}

int main(int argc, char **argv) {
    if (argc < 2) return usage();
    const char *options[MAX_OPTIONS];
    int count = 0;
    const char *wav = NULL;
    for (int i = 2; i < argc; i++) {
        if (strcmp(argv[i], "-g") == 0 && i + 1 < argc && count < MAX_OPTIONS) options[count++] = argv[++i];
        else if (!wav) wav = argv[i];
        else return usage();
    }
    int status = khSysInit(argv[1]);
    printf("khSysInit(%s) = %d\n", argv[1], status);
    if (status != 1) return status == 0 ? 0 : 1;
    if (!wav) return 0;
    if (count == 0) return usage();
    return recognise(options, count, wav);
}
