// The folder of a model's files, as the system writes file names.
#include "base/files.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct FolderCase {
    const char *name;
    const char *path;
    const char *folder;
};

class FolderOf : public ::testing::TestWithParam<FolderCase> {};

TEST_P(FolderOf, IsEverythingBeforeTheLastSeparator) {
    EXPECT_EQ(engine::folder_of(GetParam().path), GetParam().folder) << GetParam().path;
}

const FolderCase kFolders[] = {
    {"Absolute", "/usr/share/model/mdef", "/usr/share/model"},
    {"InTheRoot", "/mdef", "/"},
    {"Relative", "model/mdef", "model"},
    {"BareName", "mdef", "."},
#ifdef _WIN32
    {"DriveAndBackslashes", "Z:\\usr\\share\\model\\mdef", "Z:\\usr\\share\\model"},
    {"MixedSeparators", "Z:\\usr\\share\\model/mdef", "Z:\\usr\\share\\model"},
    {"DriveRoot", "C:\\mdef", "C:\\"},
    {"DriveRelative", "C:mdef", "C:"},
    {"RelativeBackslash", "model\\mdef", "model"},
#else
    {"BackslashIsPartOfAName", "model\\mdef", "."},
#endif
};

INSTANTIATE_TEST_SUITE_P(Paths, FolderOf, ::testing::ValuesIn(kFolders),
                         [](const ::testing::TestParamInfo<FolderCase> &info) { return std::string(info.param.name); });

}  // namespace
