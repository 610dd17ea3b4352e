#pragma once
// A run directory of the test's own, with favorites and settings tables made through
// the engine, and pictures and sounds written where the program looks for them.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "program/app_state.h"
#include "base/paths.h"
#include "base/text.h"
#include "storage/record_file.h"
#ifdef _WIN32
#include <process.h>

#include "base/wide_text.h"
#else
#include <unistd.h>
#endif

class FixtureRunDirectory {
 public:
  explicit FixtureRunDirectory(const std::string& name) {
#ifdef _WIN32
    const int pid = _getpid();
#else
    const int pid = getpid();
#endif
    std::string base = ::testing::TempDir() + "vk_" + name + "_" + std::to_string(pid);
    std::error_code ignored;
    std::filesystem::remove_all(base, ignored);
    std::filesystem::create_directories(base);
    host_ = base;
    SetRunDirectory(ProgramPath(host_));
  }
  ~FixtureRunDirectory() {
    std::error_code ignored;
    std::filesystem::remove_all(host_, ignored);
  }

  const std::string& host() const { return host_; }
  Text runDirectory() const { return ProgramPath(host_); }

  // The favorites table: fields 1-5 text, 6 number, 7 text, 8 number, 9 text.
  bool WriteFavorites(const std::vector<FavoriteRecord>& records, std::int32_t numberType = kTypeInt,
                      std::int32_t descriptionType = kTypeText) {
    const Text path = runDirectory() + GBK("\\数据库.edb");
    const std::vector<FieldSpec> fields = {
        {GBK("网站名称"), kTypeText, 120}, {GBK("网站图标"), kTypeText, 200},
        {GBK("网址"), kTypeText, 300},     {GBK("帐号"), kTypeText, 100},
        {GBK("密码"), kTypeText, 100},     {GBK("分类"), numberType, 0},
        {GBK("点击声音"), kTypeText, 200}, {GBK("常用"), numberType, 0},
        {GBK("描述"), descriptionType, descriptionType == kTypeText ? 300 : 0}};
    if (!CreateRecordFile(path, fields) || !OpenRecordFile(path)) return false;
    bool ok = true;
    for (const FavoriteRecord& r : records) {
      ok = ok && AppendBlankRecord() &&
           ModifyRecord({FieldValue(r.siteName), FieldValue(r.iconPath), FieldValue(r.address),
                         FieldValue(r.siteAccount), FieldValue(r.sitePassword), Number(numberType, r.category),
                         FieldValue(r.clickSound), Number(numberType, r.common), FieldValue(r.description)});
    }
    CloseRecordFile(path);
    return ok;
  }

  struct SettingsRow {
    Text password;
    FieldValue check;
    FieldValue sound;
  };
  // The settings table: field 1 text, fields 2 and 3 of the given numeric type.
  bool WriteSettings(const std::vector<SettingsRow>& rows, std::int32_t numberType = kTypeInt) {
    const Text path = runDirectory() + GBK("\\md5.edb");
    if (!CreateRecordFile(path, {{GBK("密码"), kTypeText, 40}, {GBK("验证"), numberType, 0},
                                 {GBK("声音"), numberType, 0}}) ||
        !OpenRecordFile(path))
      return false;
    bool ok = true;
    for (const SettingsRow& row : rows)
      ok = ok && AppendBlankRecord() && ModifyRecord({FieldValue(row.password), row.check, row.sound});
    CloseRecordFile(path);
    return ok;
  }
  bool WriteSettings(const Text& password, int check, int sound) {
    return WriteSettings({{password, FieldValue(check), FieldValue(sound)}});
  }

  // A file below the run directory; `relative` is a program path with a leading backslash.
  void WriteFile(const Text& relative, const Bytes& bytes) {
#ifdef _WIN32
    const std::filesystem::path path(WidePath(runDirectory() + relative));
#else
    const std::filesystem::path path(HostPath(runDirectory() + relative));
#endif
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  }

  static FieldValue Number(std::int32_t type, std::int32_t v) {
    switch (type) {
      case kTypeByte: return FieldValue::Byte(static_cast<std::uint8_t>(v));
      case kTypeShort: return FieldValue::Short(static_cast<std::int16_t>(v));
      case kTypeLong: return FieldValue::Long(v);
      case kTypeFloat: return FieldValue::Float(static_cast<float>(v));
      case kTypeDouble: return FieldValue::Double(v);
      default: return FieldValue::Int(v);
    }
  }

 private:
  std::string host_;
};

// An opaque 24-bit BMP of w x h pixels. Pictures are told apart by their bytes, not
// their names, so a BMP stands in for the skin's PNG, GIF and JPEG files.
inline Bytes SolidPicture(int w, int h, std::uint8_t shade = 0x80) {
  const int row = (w * 3 + 3) / 4 * 4;
  const std::uint32_t size = 54 + row * h;
  Bytes b(size, 0);
  auto put32 = [&b](size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
  };
  b[0] = 'B';
  b[1] = 'M';
  put32(2, size);
  put32(10, 54);
  put32(14, 40);
  put32(18, static_cast<std::uint32_t>(w));
  put32(22, static_cast<std::uint32_t>(h));
  b[26] = 1;
  b[28] = 24;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w * 3; ++x) b[54 + y * row + x] = shade;
  return b;
}

// Skin pictures of known sizes: category button k is 60 + 7k wide (so the widths
// differ), its lit picture 90 wide; page buttons 40 x 20; account 20 x 20 (lit 24 x
// 24); modify 20 x 16; the click-to-open picture 64 x 64.
inline void WriteSkin(FixtureRunDirectory& dir) {
  for (int k = 1; k <= 8; ++k) {
    dir.WriteFile(GBK("\\配置图片\\分类\\菜单") + NumberText(k) + "1.png", SolidPicture(60 + 7 * k, 30));
    dir.WriteFile(GBK("\\配置图片\\分类\\菜单") + NumberText(k) + "2.png", SolidPicture(90, 30, 0xF0));
  }
  for (int k = 1; k <= 4; ++k)
    dir.WriteFile(GBK("\\配置图片\\翻页\\ye") + NumberText(k) + "1.png", SolidPicture(40, 20));
  dir.WriteFile(GBK("\\配置图片\\帐号.gif"), SolidPicture(20, 20));
  dir.WriteFile(GBK("\\配置图片\\帐号查看.GIF"), SolidPicture(24, 24, 0xF0));
  dir.WriteFile(GBK("\\配置图片\\修改.jpg"), SolidPicture(20, 16));
  dir.WriteFile(GBK("\\网站图标\\点击打开.PNG"), SolidPicture(64, 64, 0xF0));
}

// The icon file of each favorite, `size` pixels square.
inline void WriteIcons(FixtureRunDirectory& dir, const std::vector<FavoriteRecord>& records, int size = 32) {
  for (const FavoriteRecord& r : records) dir.WriteFile(r.iconPath, SolidPicture(size, size));
}

// A favorite named `name` (GBK) with the usual members derived from it.
inline FavoriteRecord Favorite(const Text& name, int category, int common) {
  FavoriteRecord r;
  r.siteName = name;
  r.iconPath = "\\" + GBK("网站图标") + "\\" + name + ".png";
  r.address = "http://" + name + ".example/";
  r.siteAccount = "acct-" + name;
  r.sitePassword = "pw-" + name;
  r.category = category;
  r.common = common;
  r.clickSound = "\\" + GBK("声音") + "\\" + GBK("点击声音") + "\\" + name + ".wav";
  r.description = "about " + name;
  return r;
}
