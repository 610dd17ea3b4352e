#include "bookmarks_import.h"

#include <map>
#include <set>
#include <vector>

#include "base/address_rule.h"
#include "base/paths.h"
#include "base/text.h"
#include "bookmarks_html.h"
#include "data_uri.h"
#include "favorites_layout.h"
#include "host_files.h"
#include "png_encode.h"
#include "site_icon.h"
#include "storage/record_file.h"

namespace edbtool {

namespace {

namespace fs = std::filesystem;

// Why a link does not become a favorite, in the order the summary lists them; kNone: it does.
// kRefused: the program would never open it, counted by the address rule's reason.
enum class Skip { kEmpty, kBookmarklet, kData, kPlace, kRefused, kNotGbk, kTooLong, kInTable, kRepeated, kNone };

const char* SkipText(Skip s) {
  switch (s) {
    case Skip::kEmpty: return "empty address";
    case Skip::kBookmarklet: return "bookmarklet (javascript:)";
    case Skip::kData: return "data: address";
    case Skip::kPlace: return "place: address (a browser's own query)";
    case Skip::kRefused: return "address the program refuses to open: ";
    case Skip::kNotGbk: return "address with characters the table cannot hold";
    case Skip::kTooLong: return "address longer than the table's address field";
    case Skip::kInTable: return "address already in the table";
    case Skip::kRepeated: return "address repeated in the file";
    case Skip::kNone: break;
  }
  return "";
}

bool HasScheme(const std::string& address, const char* scheme) {
  std::size_t i = 0;
  for (; scheme[i]; ++i) {
    if (i >= address.size()) return false;
    char c = address[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != scheme[i]) return false;
  }
  return true;
}

// One favorite ready to write, with the icon file it brings.
struct Planned {
  std::vector<OptionalFieldValue> values;
  std::string iconFile;  // a new file under the icon folder, empty for the default icon
  Bytes iconBytes;
};

class Importer {
 public:
  Importer(const ImportOptions& o, std::ostream& out, std::ostream& err) : o_(o), out_(out), err_(err) {}

  int Run() {
    std::string text, error;
    if (!ReadWholeFile(o_.file, kMaxBookmarksFileBytes, &text, &error))
      return Fail(error + "; nothing was imported");
    ParsedBookmarks parsed;
    if (!ParseBookmarksHtml(text, &parsed, &error)) return Fail(o_.file + ": " + error + "; nothing was imported");
    text.clear();

    const Text tablePath = ProgramPathFromUtf8(o_.table);
    if (!OpenRecordFile(tablePath)) return EngineFail("open " + o_.table, -1);
    const int code = ImportInto(parsed);
    CloseRecordFile(tablePath);
    return code;
  }

 private:
  int Fail(const std::string& why) {
    err_ << "edbtool: import-bookmarks: " << why << "\n";
    return 1;
  }
  int EngineFail(const std::string& what, int written) {
    err_ << "edbtool: import-bookmarks: " << what << " failed: error " << RecordFileLastError() << ": "
         << GbkToUtf8(RecordFileErrorText()) << "\n";
    if (written >= 0)
      err_ << "edbtool: import-bookmarks: " << written << " favorite" << (written == 1 ? " was" : "s were")
           << " written before it, each whole; the rest were not\n";
    return 1;
  }

  int ImportInto(const ParsedBookmarks& parsed) {
    std::string error;
    if (!ReadFavoritesLayout(&layout_, &error)) return Fail(o_.table + ": " + error + "; nothing was imported");
    if (!ReadAddresses()) return EngineFail("reading the table", -1);

    iconDir_ = HostFsPath(o_.table).parent_path() / u8"网站图标";
    iconNames_.taken = LowerCaseNames(iconDir_);

    std::vector<Planned> plan;
    std::map<Skip, int> skipped;
    std::map<std::string, int> refused;
    for (const Bookmark& b : parsed.links) {
      Skip why = Check(b.href);
      if (why == Skip::kRefused) {
        ++refused[JudgeAddress(b.href).reason];
        continue;
      }
      if (why != Skip::kNone) {
        ++skipped[why];
        if (why == Skip::kTooLong || why == Skip::kNotGbk) out_ << "skipped (" << SkipText(why) << "): " << b.href << "\n";
        continue;
      }
      seen_.insert(Utf8ToGbk(b.href));
      if (JudgeAddress(b.href).kind == AddressKind::kAskFirst) ++askFirst_;
      plan.push_back(Plan(b, parsed.FoldersOf(b)));
    }

    int written = 0, ownIcons = 0;
    std::vector<std::vector<OptionalFieldValue>> rows;
    for (const Planned& p : plan) {
      if (!p.iconFile.empty()) ++ownIcons;
      if (o_.dryRun) continue;
      if (!WriteIcon(p)) {
        std::error_code ignored;  // no half-written icon stays behind
        if (!p.iconFile.empty()) fs::remove(iconDir_ / p.iconFile, ignored);
        err_ << "edbtool: import-bookmarks: " << error_ << "\n"
             << "edbtool: import-bookmarks: " << written << " favorite" << (written == 1 ? " was" : "s were")
             << " written before it, each whole; the rest were not\n";
        return 1;
      }
      rows.push_back(p.values);
    }
    // Every favorite in one step: all of them, or none.
    if (!o_.dryRun && !AppendRecords(rows)) {
      std::error_code ignored;
      for (const Planned& p : plan)
        if (!p.iconFile.empty()) fs::remove(iconDir_ / p.iconFile, ignored);
      return EngineFail("writing the favorites", written);
    }

    const int count = static_cast<int>(plan.size());
    out_ << (o_.dryRun ? "would import " : "imported ") << count << " favorite" << (count == 1 ? "" : "s") << " ("
         << ownIcons << " with their own icon, " << count - ownIcons << " with the default icon) from "
         << parsed.links.size() << " link" << (parsed.links.size() == 1 ? "" : "s") << "\n";
    for (const auto& [why, n] : skipped) out_ << "skipped " << n << ": " << SkipText(why) << "\n";
    for (const auto& [why, n] : refused) out_ << "skipped " << n << ": " << SkipText(Skip::kRefused) << why << "\n";
    if (askFirst_) out_ << askFirst_ << " of them not web addresses: the program asks before it opens those\n";
    return 0;
  }

