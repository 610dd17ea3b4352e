#include "bookmarks_import.h"

#include <map>
#include <set>
#include <vector>

#include "base/address_rule.h"
#include "base/paths.h"
#include "base/text.h"
#include "bookmarks_charset.h"
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
enum class Skip { kEmpty, kBookmarklet, kData, kPlace, kNotWeb, kRefused, kNotGbk, kTooLong, kInTable, kRepeated, kNone };

const char* SkipText(Skip s) {
  switch (s) {
    case Skip::kEmpty: return "empty address";
    case Skip::kBookmarklet: return "bookmarklet (javascript:)";
    case Skip::kData: return "data: address";
    case Skip::kPlace: return "place: address (a browser's own query)";
    case Skip::kNotWeb: return "not a web address";
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
    // Read as the file says it is written; a file that says nothing is UTF-8.
    const std::string declared = DeclaredCharset(text);
    const std::string charset = declared.empty() ? std::string("UTF-8") : IconvName(declared);
    if (charset.empty())
      return Fail(o_.file + ": it is written in the character set " + declared +
                  ", which this program does not read; nothing was imported");
    Utf8Text utf8;
    if (!ToUtf8(text, charset, &utf8, &error)) return Fail(o_.file + ": " + error + "; nothing was imported");
    text.clear();
    ParsedBookmarks parsed;
    if (!ParseBookmarksHtml(utf8.text, &parsed, &error)) return Fail(o_.file + ": " + error + "; nothing was imported");
    utf8.text.clear();
    charset_ = declared.empty() ? charset : declared;
    invalidBytes_ = utf8.invalidBytes;

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
      plan.push_back(Plan(b, parsed));
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
    Summary(count);
    return 0;
  }

  // Where the favorites went, and what the code page and the file's bytes cost.
  void Summary(int count) {
    out_ << "by category:";
    const auto& names = CategoryNames();
    for (std::size_t c = 0; c < names.size(); ++c) out_ << " " << names[c] << " " << perCategory_[static_cast<int>(c)];
    int other = 0;
    for (const auto& [c, n] : perCategory_)
      if (c < 0 || c >= static_cast<int>(names.size())) other += n;
    if (other) out_ << ", other " << other;
    out_ << "\n" << common_ << " of " << count << " marked common\n";
    if (changedNames_) {
      out_ << changedNames_ << " name" << (changedNames_ == 1 ? "" : "s")
           << " changed by the code page: characters GBK lacks stored as '?', in";
      for (const std::string& n : changedExamples_) out_ << " \"" << n << "\"";
      out_ << (changedNames_ > static_cast<int>(changedExamples_.size()) ? " ...\n" : "\n");
    }
    if (invalidBytes_)
      out_ << invalidBytes_ << " byte" << (invalidBytes_ == 1 ? " is" : "s are") << " not valid " << charset_
           << " in the file: the characters they stood for are lost\n";
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
    // file:, chrome:, relative addresses: never a site the board can open without asking.
    if (kind == AddressKind::kAskFirst && !o_.keepLocal) return Skip::kNotWeb;
    // The address is stored as it is or not at all: a changed one would open another page.
    const Text gbk = Utf8ToGbk(href);
    if (GbkToUtf8(gbk) != href) return Skip::kNotGbk;
    if (gbk.size() > layout_.Capacity(kAddress)) return Skip::kTooLong;
    if (tableAddresses_.count(gbk)) return Skip::kInTable;
    if (seen_.count(gbk)) return Skip::kRepeated;
    return Skip::kNone;
  }

  // A text for a field: cut at its width, then without the spaces the cut left at its end,
  // so that the same text read back from an exported file fits the same way. Counted
  // when the code page changed it.
  Text FieldText(const std::string& utf8, std::size_t width, const std::string& name) {
    const Text gbk = Utf8ToGbk(utf8);
    if (GbkToUtf8(gbk) != utf8 && (changedExamples_.empty() || changedExamples_.back() != name)) {
      if (changedNames_++ < 3) changedExamples_.push_back(name);
    }
    Text cut = CutGbk(gbk, width);
    while (!cut.empty() && cut.back() == ' ') cut.pop_back();
    return cut;
  }

  // The link's own tags first, then its folders, the nearest first: the first that names
  // a category gives it.
  int CategoryOf(const Bookmark& b, const ParsedBookmarks& parsed) const {
    for (std::size_t at = 0; at <= b.tags.size();) {
      std::size_t comma = b.tags.find(',', at);
      if (comma == std::string::npos) comma = b.tags.size();
      std::string tag = b.tags.substr(at, comma - at);
      while (!tag.empty() && tag.back() == ' ') tag.pop_back();
      const int c = CategoryOfName(tag.substr(std::min(tag.size(), tag.find_first_not_of(' '))));
      if (c >= 0) return c;
      at = comma + 1;
    }
    for (const BookmarkFolder* f : parsed.FoldersOf(b)) {
      const int c = CategoryOfName(f->name);
      if (c >= 0) return c;
    }
    return o_.category;
  }

  Planned Plan(const Bookmark& b, const ParsedBookmarks& parsed) {
    Planned p;
    const Text address = Utf8ToGbk(b.href);
    // A link without text would make a tile without a name: its address names it.
    const std::string& title = b.title.empty() ? b.href : b.title;
    const Text name = FieldText(title, layout_.Capacity(kSiteName), title);
    const Text description = FieldText(b.description, layout_.Capacity(kDescription), title);

    const int category = CategoryOf(b, parsed);
    // The links on the toolbar itself are the ones a user keeps at hand; its subfolders
    // are folders like any other.
    const bool common = o_.common || (b.folder >= 0 && parsed.folders[static_cast<std::size_t>(b.folder)].toolbar);
    ++perCategory_[category];
    if (common) ++common_;

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
                FieldValue(description)};
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
  std::string charset_;
  int invalidBytes_ = 0;
  std::map<int, int> perCategory_;
  int common_ = 0;
  int changedNames_ = 0;
  std::vector<std::string> changedExamples_;
};

}  // namespace

int ImportBookmarks(const ImportOptions& options, std::ostream& out, std::ostream& err) {
  return Importer(options, out, err).Run();
}

}  // namespace edbtool
