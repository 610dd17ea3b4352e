// GBK texts meet Windows through code page 936, whatever the system's own code page is
// (the tests run under an English one), and program paths are the system's own paths.
#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <fstream>

#include "base/paths.h"
#include "base/text.h"
#include "base/wide_text.h"
#include "support/scratch_dir.h"

namespace {

TEST(WideText, GbkGoesToUtf16ThroughCodePage936) {
  EXPECT_EQ(WideFromGbk(GBK("配置图片\\背景.JPG")), L"\u914d\u7f6e\u56fe\u7247\\\u80cc\u666f.JPG");
  EXPECT_EQ(GbkFromWide(L"\u6570\u636e\u5e93.edb"), GBK("数据库.edb"));
  // A trail byte 0x5C stays inside its character: "\xD5\x5C" is one character, not a separator.
  Text tricky = "\xD5\x5C";
  std::wstring w = WideFromGbk(tricky);
  ASSERT_EQ(w.size(), 1u);
  EXPECT_NE(w[0], L'\\');
  EXPECT_EQ(GbkFromWide(w), tricky);
}

TEST(WideText, WhatEitherSideCannotHoldBecomesAQuestionMark) {
  EXPECT_EQ(WideFromGbk("a\xFF" "b"), L"a?b");
  EXPECT_EQ(WideFromGbk("a\x81"), L"a?");  // a lead byte cut off at the end
  EXPECT_EQ(GbkFromWide(L"x\U0001F600y"), "x?y");
  EXPECT_EQ(Utf8ToGbk("x\xC3(y"), "x?(y");  // broken UTF-8
  EXPECT_EQ(GbkToUtf8(GBK("收藏")), "收藏");
  EXPECT_EQ(Utf8ToGbk(GbkToUtf8("\x81\x40")), "\x81\x40");
}

TEST(WideText, DoesNotDependOnTheSystemCodePage) {
  // The conversion must not be the ANSI one; under a Chinese system both would agree.
  if (GetACP() == 936) GTEST_SKIP() << "the system code page is 936 itself";
  wchar_t viaAnsi[16] = {};
  Text gbk = GBK("收藏");
  MultiByteToWideChar(CP_ACP, 0, gbk.data(), static_cast<int>(gbk.size()), viaAnsi, 16);
  EXPECT_NE(std::wstring(viaAnsi), WideFromGbk(gbk));
  EXPECT_EQ(WideFromGbk(gbk), L"\u6536\u85cf");
}

class WindowsPathsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = MakeScratchDir("vk-paths");
    std::filesystem::path d(dir_);
    std::filesystem::create_directory(d / L"\u914d\u7f6e\u56fe\u7247");
    std::ofstream(d / L"\u914d\u7f6e\u56fe\u7247" / L"\u80cc\u666f.JPG", std::ios::binary) << "abc";
  }
  void TearDown() override { RemoveScratchDir(dir_); }
  std::string dir_;
};

TEST_F(WindowsPathsTest, ProgramPathsAreTheSystemsOwnAndIgnoreCase) {
  Text run = ProgramPath(dir_);
  EXPECT_EQ(run.find('/'), Text::npos);
  EXPECT_EQ(HostPath(run), run);
  Bytes b = ReadFileBytes(run + GBK("\\配置图片\\背景.jpg"));
  EXPECT_EQ(std::string(b.begin(), b.end()), "abc");
  EXPECT_TRUE(ReadFileBytes(run + GBK("\\配置图片\\无.png")).empty());
  EXPECT_TRUE(ReadFileBytes(run + GBK("\\配置图片")).empty());  // a directory
  EXPECT_TRUE(ReadFileBytes(Text()).empty());
}

// A path in UTF-8, as the command line and std::filesystem give it, becomes the GBK
// program path: a Chinese table name typed after edbtool.exe must reach the file.
TEST_F(WindowsPathsTest, AUtf8PathBecomesTheGbkProgramPath) {
  const std::string host = dir_ + "/\xE9\x85\x8D\xE7\xBD\xAE\xE5\x9B\xBE\xE7\x89\x87/\xE8\x83\x8C\xE6\x99\xAF.JPG";
  const Text path = ProgramPathFromUtf8(host);
  EXPECT_EQ(path, ProgramPath(dir_) + GBK("\\配置图片\\背景.JPG"));
  Bytes b = ReadFileBytes(path);
  EXPECT_EQ(std::string(b.begin(), b.end()), "abc");
}

TEST(WindowsRunDirectory, IsTheExecutablesDirectory) {
  Text d = RunDirectory();
  ASSERT_FALSE(d.empty());
  EXPECT_NE(d.back(), '\\');
  EXPECT_NE(GetFileAttributesW((WideFromGbk(d) + L"\\test_base.exe").c_str()), INVALID_FILE_ATTRIBUTES);
  SetRunDirectory(GBK("C:\\x\\"));
  EXPECT_EQ(RunDirectory(), GBK("C:\\x"));
  SetRunDirectory(Text());
  EXPECT_EQ(RunDirectory(), d);
  EXPECT_EQ(CurrentDirectory().substr(1, 2), ":\\");
}

}  // namespace
