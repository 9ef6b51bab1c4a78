// bench_scale - big grammars: a syntax that lets any of N dictionary words
// repeat, or says "go forward ten meters", recognised on the packaged
// recording of that sentence.  The library (khSysInit on a fresh
// vocabulary, so the whole system dictionary is read; building the
// syntaxes; khRecPrepare; khRecDoWholeSent) beside PocketSphinx used
// directly on the equivalent JSGF grammar and the whole packaged
// dictionary (ps_init, the grammar, the decode).  Each side runs in a
// child process of its own, so that its peak resident memory can be read.
// Prints seconds and ratios; fails only when a side fails.
//
// usage: bench_scale [N ...]   (default 10 100 1000 5000 10000)
#include <pocketsphinx.h>
#include <sphinxbase/err.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "khapi.h"

namespace {

const std::string kRecording = std::string(KHAPI_TESTDATA) + "/goforward.raw";

double Now() { return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count(); }

std::string Upper(std::string s) {
    for (char &c : s) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
    return s;
}

// N words of the packaged dictionary, spread evenly over it: plain
// lower-case words only, one entry per word.
std::vector<std::string> Words(size_t n) {
    std::vector<std::string> all;
    std::ifstream in(KHAPI_CMUDICT);
    std::string line;
    while (std::getline(in, line)) {
        std::string word = line.substr(0, line.find(' '));
        if (!word.empty() && word.find_first_not_of("abcdefghijklmnopqrstuvwxyz") == std::string::npos)
            all.push_back(word);
    }
    std::vector<std::string> chosen;
    for (size_t i = 0; i < n && i < all.size(); i++) chosen.push_back(all[i * all.size() / n]);
    return chosen;
}

// Syntaxes named prefix1, prefix2, ..., each of alternatives up to 900
// characters long; answers their references ("$prefix1", ...).
std::vector<std::string> Alternatives(const std::vector<std::string> &items, const std::string &prefix) {
    std::vector<std::string> lines(1), refs;
    for (const auto &item : items) {
        if (lines.back().size() + item.size() + 3 > 900) lines.emplace_back();
        lines.back() += (lines.back().empty() ? "" : " | ") + item;
    }
    for (size_t k = 0; k < lines.size(); k++) {
        std::string name = prefix + std::to_string(k + 1);
        KhSyntax s = khSyntaxCreate(name.c_str(), nullptr);
        if (!s || khSyntaxAddOption(s, lines[k].c_str()) != 1) return {};
        refs.push_back("$" + name);
    }
    return refs;
}

// The top syntax: the sentence, or any of the words repeated.  When the
// references to the word syntaxes do not fit one option, they are grouped
// again one level up.
KhSyntax BuildSyntax(const std::vector<std::string> &words) {
    std::vector<std::string> refs = Alternatives(words, "P");
    for (int level = 1; refs.size() > 1 && level < 4; level++) refs = Alternatives(refs, "Q" + std::to_string(level));
    KhSyntax top = khSyntaxCreate("TOP", nullptr);
    if (refs.empty() || !top || khSyntaxAddOption(top, "GO FORWARD TEN METERS") != 1 ||
        khSyntaxAddOption(top, ("<" + refs[0] + ">").c_str()) != 1)
        return nullptr;
    return top;
}

struct Figures {
    double init = 0, build = 0, prepare = 0, recognise = 0, whole = 0;
    char words[256] = "";
};

void WriteFile(const std::string &name, const std::string &text) { std::ofstream(name, std::ios::binary) << text; }

// The library's side, in the child; false when a call failed.
bool RunLibrary(const std::vector<std::string> &words, Figures *f) {
    std::string mdef = std::string(KHAPI_MODEL_DIR) + "/mdef";
    WriteFile("scale.conf",
              "MODEL1 = ENUS\nENUSMMF = " + mdef + "\nENUSHMMLIST = " + mdef +
                  "\nENUSBKHMMNAME = SIL\nVOCAB1 = ENGLISH\nENGLISHMODEL = ENUS\n"
                  "ENGLISHDICT = english.dic\nSYSDICT = " KHAPI_BUILD_DIR
                  "/data/sysdict.dic\n"
                  "FORCECASE = UPPER\nDEBUG = ERROR\n");
    std::vector<std::string> upper;
    for (const auto &w : words) upper.push_back(Upper(w));
    double t0 = Now();
    if (khSysInit("scale.conf") != 1) return false;
    double t1 = Now();
    KhSyntax top = BuildSyntax(upper);
    double t2 = Now();
    KhRecogniser rec = top ? khRecCreate() : nullptr;
    if (!rec || khRecPrepare(rec, top, kRecording.c_str(), nullptr) != 1) return false;
    double t3 = Now();
    if (khRecDoWholeSent(rec) != 1 || khRecGetWords(rec, f->words) < 1) return false;
    double t4 = Now();
    f->init = t1 - t0, f->build = t2 - t1, f->prepare = t3 - t2, f->recognise = t4 - t3;
    return true;
}

// PocketSphinx's side, in the child, with the library's default beams:
// ps_init with the whole dictionary, then the grammar, then the decode.
bool RunDirect(const std::vector<std::string> &words, Figures *f) {
    std::string gram = "#JSGF V1.0;\ngrammar scale;\npublic <s> = go forward ten meters | (";
    for (size_t i = 0; i < words.size(); i++) gram += (i ? " | " : " ") + words[i];
    gram += " )+;\n";
    WriteFile("scale.gram", gram);
    std::ifstream in(kRecording, std::ios::binary);
    std::string raw((std::istreambuf_iterator<char>(in)), {});
    err_set_logfp(nullptr);
    double t0 = Now();
    cmd_ln_t *c = cmd_ln_init(nullptr, ps_args(), TRUE, "-hmm", KHAPI_MODEL_DIR, "-dict", KHAPI_CMUDICT,
                              "-remove_silence", "no", "-beam", "1e-48", "-pbeam", "1e-48", "-wbeam", "7e-29", nullptr);
    ps_decoder_t *ps = c ? ps_init(c) : nullptr;
    if (!ps) return false;
    double t1 = Now();
    if (ps_set_jsgf_file(ps, "scale", "scale.gram") != 0 || ps_set_search(ps, "scale") != 0) return false;
    double t2 = Now();
    ps_start_utt(ps);
    ps_process_raw(ps, reinterpret_cast<const int16 *>(raw.data()), raw.size() / 2, FALSE, TRUE);
    ps_end_utt(ps);
    const char *hyp = ps_get_hyp(ps, nullptr);
    snprintf(f->words, sizeof f->words, "%s", hyp ? hyp : "");
    f->init = t1 - t0, f->build = t2 - t1, f->recognise = Now() - t2;
    ps_free(ps);
    cmd_ln_free_r(c);
    return true;
}

// Runs one side in a child process in a fresh folder; answers its figures,
// its whole time from fork to exit and its peak resident memory in MB.
bool RunChild(bool library, const std::vector<std::string> &words, Figures *f, double *peak_mb) {
    int fds[2];
    if (pipe(fds) != 0) return false;
    double t0 = Now();
    pid_t pid = fork();
    if (pid == 0) {
        close(fds[0]);
        char folder[] = "/tmp/khapi-scale-XXXXXX";
        Figures mine;
        bool ok =
            mkdtemp(folder) && chdir(folder) == 0 && (library ? RunLibrary(words, &mine) : RunDirect(words, &mine));
        if (ok) ok = write(fds[1], &mine, sizeof mine) == static_cast<ssize_t>(sizeof mine);
        if (chdir("/") == 0) ok = system((std::string("rm -rf ") + folder).c_str()) == 0 && ok;
        _exit(ok ? 0 : 1);
    }
    close(fds[1]);
    bool got = pid > 0 && read(fds[0], f, sizeof *f) == static_cast<ssize_t>(sizeof *f);
    close(fds[0]);
    int status = 0;
    rusage usage{};
    if (pid <= 0 || wait4(pid, &status, 0, &usage) != pid) return false;
    f->whole = Now() - t0;
    *peak_mb = static_cast<double>(usage.ru_maxrss) / 1024.0;
    return got && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace

int main(int argc, char **argv) {
    std::vector<size_t> sizes;
    for (int i = 1; i < argc; i++) sizes.push_back(static_cast<size_t>(atol(argv[i])));
    if (sizes.empty()) sizes = {10, 100, 1000, 5000, 10000};
    printf("bench_scale: any of N dictionary words repeated, or \"go forward ten meters\", on goforward.raw\n");
    printf("%6s | %9s %9s %9s %9s %9s %6s | %9s %9s %9s %6s | %5s %5s %5s\n", "N", "khSysInit", "building", "prepare",
           "recognise", "sum", "RSS MB", "ps_init", "grammar", "ps whole", "RSS MB", "time", "RSS", "init");
    bool ok = true;
    double sum_at_1000 = 0;
    for (size_t n : sizes) {
        std::vector<std::string> words = Words(n);
        Figures lib, ps;
        double lib_mb = 0, ps_mb = 0;
        if (!RunChild(true, words, &lib, &lib_mb) || !RunChild(false, words, &ps, &ps_mb)) {
            fprintf(stderr, "bench_scale: N = %zu failed\n", n);
            ok = false;
            continue;
        }
        double sum = lib.init + lib.build + lib.prepare + lib.recognise;
        if (n == 1000) sum_at_1000 = sum;
        printf("%6zu | %9.3f %9.3f %9.3f %9.3f %9.3f %6.1f | %9.3f %9.3f %9.3f %6.1f | %5.2f %5.2f %5.2f\n", n,
               lib.init, lib.build, lib.prepare, lib.recognise, sum, lib_mb, ps.init, ps.build, ps.whole, ps_mb,
               sum / ps.whole, lib_mb / ps_mb, lib.init / ps.init);
        printf("       | library heard \"%s\"; PocketSphinx heard \"%s\"\n", lib.words, ps.words);
        if (n == 10000 && sum_at_1000 > 0)
            printf("       | N = 10,000 takes %.1fx the time of N = 1,000\n", sum / sum_at_1000);
    }
    printf(
        "ratios: time = the library's sum / PocketSphinx's whole process, from fork to exit (target at\n"
        "        N = 5,000: 1.5); RSS = peak resident memory (target 1.2); init = khSysInit, which reads\n"
        "        the whole system dictionary, / ps_init with the whole dictionary (target 1.2)\n");
    return ok ? 0 : 1;
}
