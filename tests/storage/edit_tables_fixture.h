#pragma once
// Fixture run directories for the tests that write the two tables: a fresh directory
// under /tmp made the run directory, tables built through the engine's own creation
// helper, and the records read back through the engine.

#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "program/app_state.h"
#include "base/paths.h"
#include "base/text.h"
#include "storage/record_file.h"
#include "support/scratch_dir.h"

namespace edit_fixture {

// A favorite as it lies in the file, with its record id.
struct StoredFavorite {
  std::int32_t id = 0;
  FavoriteRecord record;
};

struct StoredSettings {
  Text password;
  std::int32_t passwordCheck = 0;
  std::int32_t soundOn = 0;
  std::int32_t extra = 0;  // a fourth field that no save may touch
};

inline FavoriteRecord Favorite(const char* nameUtf8, std::int32_t category = 0, std::int32_t common = 0) {
  FavoriteRecord r;
  r.siteName = Utf8ToGbk(nameUtf8);
  r.iconPath = GBK("\\网站图标\\a.png");
  r.address = Utf8ToGbk(std::string("http://127.0.0.1/") + nameUtf8);
  r.siteAccount = "acc";
  r.sitePassword = "pw";
  r.category = category;
  r.common = common;
  r.clickSound = GBK("\\声音\\点击声音\\a.wav");
  r.description = Utf8ToGbk(std::string("描述") + nameUtf8);
  return r;
}

class FixtureRunDir {
 public:
  FixtureRunDir() {
    host_ = MakeScratchDir("vk-edit");
    SetRunDirectory(ProgramPath(host_));
  }
  ~FixtureRunDir() {
    std::error_code ec;
    std::filesystem::remove_all(host_, ec);
    SetRunDirectory(Text());
  }
  FixtureRunDir(const FixtureRunDir&) = delete;
  FixtureRunDir& operator=(const FixtureRunDir&) = delete;

  const std::string& host() const { return host_; }
  Text program() const { return ProgramPath(host_); }
  Text Path(const char* tailUtf8) const { return program() + Utf8ToGbk(tailUtf8); }
  std::string HostOf(const char* tailUtf8) const { return HostPath(Path(tailUtf8)); }
  void MakeFolder(const char* tailUtf8) const { std::filesystem::create_directories(HostOf(tailUtf8)); }

