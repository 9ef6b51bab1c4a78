// The case conversions of names and BNF text.
#include <gtest/gtest.h>

#include <string>

#include "frame/case.h"

TEST(CaseCopy, SeventeenLatin1PairsAndNothingElse) {
    const std::string upper = "\xC1\xC2\xC4\xC7\xC9\xCA\xCB\xCD\xCE\xCF\xD1\xD3\xD4\xD6\xDA\xDB\xDC";
    const std::string lower = "\xE1\xE2\xE4\xE7\xE9\xEA\xEB\xED\xEE\xEF\xF1\xF3\xF4\xF6\xFA\xFB\xFC";
    char out[1024];
    kh::UpperCaseCopy(lower.c_str(), out, 1024);
    EXPECT_EQ(out, upper);
    kh::LowerCaseCopy(upper.c_str(), out, 1024);
    EXPECT_EQ(out, lower);
    const std::string unpaired = "\xC0\xC3\xC5\xC8\xE0\xE3\xE5\xE8\xFF\xDF";
    kh::UpperCaseCopy(unpaired.c_str(), out, 1024);
    EXPECT_EQ(out, unpaired);
    kh::LowerCaseCopy(unpaired.c_str(), out, 1024);
    EXPECT_EQ(out, unpaired);
    kh::UpperCaseCopy("Hello, World_1!", out, 1024);
    EXPECT_STREQ(out, "HELLO, WORLD_1!");
    kh::LowerCaseCopy("Hello, World_1!", out, 1024);
    EXPECT_STREQ(out, "hello, world_1!");
    // The limit bounds the copy.
    kh::UpperCaseCopy("abcdefghijk", out, 5);
    EXPECT_STREQ(out, "ABCD");
    kh::LowerCaseCopy("ABC", out, 0);
    EXPECT_STREQ(out, "abc");
    kh::UpperCaseCopy("", out, 1024);
    EXPECT_STREQ(out, "");
    EXPECT_EQ(kh::CharToUpper('q'), 'Q');
    EXPECT_EQ(kh::CharToLower(static_cast<char>(0xC9)), static_cast<signed char>(0xE9));
}
