// Four threads driving the library at once, each with syntaxes and
// recognisers of its own: calls are serialised, so every thread gets the
// answers it would get alone.  The thread-sanitizer build (make tsan) runs
// this test to show that nothing is shared without the lock.
#include <atomic>
#include <thread>

#include "recognition.h"

using namespace khtest;

namespace {

// One thread's round: make, prepare, recognise, query, delete.  Answers
// the number of calls that did not answer as expected.
int Round(int thread, int round) {
    int wrong = 0;
    auto expect = [&wrong](bool ok) { wrong += ok ? 0 : 1; };
    std::string name = "T" + std::to_string(thread) + "R" + std::to_string(round);
    KhSyntax s = khSyntaxCreate(name.c_str(), nullptr);
    expect(s != nullptr);
    expect(khSyntaxAddOption(s, kGoGrammar) == 1);
    expect(khSyntaxDisableOption(s, "go backward one meter") == -1);
    expect(khSyntaxReturn(name.c_str()) == s);
    KhRecogniser r = khRecCreate();
    expect(r != nullptr);
    expect(khRecPrepare(r, s, GoForward().c_str(), nullptr) == 1);
    expect(khRecDoWholeSent(r) == 1);
    expect(Words(r) == "GO FORWARD TEN METERS");
    char word[KH_MAX_TEXT];
    expect(khRecGetWordName(r, -1, word) == 1 && std::string(word) == "METERS");
    expect(khRecGetWordScore(r, 1, 4) != KH_FLOAT_FAIL);
    expect(khRecFinalise(r) == 1);
    expect(khRecDelete(r) == 1);
    expect(khSyntaxDeleteDeep(s) == 1);
    expect(khRecFinalise(r) == -1);
    return wrong;
}

}  // namespace

TEST(Threads, FourThreadsAtOnceGetTheAnswersOfOne) {
    Workspace ws;
    ASSERT_EQ(InitWith(StandardConfig("DEBUG = ERROR\n")), 1);
    std::atomic<int> wrong{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; t++)
        threads.emplace_back([t, &wrong] {
            for (int round = 0; round < 2; round++) wrong += Round(t, round);
        });
    for (std::thread &t : threads) t.join();
    EXPECT_EQ(wrong.load(), 0) << Log();
}
