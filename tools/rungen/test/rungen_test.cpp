// The run directory as the program will find it: every file it reads is there, in its
// format and at a size that fits the window layout; the tables hold the sample data;
// and the generator gives the same bytes every time.

#include <gtest/gtest.h>
#include <png.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "base/bytes.h"
#include "base/paths.h"
#include "base/text.h"
#include "storage/record_file.h"

namespace fs = std::filesystem;

namespace {

const std::string kRun = VK_RUN_DIR;

Bytes Slurp(const std::string& host) {
  std::ifstream in(host, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

enum class Kind { kNone, kPng, kJpeg, kGif };

struct Picture {
  Kind kind = Kind::kNone;
  int width = 0, height = 0;
};

int Be16(const Bytes& b, size_t i) { return (b[i] << 8) | b[i + 1]; }
int Le16(const Bytes& b, size_t i) { return b[i] | (b[i + 1] << 8); }
std::uint32_t Le32(const Bytes& b, size_t i) {
  return b[i] | (b[i + 1] << 8) | (b[i + 2] << 16) | (static_cast<std::uint32_t>(b[i + 3]) << 24);
}
bool At(const Bytes& b, size_t i, const char* s) {
  size_t n = std::char_traits<char>::length(s);
  return b.size() >= i + n && std::equal(s, s + n, b.begin() + static_cast<long>(i),
                                         [](char c, std::uint8_t u) { return static_cast<std::uint8_t>(c) == u; });
}

// Kind and size by the file's own signature and header, not by its name.
Picture Inspect(const Bytes& b) {
  Picture p;
  if (At(b, 0, "\x89PNG\r\n\x1a\n") && At(b, 12, "IHDR") && b.size() >= 24) {
    p.kind = Kind::kPng;
    p.width = (Be16(b, 16) << 16) | Be16(b, 18);
    p.height = (Be16(b, 20) << 16) | Be16(b, 22);
  } else if ((At(b, 0, "GIF89a") || At(b, 0, "GIF87a")) && b.size() >= 10) {
    p.kind = Kind::kGif;
    p.width = Le16(b, 6);
    p.height = Le16(b, 8);
  } else if (b.size() > 4 && b[0] == 0xFF && b[1] == 0xD8) {
    size_t i = 2;
    while (i + 9 < b.size() && b[i] == 0xFF) {
      int m = b[i + 1];
      bool sof = m >= 0xC0 && m <= 0xCF && m != 0xC4 && m != 0xC8 && m != 0xCC;
      if (sof) {
        p.kind = Kind::kJpeg;
        p.height = Be16(b, i + 5);
        p.width = Be16(b, i + 7);
        break;
      }
      i += 2 + static_cast<size_t>(Be16(b, i + 2));
    }
  }
  return p;
}

// RGBA pixels of a PNG, through libpng.
std::vector<std::uint8_t> DecodePng(const Bytes& b, int* w, int* h) {
  png_image img{};
  img.version = PNG_IMAGE_VERSION;
  std::vector<std::uint8_t> px;
  if (!png_image_begin_read_from_memory(&img, b.data(), b.size())) return px;
  img.format = PNG_FORMAT_RGBA;
  px.resize(PNG_IMAGE_SIZE(img));
  if (!png_image_finish_read(&img, nullptr, px.data(), 0, nullptr)) px.clear();
  *w = static_cast<int>(img.width);
  *h = static_cast<int>(img.height);
  return px;
}

struct AlphaUse {
  bool clear = false, partial = false, opaque = false;
};
AlphaUse Alphas(const std::vector<std::uint8_t>& px) {
  AlphaUse u;
  for (size_t i = 3; i < px.size(); i += 4) {
    if (px[i] == 0) u.clear = true;
    else if (px[i] == 255) u.opaque = true;
    else u.partial = true;
  }
  return u;
}

// Mean brightness of the visible pixels, 0..1.
double Brightness(const std::vector<std::uint8_t>& px) {
  double sum = 0, weight = 0;
  for (size_t i = 0; i + 3 < px.size(); i += 4) {
    double a = px[i + 3] / 255.0;
    sum += a * (0.299 * px[i] + 0.587 * px[i + 1] + 0.114 * px[i + 2]) / 255.0;
    weight += a;
  }
  return weight > 0 ? sum / weight : 0;
}

struct Wave {
  bool riff = false;
  int format = 0, channels = 0, bits = 0;
  std::uint32_t rate = 0, dataBytes = 0;
  double seconds() const { return rate && channels && bits ? dataBytes / (rate * channels * (bits / 8.0)) : 0; }
};

Wave InspectWave(const Bytes& b) {
  Wave w;
  if (!At(b, 0, "RIFF") || !At(b, 8, "WAVE")) return w;
  w.riff = true;
  size_t i = 12;
  while (i + 8 <= b.size()) {
    std::uint32_t len = Le32(b, i + 4);
    if (At(b, i, "fmt ") && len >= 16 && i + 24 <= b.size()) {
      w.format = Le16(b, i + 8);
      w.channels = Le16(b, i + 10);
      w.rate = Le32(b, i + 12);
      w.bits = Le16(b, i + 22);
    } else if (At(b, i, "data")) {
      w.dataBytes = std::min<std::uint32_t>(len, static_cast<std::uint32_t>(b.size() - i - 8));
    }
    i += 8 + len + (len & 1);
  }
  return w;
}

Picture PictureAt(const std::string& relative) { return Inspect(Slurp(kRun + "/" + relative)); }

Text RunDirText() { return ProgramPath(kRun); }

mode_t ModeOf(const std::string& host) {
  struct stat st{};
  if (stat(host.c_str(), &st) != 0) return 0;
  return st.st_mode & 0777;
}

}  // namespace

TEST(ShippedData, SkinPicturesHaveTheirFormatAndSize) {
  struct Expect {
    const char* path;
    Kind kind;
    int width, height;
  };
  const Expect skin[] = {
      {"配置图片/背景.JPG", Kind::kJpeg, 800, 650},   {"配置图片/关闭.jpg", Kind::kJpeg, 32, 20},
      {"配置图片/设置.gif", Kind::kGif, 80, 20},      {"配置图片/添加收藏1.gif", Kind::kGif, 80, 30},
      {"配置图片/添加收藏2.gif", Kind::kGif, 80, 30}, {"配置图片/添加收藏3.gif", Kind::kGif, 80, 30},
      {"配置图片/帐号.gif", Kind::kGif, 35, 25},      {"配置图片/帐号查看.GIF", Kind::kGif, 35, 25},
      {"配置图片/修改.jpg", Kind::kJpeg, 32, 24},
  };
  for (const Expect& e : skin) {
    Picture p = PictureAt(e.path);
    EXPECT_EQ(p.kind, e.kind) << e.path;
    EXPECT_EQ(p.width, e.width) << e.path;
    EXPECT_EQ(p.height, e.height) << e.path;
  }
  // the three add-button states and the two account pictures must differ to be seen
  EXPECT_NE(Slurp(kRun + "/配置图片/添加收藏1.gif"), Slurp(kRun + "/配置图片/添加收藏2.gif"));
  EXPECT_NE(Slurp(kRun + "/配置图片/添加收藏2.gif"), Slurp(kRun + "/配置图片/添加收藏3.gif"));
  EXPECT_NE(Slurp(kRun + "/配置图片/帐号.gif"), Slurp(kRun + "/配置图片/帐号查看.GIF"));
}

TEST(ShippedData, CategoryButtonsFitTheBarTenPixelsApartAndLightUp) {
  int x = 10;  // the first button's left; each next one 10 pixels after the last
  for (int k = 1; k <= 8; ++k) {
    std::string base = "配置图片/分类/菜单" + std::to_string(k);
    Bytes normal = Slurp(kRun + "/" + base + "1.png"), lit = Slurp(kRun + "/" + base + "2.png");
    Picture pn = Inspect(normal), pl = Inspect(lit);
    ASSERT_EQ(pn.kind, Kind::kPng) << base;
    ASSERT_EQ(pl.kind, Kind::kPng) << base;
    EXPECT_EQ(pn.width, pl.width) << base;
    EXPECT_EQ(pn.height, pl.height) << base;
    EXPECT_GE(pn.width, 60) << base << ": too narrow for its label";
    EXPECT_LE(pn.height, 41 - 6) << base << ": the bar is 41 high and buttons stand at 6";
    EXPECT_GE(pn.height, 20) << base;
    x += pn.width;
    if (k < 8) x += 10;

    int w = 0, h = 0;
    std::vector<std::uint8_t> a = DecodePng(normal, &w, &h), b = DecodePng(lit, &w, &h);
    ASSERT_FALSE(a.empty());
    ASSERT_FALSE(b.empty());
    AlphaUse ua = Alphas(a);
    EXPECT_TRUE(ua.clear && ua.partial && ua.opaque) << base << ": rounded corners need real alpha";
    EXPECT_GT(Brightness(b), Brightness(a) + 0.15) << base << ": the lit picture must be clearly brighter";
  }
  EXPECT_LE(x, 800) << "the eight buttons overflow the bar";
}

TEST(ShippedData, PageButtonsStandSeventyApartOnTheBoard) {
  for (int k = 1; k <= 4; ++k) {
    std::string path = "配置图片/翻页/ye" + std::to_string(k) + "1.png";
    Picture p = PictureAt(path);
    EXPECT_EQ(p.kind, Kind::kPng) << path;
    EXPECT_GE(p.width, 48) << path;
    EXPECT_LE(p.width, 70) << path << ": would overlap the next button";
    EXPECT_GE(p.height, 16) << path;
    EXPECT_LE(p.height, 475 - 448) << path << ": would leave the board";
  }
  std::set<Bytes> distinct;
  for (int k = 1; k <= 4; ++k) distinct.insert(Slurp(kRun + "/配置图片/翻页/ye" + std::to_string(k) + "1.png"));
  EXPECT_EQ(distinct.size(), 4u);
}

TEST(ShippedData, SoundsAreShortDistinctPcmWaves) {
  std::vector<std::string> sounds = {"常用", "学习", "论坛", "资源", "影音", "购物", "游戏", "手机",
                                     "翻页", "查看帐号密码", "修改"};
  for (std::string& s : sounds) s = "声音/" + s + ".wav";
  int clicks = 0;
  std::error_code ec;
  for (const auto& e : fs::directory_iterator(kRun + "/声音/点击声音", ec)) {
    if (e.path().extension() == ".wav") {
      sounds.push_back("声音/点击声音/" + e.path().filename().string());
      ++clicks;
    }
  }
  EXPECT_GE(clicks, 3) << "a few click sounds to choose from";
  std::set<Bytes> distinct;
  for (const std::string& s : sounds) {
    Bytes b = Slurp(kRun + "/" + s);
    Wave w = InspectWave(b);
    EXPECT_TRUE(w.riff) << s;
    EXPECT_EQ(w.format, 1) << s << ": PCM";
    EXPECT_EQ(w.bits, 16) << s;
    EXPECT_GE(w.channels, 1) << s;
    EXPECT_GT(w.dataBytes, 0u) << s;
    EXPECT_GT(w.seconds(), 0.02) << s;
    EXPECT_LT(w.seconds(), 1.5) << s << ": short";
    distinct.insert(b);
  }
  EXPECT_EQ(distinct.size(), sounds.size()) << "every sound is its own";
}

TEST(ShippedData, FavoritesTableHoldsTheSampleSites) {
  const std::string host = kRun + "/数据库.edb";
  EXPECT_EQ(ModeOf(host), 0600u) << "it keeps passwords as plain text";
  const Text path = RunDirText() + GBK("\\数据库.edb");
  ASSERT_TRUE(OpenRecordFile(path)) << GbkToUtf8(RecordFileErrorText());

  RecordFileDescription d;
  ASSERT_TRUE(DescribeRecordFile(&d));
  ASSERT_EQ(d.fields.size(), 9u);
  for (const FieldDescription& f : d.fields) {
    if (f.number == 6 || f.number == 8) {
      EXPECT_EQ(f.type, kTypeInt) << "field " << f.number;
    } else {
      EXPECT_EQ(f.type, kTypeText) << "field " << f.number;
      EXPECT_GE(f.width, 64) << "field " << f.number;
    }
  }

  const int n = RecordCount();
  EXPECT_GE(n, 40);
  EXPECT_LE(n, 80);
  std::set<Text> names;
  std::map<int, int> per_category;
  int common = 0, with_account = 0, jpeg_icons = 0, alpha_icons = 0;
  std::set<int> icon_sizes;
  FirstRecord();
  for (int i = 0; i < n; ++i, SkipRecords(1)) {
    Text name = ReadTextField(1), icon = ReadTextField(2), address = ReadTextField(3);
    Text account = ReadTextField(4), password = ReadTextField(5), sound = ReadTextField(7);
    Text description = ReadTextField(9);
    int category = ReadIntField(6), is_common = ReadIntField(8);
    std::string label = GbkToUtf8(name);
    EXPECT_GT(CurrentRecordId(), 0) << label;

    EXPECT_FALSE(name.empty());
    EXPECT_TRUE(names.insert(name).second) << label << ": the name is the key, it must be unique";
    for (const Text* t : {&name, &icon, &address, &account, &password, &sound, &description}) {
      std::string u = GbkToUtf8(*t);
      EXPECT_EQ(u.find('?'), std::string::npos) << label << ": not GBK";
      EXPECT_EQ(Utf8ToGbk(u), *t) << label;
    }
    EXPECT_GE(category, 0) << label;
    EXPECT_LE(category, 6) << label;
    ++per_category[category];
    EXPECT_TRUE(is_common == 0 || is_common == 1) << label;
    common += is_common;
    if (!account.empty() && !password.empty()) ++with_account;
    EXPECT_FALSE(description.empty()) << label;

    std::string url = GbkToUtf8(address);
    ASSERT_EQ(url.rfind("https://", 0), 0u) << label;
    std::string site = url.substr(8, url.find('/', 8) - 8);
    EXPECT_NE(site.find_first_not_of("0123456789.:[]"), std::string::npos) << label << ": a host name, not an address";
    EXPECT_NE(site.find('.'), std::string::npos) << label;

    // paths are relative, GBK, with backslashes, and name real files
    EXPECT_EQ(icon.rfind(GBK("\\网站图标\\"), 0), 0u) << label;
    EXPECT_EQ(sound.rfind(GBK("\\声音\\点击声音\\"), 0), 0u) << label;
    Bytes icon_bytes = Slurp(HostPath(RunDirText() + icon));
    Picture p = Inspect(icon_bytes);
    EXPECT_TRUE(p.kind == Kind::kPng || p.kind == Kind::kJpeg) << label;
    EXPECT_EQ(p.width, p.height) << label;
    EXPECT_GE(p.width, 16) << label;
    EXPECT_LE(p.width, 128) << label;
    icon_sizes.insert(p.width);
    if (p.kind == Kind::kJpeg) ++jpeg_icons;
    if (p.kind == Kind::kPng) {
      int w = 0, h = 0;
      AlphaUse u = Alphas(DecodePng(icon_bytes, &w, &h));
      if (u.clear && u.partial) ++alpha_icons;
    }
    Wave w = InspectWave(Slurp(HostPath(RunDirText() + sound)));
    EXPECT_TRUE(w.riff && w.dataBytes > 0) << label << ": click sound";
  }
  CloseRecordFile(path);

  EXPECT_EQ(per_category.size(), 7u) << "every category has sites";
  int longest = common;
  for (auto& [c, count] : per_category) longest = std::max(longest, count);
  EXPECT_GT(longest, 30) << "one list needs a second page";
  EXPECT_GE(common, 6);
  EXPECT_GE(with_account, 3);
  EXPECT_GE(jpeg_icons, 3);
  EXPECT_GE(alpha_icons, 20);
  EXPECT_GE(icon_sizes.size(), 3u) << "icons of several sizes, so scaling shows";

  Picture hover = PictureAt("网站图标/点击打开.PNG");
  EXPECT_EQ(hover.kind, Kind::kPng);
  EXPECT_GE(hover.width, 32);
  EXPECT_LE(hover.width, 64);
}

TEST(ShippedData, SettingsTableStartsWithoutPasswordAndWithSound) {
  EXPECT_EQ(ModeOf(kRun + "/md5.edb"), 0600u);
  const Text path = RunDirText() + GBK("\\md5.edb");
  ASSERT_TRUE(OpenRecordFile(path)) << GbkToUtf8(RecordFileErrorText());
  RecordFileDescription d;
  ASSERT_TRUE(DescribeRecordFile(&d));
  ASSERT_EQ(d.fields.size(), 3u);
  EXPECT_EQ(d.fields[0].type, kTypeText);
  EXPECT_GE(d.fields[0].width, 16);
  EXPECT_EQ(d.fields[1].type, kTypeInt);
  EXPECT_EQ(d.fields[2].type, kTypeInt);
  EXPECT_EQ(RecordCount(), 1);
  FirstRecord();
  EXPECT_EQ(ReadTextField(1), Text());
  EXPECT_EQ(ReadIntField(2), 0);
  EXPECT_EQ(ReadIntField(3), 1);
  CloseRecordFile(path);
}

namespace {

std::map<std::string, Bytes> Tree(const std::string& root) {
  std::map<std::string, Bytes> files;
  for (const auto& e : fs::recursive_directory_iterator(root))
    if (e.is_regular_file()) files[fs::relative(e.path(), root).string()] = Slurp(e.path().string());
  return files;
}

std::string Generate(const std::string& name) {
  std::string dir = (fs::temp_directory_path() / ("rungen_test_" + std::to_string(getpid()) + "_" + name)).string();
  fs::remove_all(dir);
  std::string cmd = std::string("'") + RUNGEN_EXE + "' '" + dir + "'";
  EXPECT_EQ(std::system(cmd.c_str()), 0) << cmd;
  return dir;
}

}  // namespace

TEST(Generator, GivesTheSameBytesOnEveryRun) {
  std::string a = Generate("a"), b = Generate("b");
  std::map<std::string, Bytes> ta = Tree(a), tb = Tree(b);
  EXPECT_GE(ta.size(), 80u);
  ASSERT_EQ(ta.size(), tb.size());
  for (auto& [name, bytes] : ta) {
    auto it = tb.find(name);
    ASSERT_NE(it, tb.end()) << name;
    EXPECT_TRUE(bytes == it->second) << name << " differs between two runs";
    EXPECT_FALSE(bytes.empty()) << name;
  }
  // The build's run directory holds the same pictures and sounds (its tables may have
  // been edited by running the program, so they are checked by content above).
  for (auto& [name, bytes] : ta) {
    if (name.find('/') == std::string::npos) continue;
    EXPECT_TRUE(Slurp(kRun + "/" + name) == bytes) << name << " is stale in " << kRun;
  }
  fs::remove_all(a);
  fs::remove_all(b);
}
