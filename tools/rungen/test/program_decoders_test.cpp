// The shipped pictures and sounds through the program's own decoders: what the sprite
// boards, buttons and sound player will actually get from them.

#include <gtest/gtest.h>

#include <cstdint>
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

// The Windows program's icon file: a directory of PNG entries, each the size it claims
// and inside the file, and the whole file a picture the program's icon reader takes.
TEST(ProgramDecoders, TheWindowsIconHoldsEachSizeAsItsDirectorySays) {
  const Bytes ico = Slurp(VK_WINDOWS_ICON);
  ASSERT_GE(ico.size(), 6u);
  auto u16 = [&](size_t at) { return ico[at] | ico[at + 1] << 8; };
  auto u32 = [&](size_t at) { return static_cast<std::uint32_t>(u16(at) | u16(at + 2) << 16); };
  EXPECT_EQ(u16(0), 0);
  EXPECT_EQ(u16(2), 1);
  const int count = u16(4);
  ASSERT_GE(count, 4);
  ASSERT_GE(ico.size(), 6u + 16u * count);
  bool has16 = false, has256 = false;
  for (int i = 0; i < count; ++i) {
    const size_t entry = 6 + 16 * i;
    const int size = ico[entry] == 0 ? 256 : ico[entry];
    EXPECT_EQ(ico[entry + 1], ico[entry]) << "square";
    const std::uint32_t length = u32(entry + 8), offset = u32(entry + 12);
    ASSERT_LE(static_cast<size_t>(offset) + length, ico.size()) << "entry " << i;
    const Bytes png(ico.begin() + offset, ico.begin() + offset + length);
    const Image img = DecodePicture(png);
    ASSERT_FALSE(img.empty()) << "entry " << i;
    EXPECT_EQ(img.width, size);
    EXPECT_EQ(img.height, size);
    has16 |= size == 16;
    has256 |= size == 256;
  }
  EXPECT_TRUE(has16 && has256) << "the small and the large size for Explorer's views";
  EXPECT_FALSE(DecodePicture(ico).empty());
}
