#include "favorites_layout.h"

#include <filesystem>
#include <limits>

#include "base/paths.h"

namespace edbtool {

const std::string& CommonListName() {
  static const std::string name = "常用";
  return name;
}

const std::vector<std::string>& CategoryNames() {
  static const std::vector<std::string> names = {"学习", "论坛", "资源", "影音", "购物", "游戏", "手机"};
  return names;
}

const std::vector<std::vector<std::string>>& CategoryFolderNames() {
  static const std::vector<std::vector<std::string>> names = {
      {"学习", "study", "learning", "education", "tutorials", "docs", "教程"},
      {"论坛", "forum", "forums", "community", "bbs", "社区"},
      {"资源", "resources", "downloads", "tools", "下载", "工具"},
      {"影音", "video", "music", "movies", "视频", "音乐", "电影"},
      {"购物", "shopping", "shop", "商城"},
      {"游戏", "games", "gaming"},
      {"手机", "mobile", "phone", "apps", "应用"}};
  return names;
}

int CategoryOfName(const std::string& utf8) {
  std::string lower;  // folder names are matched whatever their letter case
  for (char c : utf8) lower += c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
  const auto& table = CategoryFolderNames();
  for (std::size_t i = 0; i < table.size(); ++i)
    for (const std::string& name : table[i])
      if (name == lower) return static_cast<int>(i);
  return -1;
}

std::size_t FavoritesLayout::Capacity(int field) const {
  const FieldDescription& f = fields[static_cast<std::size_t>(field - 1)];
  if (f.type == kTypeMemo) return std::numeric_limits<std::size_t>::max();
  return f.width > 0 ? static_cast<std::size_t>(f.width) : 0;
}

FieldValue FavoritesLayout::Number(int field, std::int32_t v) const {
  switch (fields[static_cast<std::size_t>(field - 1)].type) {
    case kTypeByte: return FieldValue::Byte(static_cast<std::uint8_t>(v));
    case kTypeShort: return FieldValue::Short(static_cast<std::int16_t>(v));
    case kTypeLong: return FieldValue::Long(v);
    case kTypeFloat: return FieldValue::Float(static_cast<float>(v));
    case kTypeDouble: return FieldValue::Double(v);
    default: return FieldValue::Int(v);
  }
}

bool ReadFavoritesLayout(FavoritesLayout* out, std::string* error) {
  RecordFileDescription d;
  if (!DescribeRecordFile(&d)) {
    *error = "cannot read the table's header";
    return false;
  }
  if (d.fields.size() != 9) {
    *error = "not a favorites table: it has " + std::to_string(d.fields.size()) + " fields, not 9";
    return false;
  }
  for (const FieldDescription& f : d.fields) {
    const bool number = f.number == kCategory || f.number == kCommon;
    const bool ok = number ? f.type >= kTypeByte && f.type <= kTypeDouble
                           : f.type == kTypeMemo || (f.type == kTypeText && f.width > 0);
    if (!ok) {
      *error = "not a favorites table: field " + std::to_string(f.number) + " is of type " +
               std::to_string(f.type) + (number ? ", not a number" : ", not a text");
      return false;
    }
  }
  out->fields = d.fields;
  return true;
}

Text CutGbk(const Text& gbk, std::size_t width) {
  std::size_t end = 0;
  while (end < gbk.size()) {
    const auto b = static_cast<unsigned char>(gbk[end]);
    const std::size_t len = b >= 0x81 && b <= 0xFE && end + 1 < gbk.size() ? 2 : 1;
    if (end + len > width) break;
    end += len;
  }
  return gbk.substr(0, end);
}

Text RunDirectoryOfTable(const std::string& tableHostPath) {
  std::filesystem::path p(std::u8string(tableHostPath.begin(), tableHostPath.end()));
  p = std::filesystem::absolute(p).parent_path();
  const std::u8string dir = p.generic_u8string();
  return ProgramPathFromUtf8(std::string(dir.begin(), dir.end()));
}

const Text& DefaultIconPath() { return GBK("\\网站图标\\默认.png"); }
const Text& DefaultClickSoundPath() { return GBK("\\声音\\点击声音\\叮.wav"); }
const Text& IconFolder() { return GBK("\\网站图标\\"); }

}  // namespace edbtool
