// The log of one whole road at level FULL, byte for byte: start, a
// syntax with one option, a recogniser prepared on a file, the whole
// utterance, its words, finalise, delete.
#include "recognition.h"

using namespace khtest;

TEST(RoadLog, EveryLineOfOneUtteranceAtLevelFull) {
    Workspace ws;
    ASSERT_EQ(InitWith(StandardConfig("DEBUG = FULL\n")), 1);
    KhSyntax syntax = khSyntaxCreate("go", nullptr);
    ASSERT_EQ(khSyntaxAddOption(syntax, "go forward [ten] meters"), 1);
    KhRecogniser rec = khRecCreate();
    ASSERT_EQ(khRecPrepare(rec, syntax, GoForward().c_str(), nullptr), 1);
    ASSERT_EQ(khRecDoWholeSent(rec), 1);
    char words[KH_MAX_TEXT];
    ASSERT_EQ(khRecGetWords(rec, words), 4);
    ASSERT_EQ(khRecFinalise(rec), 1);
    ASSERT_EQ(khRecDelete(rec), 1);
    ASSERT_EQ(khSyntaxDeleteShallow(syntax), 1);

    std::string expected =
        "khSysInit: Entering\r\n"
        "  Parameter 1 (config filename) = test.conf\r\n"
        "  Reading model information\r\n"
        "  Reading model number 1 with name ENUS\r\n"
        "  Loaded model ENUS\r\n"
        "  Reading the vocab dictionaries\r\n"
        "  Reading vocab number 1 with name ENGLISH\r\n"
        "  Attempting to load the system dictionary\r\n"
        "  Valid system dictionary returned\r\n"
        "  Read vocab ENGLISH\r\n"
        "  Return value = 1\r\n"
        "khSysInit: Leaving\r\n"
        "\r\n"
        "khSyntaxCreate: Entering\r\n"
        "  Parameter 1 (syntax name) = go\r\n"
        "  Parameter 2 (lattice filename) is a NULL string\r\n"
        "  Return value is a valid pointer\r\n"
        "khSyntaxCreate: Leaving\r\n"
        "\r\n"
        "khSyntaxAddOption: Entering\r\n"
        "  Parameter 1 (syntax ptr) is a non-NULL pointer\r\n"
        "  Parameter 2 (bnf string) = go forward [ten] meters\r\n"
        "  SysCheck: Valid syntax with name GO\r\n"
        "  Attempting to retrieve word GO from system/user dictionary\r\n"
        "  Attempting to retrieve word FORWARD from system/user dictionary\r\n"
        "  Attempting to retrieve word TEN from system/user dictionary\r\n"
        "  Attempting to retrieve word METERS from system/user dictionary\r\n"
        "  Return value = 1\r\n"
        "khSyntaxAddOption: Leaving\r\n"
        "\r\n"
        "khRecCreate: Entering\r\n"
        "  No parameters passed\r\n"
        "  Return value is a valid pointer\r\n"
        "khRecCreate: Leaving\r\n"
        "\r\n"
        "khRecPrepare: Entering\r\n"
        "  Parameter 1 (recogniser ptr) is a non-NULL pointer\r\n"
        "  Parameter 2 (syntax ptr) is a non-NULL pointer\r\n"
        "  Parameter 3 (wav filename) = " + GoForward() + "\r\n"
        "  Parameter 4 (map filename) is a NULL string\r\n"
        "  SysCheck: Valid recogniser\r\n"
        "  SysCheck: Valid syntax with name GO\r\n"
        "  Attempting to retrieve word <s> from system/user dictionary\r\n"
        "  Return value = 1\r\n"
        "khRecPrepare: Leaving\r\n"
        "\r\n"
        "khRecDoWholeSent: Entering\r\n"
        "  Parameter 1 (recogniser ptr) is a non-NULL pointer\r\n"
        "  SysCheck: Valid recogniser\r\n"
        "  Return value = 1\r\n"
        "khRecDoWholeSent: Leaving\r\n"
        "\r\n"
        "khRecGetWords: Entering\r\n"
        "  Parameter 1 (recogniser ptr) is a non-NULL pointer\r\n"
        "  Parameter 2 (results string) is a non-NULL pointer\r\n"
        "  SysCheck: Valid recogniser\r\n"
        "  Outstring = GO FORWARD TEN METERS\r\n"
        "  Return value = 4\r\n"
        "khRecGetWords: Leaving\r\n"
        "\r\n"
        "khRecFinalise: Entering\r\n"
        "  Parameter 1 (recogniser ptr) is a non-NULL pointer\r\n"
        "  SysCheck: Valid recogniser\r\n"
        "  Return value = 1\r\n"
        "khRecFinalise: Leaving\r\n"
        "\r\n"
        "khRecDelete: Entering\r\n"
        "  Parameter 1 (recogniser ptr) is a non-NULL pointer\r\n"
        "  SysCheck: Valid recogniser\r\n"
        "  Return value = 1\r\n"
        "khRecDelete: Leaving\r\n"
        "\r\n"
        "khSyntaxDeleteShallow: Entering\r\n"
        "  Parameter 1 (syntax ptr) is a non-NULL pointer\r\n"
        "  SysCheck: Valid syntax with name GO\r\n"
        "  Return value = 1\r\n"
        "khSyntaxDeleteShallow: Leaving\r\n"
        "\r\n";
    EXPECT_EQ(Log(), expected);
}
