// Icon and sound paths from a table someone else made: which stay in the run directory.

#include "base/run_path_rule.h"

#include <gtest/gtest.h>

namespace {

TEST(RunPathRule, PathsBelowTheRunDirectoryAreInside) {
  for (const char* path : {"\\网站图标\\baidu.png", "\\声音\\点击声音\\叮.wav", "/网站图标/a.png", "\\a..b.png",
                           "\\..a\\b.png", "\\网站图标\\.hidden.png", "\\网站图标\\\\double.png"})
    EXPECT_TRUE(IsInsideRunDirectory(Utf8ToGbk(path))) << path;
}

TEST(RunPathRule, PathsThatClimbOrLeaveAreRefused) {
  for (const char* path : {"", "\\", "\\..\\secret.png", "..\\secret.png", "\\网站图标\\..\\..\\x.png",
                           "/../x.png", "\\网站图标\\..", "\\网站图标\\...\\x.png", "\\网站图标\\. .\\x.png",
                           "\\.\\x.png", "网站图标\\a.png", "2\\secret.png", "C:\\secret.png",
                           "\\C:\\secret.png", "\\网站图标\\a.png:stream", "\\网站图标\\a.png\\..", "\\...\\x", "\\.. \\x",
                           "\\ ..\\x", "\\a/../../x"})
    EXPECT_FALSE(IsInsideRunDirectory(Utf8ToGbk(path))) << path;
}

TEST(RunPathRule, SharesAndDoubledLeadingSeparatorsAreRefused) {
  for (const char* path : {"\\\\host\\share\\x.png", "//host/share/x", "\\/host/x", "/\\host\\x"})
    EXPECT_FALSE(IsInsideRunDirectory(path)) << path;
}

// The second byte of some GBK characters is '\' (0x5C): such a byte before ".." still
// counts as a separator, as the Linux side reads it.
TEST(RunPathRule, ABackslashInsideAGbkCharacterStillSeparates) {
  EXPECT_FALSE(IsInsideRunDirectory(std::string("\\\x81\\..\\x.png")));
  EXPECT_TRUE(IsInsideRunDirectory(std::string("\\\x81\\a.png")));
}

}  // namespace
