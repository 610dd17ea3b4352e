// The two sample tables, written through the record-file engine so that they follow
// its layout exactly. Texts and paths inside them are GBK with backslashes, the form
// the program joins to its run directory.

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "base/paths.h"
#include "base/text.h"
#include "rungen.h"
#include "storage/record_file.h"

namespace {

constexpr int kNameWidth = 64;
constexpr int kPathWidth = 128;
constexpr int kAddressWidth = 256;
constexpr int kAccountWidth = 64;
constexpr int kDescriptionWidth = 256;
constexpr int kSettingsPasswordWidth = 64;

[[noreturn]] void Fail(const char* what, const Text& path) {
  std::fprintf(stderr, "rungen: %s %s: %s\n", what, GbkToUtf8(path).c_str(),
               GbkToUtf8(RecordFileErrorText()).c_str());
  std::exit(1);
}

// GBK of a sample text; refuses one that would be cut by its field.
Text Field(const std::string& utf8, int width) {
  Text gbk = Utf8ToGbk(utf8);
  if (gbk.size() >= static_cast<size_t>(width) || GbkToUtf8(gbk) != utf8) {
    std::fprintf(stderr, "rungen: sample text does not fit its field: %s\n", utf8.c_str());
    std::exit(1);
  }
  return gbk;
}

// A new table, readable by its owner only, since both tables keep passwords as plain
// text. A table that is already there holds someone's favorites or password: it is
// kept as it is, and false says so.
bool Create(const Output& out, const std::string& name, const Text& path,
            const std::vector<FieldSpec>& fields) {
  struct stat st;
  if (lstat(out.Host(name).c_str(), &st) == 0) {
    std::fprintf(stderr, "rungen: keeping the existing %s\n", out.Host(name).c_str());
    return false;
  }
  mode_t old = umask(077);
  bool ok = CreateRecordFile(path, fields);
  umask(old);
  if (!ok) Fail("cannot create", path);
  if (chmod(out.Host(name).c_str(), 0600) != 0) Fail("cannot restrict", path);
  return true;
}

void FillFavorites(const Text& favorites, const std::vector<Site>& sites) {
  if (!OpenRecordFile(favorites)) Fail("cannot open", favorites);
  for (const Site& s : sites) {
    if (!AppendBlankRecord()) Fail("cannot append to", favorites);
    std::vector<OptionalFieldValue> values = {
        FieldValue(Field(s.name, kNameWidth)),
        FieldValue(Field("\\网站图标\\" + s.file, kPathWidth)),
        FieldValue(Field(s.address, kAddressWidth)),
        FieldValue(Field(s.account, kAccountWidth)),
        FieldValue(Field(s.password, kAccountWidth)),
        FieldValue(std::int32_t{s.category}),
        FieldValue(Field("\\声音\\点击声音\\" + s.sound, kPathWidth)),
        FieldValue(std::int32_t{s.common}),
        FieldValue(Field(s.description, kDescriptionWidth)),
    };
    if (!ModifyRecord(values)) Fail("cannot write to", favorites);
  }
  CloseRecordFile(favorites);
}

// No password, no password check, sounds on: the program opens without a prompt and
// the user sets a password in the settings window.
void FillSettings(const Text& settings) {
  if (!OpenRecordFile(settings)) Fail("cannot open", settings);
  if (!AppendBlankRecord()) Fail("cannot append to", settings);
  if (!ModifyRecord({FieldValue(Text()), FieldValue(std::int32_t{0}), FieldValue(std::int32_t{1})}))
    Fail("cannot write to", settings);
  CloseRecordFile(settings);
}

}  // namespace

void WriteTables(const Output& out, const std::vector<Site>& sites) {
  const Text dir = ProgramPath(std::filesystem::absolute(out.root()).lexically_normal().string());

  const Text favorites = dir + GBK("\\数据库.edb");
  if (Create(out, "数据库.edb", favorites,
             {{GBK("网站名称"), kTypeText, kNameWidth},
              {GBK("网站图标"), kTypeText, kPathWidth},
              {GBK("网址"), kTypeText, kAddressWidth},
              {GBK("帐号"), kTypeText, kAccountWidth},
              {GBK("密码"), kTypeText, kAccountWidth},
              {GBK("分类"), kTypeInt, 0},
              {GBK("点击声音"), kTypeText, kPathWidth},
              {GBK("常用"), kTypeInt, 0},
              {GBK("描述"), kTypeText, kDescriptionWidth}}))
    FillFavorites(favorites, sites);

  const Text settings = dir + GBK("\\md5.edb");
  if (Create(out, "md5.edb", settings,
             {{GBK("密码"), kTypeText, kSettingsPasswordWidth},
              {GBK("密码验证"), kTypeInt, 0},
              {GBK("声音"), kTypeInt, 0}}))
    FillSettings(settings);
}