  bool ReadAddresses() {
    const int n = RecordCount();
    if (RecordFileLastError() != 0) return false;
    FirstRecord();
    for (int i = 0; i < n; ++i) {
      tableAddresses_.insert(ReadTextField(kAddress));
      if (RecordFileLastError() != 0 || !SkipRecords(1)) return false;
    }
    return true;
  }

  Skip Check(const std::string& href) {
    if (href.empty()) return Skip::kEmpty;
    if (HasScheme(href, "javascript:")) return Skip::kBookmarklet;
    if (HasScheme(href, "data:")) return Skip::kData;
    if (HasScheme(href, "place:")) return Skip::kPlace;
    const AddressKind kind = JudgeAddress(href).kind;
    if (kind == AddressKind::kRefused) return Skip::kRefused;
    // The address is stored as it is or not at all: a changed one would open another page.
    const Text gbk = Utf8ToGbk(href);
    if (GbkToUtf8(gbk) != href) return Skip::kNotGbk;
    if (gbk.size() > layout_.Capacity(kAddress)) return Skip::kTooLong;
    if (tableAddresses_.count(gbk)) return Skip::kInTable;
    if (seen_.count(gbk)) return Skip::kRepeated;
    return Skip::kNone;
  }

  Planned Plan(const Bookmark& b, const std::vector<const BookmarkFolder*>& folders) {
    Planned p;
    const Text address = Utf8ToGbk(b.href);
    // A link without text would make a tile without a name: its address names it.
    const Text name = CutGbk(Utf8ToGbk(b.title.empty() ? b.href : b.title), layout_.Capacity(kSiteName));

    int category = o_.category;
    bool common = o_.common;
    bool named = false;
    for (const BookmarkFolder* f : folders) {  // the nearest folder first
      const int c = CategoryOfName(f->name);
      if (!named && c >= 0) category = c, named = true;
      common = common || f->toolbar;
    }

    Text iconPath = DefaultIconPath();
    Bytes bytes;
    if (DecodeDataUri(b.icon, &bytes)) {
      const std::string ext = UsableIconExtension(bytes);
      const std::size_t room = layout_.Capacity(kIconPath) - std::min(layout_.Capacity(kIconPath), IconFolder().size());
      std::string file = ext.empty() ? std::string() : IconFileName(b.href, ext, room, &iconNames_);
      if (!file.empty()) {
        iconPath = IconFolder() + file;
        p.iconFile = file;
        p.iconBytes = std::move(bytes);
      }
    }
    if (p.iconFile.empty()) needDefaultIcon_ = true;
    if (iconPath.size() > layout_.Capacity(kIconPath)) iconPath.clear();
    Text sound = DefaultClickSoundPath();
    if (sound.size() > layout_.Capacity(kClickSound)) sound.clear();

    p.values = {FieldValue(name),
                FieldValue(iconPath),
                FieldValue(address),
                FieldValue(Text()),
                FieldValue(Text()),
                layout_.Number(kCategory, category),
                FieldValue(sound),
                layout_.Number(kCommon, common ? 1 : 0),
                FieldValue(CutGbk(Utf8ToGbk(b.description), layout_.Capacity(kDescription)))};
    return p;
  }

  // The favorite's own icon, or the default icon when it is the first to need it and the
  // run directory has none. Icons are not flushed one by one: thousands of flushes would
  // cost minutes, and a lost icon only shows as none.
  bool WriteIcon(const Planned& p) {
    std::error_code ec;
    fs::create_directories(iconDir_, ec);
    if (!p.iconFile.empty())
      return WriteWholeFile(iconDir_ / p.iconFile, std::string(p.iconBytes.begin(), p.iconBytes.end()), &error_, false);
    if (!needDefaultIcon_) return true;
    needDefaultIcon_ = false;
    // A link that leads to no file is no icon: it is replaced, never written through.
    const fs::file_status there = fs::symlink_status(iconDir_ / u8"默认.png", ec);
    if (fs::exists(there) && (!fs::is_symlink(there) || fs::is_regular_file(iconDir_ / u8"默认.png", ec))) return true;
    const Bytes png = DefaultIconPng();
    return WriteWholeFile(iconDir_ / u8"默认.png", std::string(png.begin(), png.end()), &error_);
  }

  const ImportOptions& o_;
  std::ostream& out_;
  std::ostream& err_;
  FavoritesLayout layout_;
  std::set<Text> tableAddresses_, seen_;
  fs::path iconDir_;
  IconNames iconNames_;
  bool needDefaultIcon_ = false;
  int askFirst_ = 0;
  std::string error_;
};

}  // namespace

int ImportBookmarks(const ImportOptions& options, std::ostream& out, std::ostream& err) {
  return Importer(options, out, err).Run();
}

}  // namespace edbtool
