// Whole files written beside their target and renamed into place: links planted at the
// target or at the temporary names are never written through.

#include "platform/private_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "support/scratch_dir.h"

namespace {

namespace fs = std::filesystem;

std::string Slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

class FileReplacingTest : public ::testing::Test {
 protected:
  void SetUp() override { dir_ = MakeScratchDir("vk-replacing"); }
  void TearDown() override { RemoveScratchDir(dir_); }
  std::string F(const std::string& name) const { return dir_ + "/" + name; }
  std::string dir_;
};

TEST_F(FileReplacingTest, ALinkAtTheTargetIsReplacedAndItsTargetKept) {
  std::ofstream(F("victim")) << "precious";
  fs::create_symlink(F("victim"), F("out"));
  fs::create_symlink(F("nowhere"), F("dangling"));
  std::string error;
  ASSERT_TRUE(WriteFileReplacing(F("out"), "new bytes", 0644, &error)) << error;
  ASSERT_TRUE(WriteFileReplacing(F("dangling"), "more", 0644, &error)) << error;
  EXPECT_EQ(Slurp(F("victim")), "precious");
  EXPECT_FALSE(fs::exists(F("nowhere")));
  EXPECT_FALSE(fs::is_symlink(F("out")));
  EXPECT_EQ(Slurp(F("out")), "new bytes");
  EXPECT_EQ(Slurp(F("dangling")), "more");
}

TEST_F(FileReplacingTest, TheModeIsTheOneAskedLessTheUmask) {
  const mode_t old = umask(022);
  std::string error;
  EXPECT_TRUE(WriteFileReplacing(F("shared"), "x", 0644, &error)) << error;
  EXPECT_TRUE(WritePrivateFile(F("private"), "x", &error)) << error;
  umask(077);
  EXPECT_TRUE(WriteFileReplacing(F("narrowed"), "x", 0644, &error)) << error;
  umask(old);
  struct stat st;
  ASSERT_EQ(stat(F("shared").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0644u);
  ASSERT_EQ(stat(F("private").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  ASSERT_EQ(stat(F("narrowed").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
}

// Links waiting at every temporary name this process will try: nothing is written
// through them, the call fails, and the target stays as it was.
TEST_F(FileReplacingTest, LinksAtTheTemporaryNamesAreNeverFollowed) {
  std::ofstream(F("victim")) << "precious";
  std::ofstream(F("out")) << "old";
  std::string error;
  int planted = 0;
  for (int serial = 0; serial < 400; ++serial) {
    const std::string temp = F("out") + ".tmp-" + std::to_string(getpid()) + "-" + std::to_string(serial);
    planted += symlink(F("victim").c_str(), temp.c_str()) == 0;
  }
  ASSERT_EQ(planted, 400);
  EXPECT_FALSE(WriteFileReplacing(F("out"), "new", 0644, &error));
  EXPECT_NE(error.find("cannot write"), std::string::npos) << error;
  EXPECT_EQ(Slurp(F("victim")), "precious");
  EXPECT_EQ(Slurp(F("out")), "old");
}

TEST_F(FileReplacingTest, ATargetThatCannotBeReplacedLeavesNoTemporaryFileBehind) {
  fs::create_directories(F("folder/inside"));
  std::string error;
  EXPECT_FALSE(WriteFileReplacing(F("folder"), "x", 0644, &error));
  EXPECT_NE(error.find("cannot write"), std::string::npos) << error;
  int entries = 0;
  for (const auto& e : fs::directory_iterator(dir_)) entries += e.path().filename() != "folder";
  EXPECT_EQ(entries, 0);
  EXPECT_TRUE(fs::is_directory(F("folder/inside")));
}

}  // namespace