 private:
  std::string host_;
};

// The favorites table with its nine fields; `categoryAsText` builds a broken table whose
// field 6 is a text, so that every write of the nine values is refused.
inline bool CreateFavoritesTable(const FixtureRunDir& dir, const std::vector<FavoriteRecord>& records,
                                 bool categoryAsText = false, std::int32_t width = 80) {
  const Text path = dir.Path("\\数据库.edb");
  std::vector<FieldSpec> fields = {
      {Utf8ToGbk("名称"), kTypeText, width}, {Utf8ToGbk("图标"), kTypeText, width},
      {Utf8ToGbk("网址"), kTypeText, width}, {Utf8ToGbk("帐号"), kTypeText, width},
      {Utf8ToGbk("密码"), kTypeText, width},
      categoryAsText ? FieldSpec{Utf8ToGbk("分类"), kTypeText, width} : FieldSpec{Utf8ToGbk("分类"), kTypeInt, 0},
      {Utf8ToGbk("声音"), kTypeText, width}, {Utf8ToGbk("常用"), kTypeInt, 0},
      {Utf8ToGbk("描述"), kTypeText, width}};
  if (!CreateRecordFile(path, fields)) return false;
  if (!OpenRecordFile(path)) return false;
  bool ok = true;
  for (const FavoriteRecord& r : records) {
    ok = ok && AppendBlankRecord();
    ok = ok && WriteField(1, r.siteName) && WriteField(2, r.iconPath) && WriteField(3, r.address) &&
         WriteField(4, r.siteAccount) && WriteField(5, r.sitePassword) &&
         (categoryAsText ? WriteField(6, Text("0")) : WriteField(6, r.category)) &&
         WriteField(7, r.clickSound) && WriteField(8, r.common) && WriteField(9, r.description);
  }
  CloseRecordFile(path);
  return ok;
}

// `runDirectory` is a program path: the favorites table below it, read through the engine.
inline std::vector<StoredFavorite> ReadFavoritesIn(const Text& runDirectory) {
  std::vector<StoredFavorite> out;
  const Text path = runDirectory + GBK("\\数据库.edb");
  if (!OpenRecordFile(path)) {
    ADD_FAILURE() << "favorites table does not open: " << GbkToUtf8(RecordFileErrorText());
    return out;
  }
  RecordFileDescription d;
  const bool categoryIsText = DescribeRecordFile(&d) && d.fields.size() >= 6 && d.fields[5].type == kTypeText;
  const int n = RecordCount();
  FirstRecord();
  for (int i = 0; i < n; ++i) {
    StoredFavorite s;
    s.id = CurrentRecordId();
    s.record.siteName = ReadTextField(1);
    s.record.iconPath = ReadTextField(2);
    s.record.address = ReadTextField(3);
    s.record.siteAccount = ReadTextField(4);
    s.record.sitePassword = ReadTextField(5);
    s.record.category = categoryIsText ? -1 : ReadIntField(6);
    s.record.clickSound = ReadTextField(7);
    s.record.common = ReadIntField(8);
    s.record.description = ReadTextField(9);
    out.push_back(s);
    SkipRecords(1);
  }
  CloseRecordFile(path);
  return out;
}

inline std::vector<StoredFavorite> ReadFavorites(const FixtureRunDir& dir) { return ReadFavoritesIn(dir.program()); }

inline std::int32_t NextRecordId(const Text& path) {
  RecordFileDescription d;
  if (!OpenRecordFile(path)) return 0;
  const bool ok = DescribeRecordFile(&d);
  CloseRecordFile(path);
  return ok ? d.nextRecordId : 0;
}

// The settings table: password, check switch, sound switch, and a fourth field.
inline bool CreateSettingsTable(const FixtureRunDir& dir, const std::vector<StoredSettings>& records,
                                std::int32_t passwordWidth = 40) {
  const Text path = dir.Path("\\md5.edb");
  std::vector<FieldSpec> fields = {{Utf8ToGbk("密码"), kTypeText, passwordWidth},
                                   {Utf8ToGbk("验证"), kTypeInt, 0},
                                   {Utf8ToGbk("声音"), kTypeInt, 0},
                                   {Utf8ToGbk("备用"), kTypeInt, 0}};
  if (!CreateRecordFile(path, fields)) return false;
  if (!OpenRecordFile(path)) return false;
  bool ok = true;
  for (const StoredSettings& s : records)
    ok = ok && AppendBlankRecord() && WriteField(1, s.password) && WriteField(2, s.passwordCheck) &&
         WriteField(3, s.soundOn) && WriteField(4, s.extra);
  CloseRecordFile(path);
  return ok;
}

inline std::vector<StoredSettings> ReadSettingsIn(const Text& runDirectory) {
  std::vector<StoredSettings> out;
  const Text path = runDirectory + GBK("\\md5.edb");
  if (!OpenRecordFile(path)) {
    ADD_FAILURE() << "settings table does not open: " << GbkToUtf8(RecordFileErrorText());
    return out;
  }
  RecordFileDescription d;
  const bool hasExtra = DescribeRecordFile(&d) && d.fields.size() >= 4;
  const int n = RecordCount();
  FirstRecord();
  for (int i = 0; i < n; ++i) {
    out.push_back({ReadTextField(1), ReadIntField(2), ReadIntField(3), hasExtra ? ReadIntField(4) : 0});
    SkipRecords(1);
  }
  CloseRecordFile(path);
  return out;
}

inline std::vector<StoredSettings> ReadSettings(const FixtureRunDir& dir) { return ReadSettingsIn(dir.program()); }

inline bool SameFavorite(const FavoriteRecord& a, const FavoriteRecord& b) {
  return a.siteName == b.siteName && a.iconPath == b.iconPath && a.address == b.address &&
         a.siteAccount == b.siteAccount && a.sitePassword == b.sitePassword && a.category == b.category &&
         a.common == b.common && a.clickSound == b.clickSound && a.description == b.description;
}

inline std::string FileBytes(const std::string& hostPath) {
  Bytes b = ReadFileBytes(ProgramPath(hostPath));
  return std::string(b.begin(), b.end());
}

}  // namespace edit_fixture
