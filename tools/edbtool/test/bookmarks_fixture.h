#pragma once
// What the bookmark tests share: edbtool run as users run it, favorites tables made
// through the engine and read back through it, icons of every kind made in memory.

#include <gif_lib.h>
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "base/paths.h"
#include "base/text.h"
#include "data_uri.h"
#include "storage/record_file.h"
#include "support/encode_pictures.h"
#include "support/png_chunks.h"
#include "support/scratch_dir.h"
#include "ui/image.h"

namespace bookmarks_test {

namespace fs = std::filesystem;

struct Result {
  int code = -1;
  std::string out, err;
};

inline std::string Quote(const std::string& s) {
  std::string q = "'";
  for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

inline std::string Slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

inline void Spit(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

struct Favorite {
  std::string name, icon, address, account, password;  // UTF-8
  int category = 0;
  std::string sound;
  int common = 0;
  std::string description;
};

// Pixels of a small picture that tells icons apart: a colour per seed, a gradient.
inline std::vector<std::uint8_t> Pixels(int side, int seed) {
  std::vector<std::uint8_t> px(static_cast<std::size_t>(side) * side * 4);
  for (int i = 0; i < side * side; ++i) {
    px[i * 4 + 0] = static_cast<std::uint8_t>(seed * 40 + i);
    px[i * 4 + 1] = static_cast<std::uint8_t>(seed * 90 + i / side * 8);
    px[i * 4 + 2] = static_cast<std::uint8_t>(255 - seed * 30);
    px[i * 4 + 3] = 255;
  }
  return px;
}

inline Bytes Png(int side, int seed) { return EncodePngRgba(side, side, Pixels(side, seed).data()); }

inline Bytes Jpeg(int side, int seed) {
  std::vector<std::uint8_t> rgb;
  for (std::size_t i = 0; i < Pixels(side, seed).size(); ++i)
    if (i % 4 != 3) rgb.push_back(Pixels(side, seed)[i]);
  return EncodeJpeg(side, side, 3, rgb.data(), 90);
}

inline int GifWriteBytes(GifFileType* gif, const GifByteType* data, int n) {
  static_cast<Bytes*>(gif->UserData)->insert(static_cast<Bytes*>(gif->UserData)->end(), data, data + n);
  return n;
}

// A 16 x 16 GIF of red and blue stripes.
inline Bytes Gif() {
  Bytes out;
  int err = 0;
  GifFileType* gif = EGifOpen(&out, GifWriteBytes, &err);
  GifColorType colours[2] = {{255, 0, 0}, {0, 0, 255}};
  ColorMapObject* map = GifMakeMapObject(2, colours);
  EGifPutScreenDesc(gif, 16, 16, 1, 0, map);
  EGifPutImageDesc(gif, 0, 0, 16, 16, false, nullptr);
  for (int y = 0; y < 16; ++y) {
    std::vector<GifPixelType> row(16, static_cast<GifPixelType>(y / 4 % 2));
    EGifPutLine(gif, row.data(), 16);
  }
  EGifCloseFile(gif, &err);
  GifFreeMapObject(map);
  return out;
}

// A 16 x 16 icon file with one 32-bit bitmap entry, as favicon.ico files hold.
inline Bytes Ico(int seed) {
  const int side = 16;
  const std::vector<std::uint8_t> px = Pixels(side, seed);
  Bytes dib(40, 0);
  Le32(dib, 0, 40), Le32(dib, 4, side), Le32(dib, 8, side * 2), Le32(dib, 12, 1 | (32 << 16));
  for (int y = side - 1; y >= 0; --y)  // bottom-up, BGRA
    for (int x = 0; x < side; ++x) {
      const std::uint8_t* p = &px[(y * side + x) * 4];
      dib.insert(dib.end(), {p[2], p[1], p[0], p[3]});
    }
  dib.insert(dib.end(), static_cast<std::size_t>(side) * 4, 0);  // AND mask rows of 4 bytes: all shown
  Bytes ico = {0, 0, 1, 0, 1, 0};
  Bytes entry(16, 0);
  entry[0] = side, entry[1] = side, entry[4] = 1, entry[6] = 32;
  Le32(entry, 8, static_cast<std::uint32_t>(dib.size()));
  Le32(entry, 12, 22);
  ico.insert(ico.end(), entry.begin(), entry.end());
  ico.insert(ico.end(), dib.begin(), dib.end());
  return ico;
}

inline std::string DataUri(const char* type, const Bytes& b) {
  return std::string("data:") + type + ";base64," + edbtool::Base64Encode(b);
}

class BookmarksTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = MakeScratchDir("vk-bookmarks");
    ASSERT_FALSE(dir_.empty());
  }
  void TearDown() override { RemoveScratchDir(dir_); }

  std::string F(const std::string& name) const { return dir_ + "/" + name; }

  // `shell` prefixes the command (limits, traps), run by bash.
  Result Run(const std::vector<std::string>& args, const std::string& shell = "") {
    std::string cmd = shell + " exec " + Quote(EDBTOOL_EXE);
    for (const auto& a : args) cmd += " " + Quote(a);
    cmd += " >" + Quote(F("out")) + " 2>" + Quote(F("err"));
    const int status = std::system(("bash -c " + Quote(cmd)).c_str());
    Result r;
    r.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    r.out = Slurp(F("out"));
    r.err = Slurp(F("err"));
    return r;
  }

  // A favorites table named `name` in `run` (a run directory of its own), with the
  // shipped widths unless told otherwise.
  std::string MakeTable(const std::string& run, int nameWidth = 64, int addressWidth = 256,
                        std::int32_t numberType = kTypeInt) {
    fs::create_directories(F(run));
    const std::string path = F(run) + "/数据库.edb";
    const std::vector<FieldSpec> fields = {
        {GBK("网站名称"), kTypeText, nameWidth}, {GBK("网站图标"), kTypeText, 128},
        {GBK("网址"), kTypeText, addressWidth},  {GBK("帐号"), kTypeText, 64},
        {GBK("密码"), kTypeText, 64},            {GBK("分类"), numberType, 0},
        {GBK("点击声音"), kTypeText, 128},       {GBK("常用"), numberType, 0},
        {GBK("描述"), kTypeText, 256}};
    EXPECT_TRUE(CreateRecordFile(ProgramPath(path), fields)) << GbkToUtf8(RecordFileErrorText());
    return path;
  }

  void Fill(const std::string& table, const std::vector<Favorite>& favorites) {
    ASSERT_TRUE(OpenRecordFile(ProgramPath(table)));
    for (const Favorite& f : favorites)
      ASSERT_TRUE(AppendRecord({FieldValue(Utf8ToGbk(f.name)), FieldValue(Utf8ToGbk(f.icon)),
                                FieldValue(Utf8ToGbk(f.address)), FieldValue(Utf8ToGbk(f.account)),
                                FieldValue(Utf8ToGbk(f.password)), FieldValue(std::int32_t{f.category}),
                                FieldValue(Utf8ToGbk(f.sound)), FieldValue(std::int32_t{f.common}),
                                FieldValue(Utf8ToGbk(f.description))}));
    CloseRecordFile(ProgramPath(table));
  }

  // Every record through the engine, texts back in UTF-8; `raw` keeps the GBK names.
  std::vector<Favorite> Read(const std::string& table, std::vector<Text>* rawNames = nullptr) {
    std::vector<Favorite> out;
    EXPECT_TRUE(OpenRecordFile(ProgramPath(table)));
    const int n = RecordCount();
    FirstRecord();
    for (int i = 0; i < n; ++i) {
      Favorite f;
      f.name = GbkToUtf8(ReadTextField(1));
      if (rawNames) rawNames->push_back(ReadTextField(1));
      f.icon = GbkToUtf8(ReadTextField(2));
      f.address = GbkToUtf8(ReadTextField(3));
      f.account = GbkToUtf8(ReadTextField(4));
      f.password = GbkToUtf8(ReadTextField(5));
      f.category = ReadIntField(6);
      f.sound = GbkToUtf8(ReadTextField(7));
      f.common = ReadIntField(8);
      f.description = GbkToUtf8(ReadTextField(9));
      out.push_back(f);
      SkipRecords(1);
    }
    CloseRecordFile(ProgramPath(table));
    return out;
  }

  // The picture a stored icon path names, beside `table`.
  Image IconOf(const std::string& table, const std::string& iconPath) {
    return DecodePicture(ReadFileBytes(ProgramPath(fs::path(table).parent_path().string()) + Utf8ToGbk(iconPath)));
  }

  std::string dir_;
};

inline bool SamePixels(const Image& a, const Image& b) {
  return !a.empty() && !b.empty() && a.width == b.width && a.height == b.height &&
         a.frames[0].rgba == b.frames[0].rgba;
}

}  // namespace bookmarks_test
