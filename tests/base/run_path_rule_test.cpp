// Which stored icon and sound paths may be joined to the run directory.

#include <gtest/gtest.h>

#include "base/run_path_rule.h"
#include "base/text.h"

namespace {

TEST(RunPathRule, PathsBelowTheRunDirectoryPass) {
  for (const Text& p : {GBK("\\网站图标\\新浪.png"), GBK("\\声音\\点击声音\\1.wav"), Text("\\a"),
                        Text("\\icons/a.png"), Text("\\a..b\\c"), Text("\\.hidden\\x.png"), Text("\\.\\x.png"),
                        Text("\\..a\\x")})
    EXPECT_TRUE(IsRunRelativePath(p)) << p;
}

TEST(RunPathRule, PathsThatLeaveTheRunDirectoryAreRefused) {
  for (const Text& p : {Text("\\..\\x.png"), Text("\\a\\..\\..\\x.png"), Text("\\a\\.."), Text("\\.."),
                        Text("\\a/../../x"), Text("/../x"), Text("\\...\\x"), Text("\\.. \\x"), Text("\\ ..\\x")})
    EXPECT_FALSE(IsRunRelativePath(p)) << p;
}

TEST(RunPathRule, DrivesSharesStreamsAndBareNamesAreRefused) {
  for (const Text& p : {Text("C:\\Windows\\x.png"), Text("\\C:\\x.png"), Text("\\\\host\\share\\x.png"),
                        Text("//host/share/x"), Text("\\a.png:stream"), Text("icons\\a.png"), Text("x"), Text("\\"),
                        Text()})
    EXPECT_FALSE(IsRunRelativePath(p)) << p;
}

TEST(RunPathRule, AGbkTrailByteThatLooksLikeASeparatorIsNeverLooser) {
  // 0x5C may be the second byte of a GBK character; splitting there too can only refuse
  // more, never let a ".." through.
  const Text lead("\x81");
  EXPECT_TRUE(IsRunRelativePath("\\" + lead + "\\x.png"));
  EXPECT_FALSE(IsRunRelativePath("\\" + lead + "\\..\\x.png"));
}

}  // namespace
