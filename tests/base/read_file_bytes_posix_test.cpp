// Reading pictures and sounds whole: only regular files, never waiting on a FIFO, and
// never more than the bound however large the file says it is.

#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <future>

#include "base/paths.h"

namespace {

using namespace std::chrono_literals;

struct Scratch {
  Scratch() : dir(::testing::TempDir() + "vk_read_bytes_" + std::to_string(getpid())) {
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
  }
  ~Scratch() {
    std::error_code ignored;
    std::filesystem::remove_all(dir, ignored);
  }
  std::string Write(const std::string& name, size_t n) {
    std::ofstream(dir + "/" + name, std::ios::binary) << std::string(n, 'x');
    return dir + "/" + name;
  }
  std::string dir;
};

TEST(ReadFileBytes, AFifoGivesNothingAtOnce) {
  Scratch s;
  const std::string fifo = s.dir + "/pipe.png";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  auto read = std::async(std::launch::async, [&] { return ReadFileBytes(ProgramPath(fifo)); });
  if (read.wait_for(5s) != std::future_status::ready) {
    int fd = open(fifo.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);  // lets the reader go
    if (fd >= 0) close(fd);
    read.wait();
    FAIL() << "the read waited for a writer";
  }
  EXPECT_TRUE(read.get().empty());
}

TEST(ReadFileBytes, AFileUpToTheBoundIsReadAndOneByteMoreIsNot) {
  Scratch s;
  EXPECT_EQ(ReadFileBytes(ProgramPath(s.Write("at.wav", 1000)), 1000).size(), 1000u);
  EXPECT_TRUE(ReadFileBytes(ProgramPath(s.Write("over.wav", 1001)), 1000).empty());
  EXPECT_EQ(ReadFileBytes(ProgramPath(s.Write("empty.wav", 0)), 1000).size(), 0u);
}

TEST(ReadFileBytes, AHugeSparseFileIsRefusedByItsSize) {
  Scratch s;
  const std::string huge = s.Write("huge.jpg", 1);
  std::error_code ec;
  std::filesystem::resize_file(huge, std::uintmax_t{64} << 30, ec);
  if (ec) GTEST_SKIP() << "no 64 GiB sparse file here: " << ec.message();
  EXPECT_TRUE(ReadFileBytes(ProgramPath(huge)).empty());  // with the default bound
  // Just above the default bound as well.
  const std::string above = s.Write("above.jpg", 1);
  std::filesystem::resize_file(above, kMaxRunFileBytes + 1);
  EXPECT_TRUE(ReadFileBytes(ProgramPath(above)).empty());
  std::filesystem::resize_file(above, kMaxRunFileBytes);
  EXPECT_EQ(ReadFileBytes(ProgramPath(above)).size(), kMaxRunFileBytes);
}

TEST(ReadFileBytes, ALinkToAPictureIsFollowedADeviceIsNot) {
  Scratch s;
  const std::string target = s.Write("real.png", 12);
  std::filesystem::create_symlink(target, s.dir + "/link.png");
  EXPECT_EQ(ReadFileBytes(ProgramPath(s.dir + "/link.png")).size(), 12u);
  EXPECT_TRUE(ReadFileBytes(ProgramPath("/dev/zero")).empty());
  EXPECT_TRUE(ReadFileBytes(ProgramPath(s.dir)).empty());
}

}  // namespace
