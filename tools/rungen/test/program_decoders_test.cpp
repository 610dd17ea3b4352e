// The shipped pictures and sounds through the program's own decoders: what the sprite
// boards, buttons and sound player will actually get from them.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "base/bytes.h"
#include "ui/image.h"
#include "ui/wave_file.h"

namespace fs = std::filesystem;

namespace {

const std::string kRun = VK_RUN_DIR;

Bytes Slurp(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

int Alpha(const Image& img, int x, int y) { return img.pixels()[(static_cast<size_t>(y) * img.width + x) * 4 + 3]; }

}  // namespace

TEST(ProgramDecoders, ReadEveryShippedPicture) {
  int count = 0;
  for (const char* dir : {"配置图片", "网站图标"}) {
    for (const auto& e : fs::recursive_directory_iterator(kRun + "/" + dir)) {
      if (!e.is_regular_file()) continue;
      Image img = DecodePicture(Slurp(e.path()));
      EXPECT_FALSE(img.empty()) << e.path();
      if (img.empty()) continue;
      EXPECT_GE(img.width, 16) << e.path();
      EXPECT_EQ(img.frames.size(), 1u) << e.path() << ": the program shows still pictures";
      ++count;
    }
  }
  EXPECT_GE(count, 80);
}

TEST(ProgramDecoders, ButtonCornersAreSeeThrough) {
  for (const char* name : {"配置图片/添加收藏1.gif", "配置图片/帐号.gif", "配置图片/分类/菜单11.png",
                           "配置图片/翻页/ye11.png", "网站图标/点击打开.PNG"}) {
    Image img = DecodePicture(Slurp(kRun + "/" + name));
    ASSERT_FALSE(img.empty()) << name;
    EXPECT_EQ(Alpha(img, 0, 0), 0) << name;
    EXPECT_EQ(Alpha(img, img.width - 1, img.height - 1), 0) << name;
    EXPECT_EQ(Alpha(img, img.width / 2, img.height / 2), 255) << name;
  }
}

TEST(ProgramDecoders, EverySoundPlays) {
  int count = 0;
  for (const auto& e : fs::recursive_directory_iterator(kRun + "/声音")) {
    if (!e.is_regular_file()) continue;
    Bytes b = Slurp(e.path());
    WaveSound w;
    EXPECT_TRUE(IsRiffWave(b.data(), b.size())) << e.path();
    EXPECT_TRUE(ParseWave(b.data(), b.size(), w)) << e.path();
    EXPECT_GT(w.dataSize, 0u) << e.path();
    ++count;
  }
  EXPECT_GE(count, 14);
}
