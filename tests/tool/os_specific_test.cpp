// File names as each system reads them, and the private configuration's
// temporary files: what differs between the tool on Linux and on Windows.
#include <gtest/gtest.h>

#include <cstdio>
#include <set>
#include <unistd.h>

#include "platform/os_specific.h"
#include "session/run_config.h"

namespace {

struct Name {
    const char *label;
    const char *path;
    bool absolute_linux, absolute_windows;
    const char *log2_linux, *log2_windows;  // WorkerLog(path, 2)
};

const Name kNames[] = {
    {"Rooted", "/tmp/khapi.log", true, true, "/tmp/khapi.2.log", "/tmp/khapi.2.log"},
    {"Relative", "logs/khapi.log", false, false, "logs/khapi.2.log", "logs/khapi.2.log"},
    {"NoExtension", "logs/khapi", false, false, "logs/khapi.2", "logs/khapi.2"},
    {"DriveBackslashes", "C:\\logs\\khapi.log", false, true, "C:\\logs\\khapi.2.log", "C:\\logs\\khapi.2.log"},
    {"DotInFolderOnly", "C:\\my.logs\\khapi", false, true, "C:\\my.2.logs\\khapi", "C:\\my.logs\\khapi.2"},
    {"DriveSlash", "C:/logs/khapi.log", false, true, "C:/logs/khapi.2.log", "C:/logs/khapi.2.log"},
    {"DriveRelative", "C:khapi.log", false, false, "C:khapi.2.log", "C:khapi.2.log"},
    {"Hidden", "logs\\.khapi", false, false, "logs\\.2.khapi", "logs\\.khapi.2"},
};

TEST(Names, AreReadAsTheSystemReadsThem) {
    for (const Name &n : kNames) {
        SCOPED_TRACE(n.label);
#ifdef _WIN32
        EXPECT_EQ(tool::IsAbsolute(n.path), n.absolute_windows);
        EXPECT_EQ(tool::WorkerLog(n.path, 2), n.log2_windows);
#else
        EXPECT_EQ(tool::IsAbsolute(n.path), n.absolute_linux);
        EXPECT_EQ(tool::WorkerLog(n.path, 2), n.log2_linux);
#endif
        EXPECT_EQ(tool::WorkerLog(n.path, 0), n.path);
    }
}

TEST(TempConfig, EachCallMakesANewFileOfItsOwn) {
    std::set<std::string> names;
    for (int i = 0; i < 3; i++) {
        std::string name;
        int fd = tool::CreateTempFile(".conf", &name);
        ASSERT_GE(fd, 0) << name;
        EXPECT_EQ(write(fd, "A = 1\n", 6), 6);
        close(fd);
        EXPECT_TRUE(tool::IsAbsolute(name)) << name;
        EXPECT_EQ(name.substr(name.size() - 5), ".conf");
        names.insert(name);
    }
    EXPECT_EQ(names.size(), 3u);
    for (const std::string &name : names) EXPECT_EQ(std::remove(name.c_str()), 0) << name;
}

TEST(ProgramDir, IsTheFolderOfThisTestProgram) {
    std::string dir = tool::ProgramDir();
    ASSERT_TRUE(tool::IsAbsolute(dir)) << dir;
#ifdef _WIN32
    const char *exe = "\\khapi_tool_tests.exe";
#else
    const char *exe = "/khapi_tool_tests";
#endif
    FILE *f = fopen((dir + exe).c_str(), "rb");
    EXPECT_NE(f, nullptr) << dir;
    if (f) fclose(f);
}

}  // namespace
