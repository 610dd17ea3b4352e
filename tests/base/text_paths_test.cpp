#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>

#include "base/fatal_error.h"
#include "base/paths.h"
#include "base/text.h"

namespace {

TEST(Text, GbkRoundTripsThroughUtf8) {
  Text gbk = Utf8ToGbk("数据库.edb");
  // 数 is D6 C7 in GBK: two bytes per character, the ASCII tail unchanged.
  ASSERT_EQ(gbk.size(), 3u * 2 + 4);
  EXPECT_EQ(static_cast<unsigned char>(gbk[0]), 0xCA);
  EXPECT_EQ(GbkToUtf8(gbk), "数据库.edb");
}

TEST(Text, UnrepresentableCharactersBecomeQuestionMarks) {
  // An emoji and a Hangul syllable have no GBK code; the text around them survives.
  EXPECT_EQ(Utf8ToGbk("a\xF0\x9F\x98\x80" "b"), "a?b");
  EXPECT_EQ(GbkToUtf8(Utf8ToGbk("x한y")), "x?y");
  // Invalid UTF-8 and a GBK lead byte without its trail byte do not crash or vanish.
  EXPECT_EQ(Utf8ToGbk("\xFF" "z"), "?z");
  EXPECT_EQ(GbkToUtf8("k\xD6"), "k?");
}

TEST(Text, GbkMacroConvertsOnce) {
  const Text& a = GBK("打开数据库失败");
  const Text& b = GBK("打开数据库失败");
  EXPECT_EQ(a, Utf8ToGbk("打开数据库失败"));
  EXPECT_EQ(a, b);
}

#ifndef _WIN32  // host paths on Linux; Windows has its own in text_windows_test.cpp
class PathsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char tmpl[] = "/tmp/vk-paths-XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    dir_ = tmpl;
    mkdir((dir_ + "/配置图片").c_str(), 0755);
    std::ofstream(dir_ + "/配置图片/背景.JPG") << "abc";
  }
  void TearDown() override { std::system(("rm -rf '" + dir_ + "'").c_str()); }
  std::string dir_;
};

TEST_F(PathsTest, ProgramPathMapsBackslashesAndGbk) {
  Text run = ProgramPath(dir_);
  EXPECT_EQ(HostPath(run + GBK("\\配置图片\\背景.JPG")), dir_ + "/配置图片/背景.JPG");
}

TEST_F(PathsTest, CaseInsensitiveMatchAsOnWindows) {
  Text run = ProgramPath(dir_);
  EXPECT_EQ(HostPath(run + GBK("\\配置图片\\背景.jpg")), dir_ + "/配置图片/背景.JPG");
  Bytes b = ReadFileBytes(run + GBK("\\配置图片\\背景.jpg"));
  EXPECT_EQ(std::string(b.begin(), b.end()), "abc");
}

TEST_F(PathsTest, MissingOrUnreadableFilesGiveEmptyBuffers) {
  Text run = ProgramPath(dir_);
  EXPECT_TRUE(ReadFileBytes(run + GBK("\\配置图片\\无.png")).empty());
  EXPECT_TRUE(ReadFileBytes(run + GBK("\\配置图片")).empty());  // a directory
  EXPECT_TRUE(ReadFileBytes(Text()).empty());
}

TEST(RunDirectory, IsTheExecutablesDirectoryWithoutTrailingSeparator) {
  Text d = RunDirectory();
  ASSERT_FALSE(d.empty());
  EXPECT_NE(d.back(), '\\');
  struct stat st;
  EXPECT_EQ(stat((HostPath(d) + "/test_base").c_str(), &st), 0);
  SetRunDirectory(GBK("\\tmp\\x\\"));
  EXPECT_EQ(RunDirectory(), GBK("\\tmp\\x"));
  SetRunDirectory(Text());
  EXPECT_EQ(RunDirectory(), d);
}
#endif

TEST(FatalError, MessageLayout) {
  Text m = FatalErrorMessage(-3, GBK("指定字段不存在"));
  EXPECT_EQ(m, GBK("运行时出错!") + "\r\n\r\n" + GBK("错误代码：") + "-3\r\n\r\n" +
                   GBK("错误信息：") + GBK("指定字段不存在"));
  EXPECT_EQ(FatalErrorMessage(0, Text()), GBK("运行时出错!") + "\r\n\r\n");
  EXPECT_EQ(FatalErrorMessage(0, "x"), GBK("运行时出错!") + "\r\n\r\n" + GBK("错误信息：") + "x");
}

TEST(FatalError, EndsTheProcessWithMinusOne) {
#ifdef _WIN32
  const int minusOne = -1;  // Windows keeps the whole exit code
#else
  const int minusOne = 255;
#endif
  EXPECT_EXIT(FatalRunTimeError(0, "boom"), ::testing::ExitedWithCode(minusOne), "");
}

TEST(FatalError, PresenterSeesTheMessage) {
  struct Seen {
    Text text;
  };
  SetFatalErrorPresenter([](const Text& t) { throw Seen{t}; });
  try {
    FatalRunTimeError(7, "m");
    FAIL();
  } catch (const Seen& s) {
    EXPECT_EQ(s.text, FatalErrorMessage(7, "m"));
  }
  SetFatalErrorPresenter(nullptr);
}

}  // namespace
