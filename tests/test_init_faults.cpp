// Start-up as a careless configuration meets it: a user dictionary that
// will not load, and a configuration file name longer than the state's
// field for it.
#include <filesystem>

#include "khapi.h"
#include "syntax_support.h"

using namespace khtest;

// The system dictionary alone is answered at once, without claiming a
// valid merged one.
TEST(InitFaults, AUserDictionaryThatWillNotLoadIsNotReportedValid) {
    Workspace ws;
    WriteFile("user.dic", "this is [ not a dictionary\n");
    ASSERT_EQ(InitWith(StandardConfig("USERDICT = user.dic\nDEBUG = FULL\n")), 1);
    KhSyntax s = khSyntaxCreate("s", nullptr);
    EXPECT_EQ(khSyntaxAddOption(s, "hello"), 1);
    EXPECT_EQ(khSyntaxAddOption(s, "world"), 1);
    std::string log = Log();
    EXPECT_EQ(Occurrences(log, "LoadSysDict: Unable to load user dictionary user.dic (returning system dictionary only)"), 1) << log;
    EXPECT_FALSE(Contains(log, "Valid system dictionary returned")) << log;
}

// A name of more than 1023 characters, given twice, is the same name.
TEST(InitFaults, ALongConfigurationNameGivenAgainIsTheSameName) {
    Workspace ws;
    std::string folder = ".";
    for (int k = 0; k < 6; k++) folder += "/" + std::string(200, 'a' + k);
    std::filesystem::create_directories(folder);
    std::string name = folder + "/khapi.conf";
    ASSERT_GT(name.size(), 1023u);
    WriteFile(name, StandardConfig("DEBUG = ERROR\n"));
    ASSERT_EQ(khSysInit(name.c_str()), 1) << Log();
    EXPECT_EQ(khSysInit(name.c_str()), -1);
    EXPECT_EQ(khSysInit((name + "x").c_str()), -1);
    EXPECT_EQ(Log(), "ERROR - khSysInit: System already initialised\r\n\r\n"
                     "ERROR - khSysInit: System already initialised\r\n\r\n"
                     "ERROR - khSysInit: Tried to reinitialise with a different config filename\r\n\r\n");
}
