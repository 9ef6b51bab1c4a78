// bench_soak - a long session as an application would run it: 2,000
// utterances recognised one after another, with syntaxes and recognisers
// made and deleted along the way and the exercise switched now and then.
// Prints the resident memory and the open file descriptors at the start
// (after the first exercise, once every lazy load has happened), in the
// middle and at the end, and fails when memory grew by 5% or more or a
// descriptor was left open.
//
// usage: bench_soak [utterances]   (default 2000; SOAK_UTTERANCES also)
#include <dirent.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "khapi.h"

namespace {

constexpr int kPerExercise = 100;

long ResidentKiB() {
    long pages = 0, resident = 0;
    std::ifstream("/proc/self/statm") >> pages >> resident;
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

int OpenDescriptors() {
    int n = 0;
    if (DIR *dir = opendir("/proc/self/fd")) {
        while (dirent *entry = readdir(dir)) n += entry->d_name[0] != '.';
        closedir(dir);
    }
    return n - 1;  // the one opendir holds
}

void WriteFile(const std::string &name, const std::string &text) { std::ofstream(name, std::ios::binary) << text; }

bool Check(bool ok, const char *what, int utterance) {
    if (!ok) fprintf(stderr, "bench_soak: %s failed at utterance %d\n", what, utterance);
    return ok;
}

// One utterance on a fresh or kept syntax and recogniser; false on a
// wrong answer.
bool Utterance(int n, KhSyntax *syntax, KhRecogniser *rec) {
    if (n % 10 == 0 || !*syntax) {
        if (*syntax && !Check(khSyntaxDeleteDeep(*syntax) == 1, "deleting a syntax", n)) return false;
        std::string unit = "UNIT" + std::to_string(n), top = "GO" + std::to_string(n);
        KhSyntax units = khSyntaxCreate(unit.c_str(), nullptr);
        *syntax = khSyntaxCreate(top.c_str(), nullptr);
        if (!Check(units && *syntax, "creating syntaxes", n)) return false;
        if (!Check(
                khSyntaxAddOption(units, "METER | METERS") == 1 &&
                    khSyntaxAddOption(*syntax, ("GO (FORWARD | BACKWARD) (ONE | TWO | TEN) $" + unit).c_str()) == 1 &&
                    khSyntaxAddOption(*syntax, "STOP") == 1 && khSyntaxDisableOption(*syntax, "STOP") == 1,
                "building syntaxes", n))
            return false;
    }
    if (n % 25 == 0 || !*rec) {
        if (*rec && !Check(khRecDelete(*rec) == 1, "deleting a recogniser", n)) return false;
        *rec = khRecCreate();
        if (!Check(*rec != nullptr, "creating a recogniser", n)) return false;
    }
    if (!Check(khRecPrepare(*rec, *syntax, "utterance.raw", nullptr) == 1, "khRecPrepare", n)) return false;
    if (n % 2) {
        if (!Check(khRecDoWholeSent(*rec) == 1, "khRecDoWholeSent", n)) return false;
    } else {
        int r;
        while ((r = khRecDoPartSent(*rec, 40)) == 1) continue;
        if (!Check(r == 0, "khRecDoPartSent", n)) return false;
    }
    char text[KH_MAX_TEXT];
    if (!Check(khRecGetWords(*rec, text) >= 1 && khRecGetPhones(*rec, 1, text) >= 1 &&
                   khRecGetWordScore(*rec, 1, 1) != KH_FLOAT_FAIL && khSysGetSpeech(*rec, nullptr, nullptr) > 0,
               "reading the result", n))
        return false;
    return Check(khRecFinalise(*rec) == 1, "khRecFinalise", n);
}

}  // namespace

int main(int argc, char **argv) {
    const char *env = getenv("SOAK_UTTERANCES");
    int utterances = argc > 1 ? atoi(argv[1]) : env ? atoi(env) : 2000;
    if (utterances < 2 * kPerExercise) utterances = 2 * kPerExercise;
    char folder[] = "/tmp/khapi-soak-XXXXXX";
    if (!mkdtemp(folder) || chdir(folder) != 0) return 1;
    std::string mdef = std::string(KHAPI_MODEL_DIR) + "/mdef";
    WriteFile("soak.conf",
              "MODEL1 = ENUS\nENUSMMF = " + mdef + "\nENUSHMMLIST = " + mdef +
                  "\nENUSBKHMMNAME = SIL\nVOCAB1 = ENGLISH\nENGLISHMODEL = ENUS\n"
                  "ENGLISHDICT = english.dic\nSYSDICT = " KHAPI_BUILD_DIR
                  "/data/sysdict.dic\n"
                  "FORCECASE = UPPER\nDEBUG = ERROR\n");
    // The packaged recording of "go forward ten meters".
    std::ifstream in(std::string(KHAPI_TESTDATA) + "/goforward.raw", std::ios::binary);
    WriteFile("utterance.raw", std::string(std::istreambuf_iterator<char>(in), {}));
    if (khSysInit("soak.conf") != 1) return 1;

    KhSyntax syntax = nullptr;
    KhRecogniser rec = nullptr;
    long rss[3] = {0, 0, 0};
    int fds[3] = {0, 0, 0};
    bool ok = true;
    for (int n = 0; n < utterances && ok; n++) {
        if (n > 0 && n % kPerExercise == 0) {
            ok = Check(khSysNewExercise("ENGLISH") == 1, "khSysNewExercise", n);
            syntax = nullptr;
            rec = nullptr;
        }
        for (int at : {n == kPerExercise ? 0 : -1, n == utterances / 2 ? 1 : -1})
            if (at >= 0) rss[at] = ResidentKiB(), fds[at] = OpenDescriptors();
        ok = ok && Utterance(n, &syntax, &rec);
    }
    // Every figure is taken just after an exercise switch, when no syntax or
    // recogniser is alive, so that like is compared with like.
    ok = ok && Check(khSysNewExercise("ENGLISH") == 1, "khSysNewExercise", utterances);
    rss[2] = ResidentKiB();
    fds[2] = OpenDescriptors();
    double growth = 100.0 * static_cast<double>(rss[2] - rss[0]) / static_cast<double>(rss[0]);
    printf("bench_soak: %d utterances, a new syntax every 10, a new recogniser every 25, a new exercise every %d\n",
           utterances, kPerExercise);
    printf("  resident memory: start %ld KiB, middle %ld KiB, end %ld KiB: growth %.2f%% (limit 5%%)\n", rss[0], rss[1],
           rss[2], growth);
    printf("  open file descriptors: start %d, middle %d, end %d\n", fds[0], fds[1], fds[2]);
    if (chdir("/") == 0) {
        std::string cleanup = std::string("rm -rf ") + folder;
        if (system(cleanup.c_str()) != 0) fprintf(stderr, "bench_soak: could not remove %s\n", folder);
    }
    return ok && growth < 5.0 && fds[0] == fds[1] && fds[1] == fds[2] ? 0 : 1;
}
