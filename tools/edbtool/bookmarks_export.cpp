#include "bookmarks_export.h"

#include <map>
#include <vector>

#include "base/paths.h"
#include "base/run_path_rule.h"
#include "base/text.h"
#include "bookmarks_html.h"
#include "data_uri.h"
#include "favorites_layout.h"
#include "favorites_read.h"
#include "host_files.h"
#include "png_encode.h"
#include "storage/record_file.h"
#include "ui/image.h"

namespace edbtool {

namespace {

// The icon of a favorite as a PNG data URI; empty when its file is missing or unreadable.
std::string IconUri(const Text& runDirectory, const Text& iconPath) {
  if (iconPath.empty()) return {};
  const Image image = DecodePicture(ReadFileBytes(runDirectory + iconPath));
  if (image.empty()) return {};
  const Bytes png = EncodePng(image.width, image.height, image.frames[0].rgba.data());
  return png.empty() ? std::string() : "data:image/png;base64," + Base64Encode(png);
}

class Writer {
 public:
  explicit Writer(const Text& runDirectory) : runDirectory_(runDirectory) {}

  void Open(int depth, const std::string& folder, bool toolbar) {
    html_ += Indent(depth) + "<DT><H3" + (toolbar ? " PERSONAL_TOOLBAR_FOLDER=\"true\"" : "") + ">" +
             EscapeHtml(folder) + "</H3>\n" + Indent(depth) + "<DL><p>\n";
  }
  void Close(int depth) { html_ += Indent(depth) + "</DL><p>\n"; }

  void Link(int depth, const StoredFavorite& f, bool tagged = false) {
    // A file meant for sharing carries no picture from outside the run directory.
    const bool inside = IsInsideRunDirectory(f.iconPath);
    if (!inside && !f.iconPath.empty()) ++outsideIcons_;
    auto cached = icons_.find(f.iconPath);
    if (cached == icons_.end())
      cached = icons_.emplace(f.iconPath, inside ? IconUri(runDirectory_, f.iconPath) : std::string()).first;
    html_ += Indent(depth) + "<DT><A HREF=\"" + EscapeHtml(GbkToUtf8(f.address)) + "\"";
    // On the toolbar a favorite stands outside its category's folder: a tag keeps it.
    const auto& names = CategoryNames();
    if (tagged && f.category >= 0 && f.category < static_cast<int>(names.size()))
      html_ += " TAGS=\"" + EscapeHtml(names[static_cast<std::size_t>(f.category)]) + "\"";
    if (!cached->second.empty()) {
      html_ += " ICON=\"" + cached->second + "\"";
      ++withIcons_;
    }
    html_ += ">" + EscapeHtml(GbkToUtf8(f.siteName)) + "</A>\n";
    if (!f.description.empty()) html_ += Indent(depth) + "<DD>" + EscapeHtml(GbkToUtf8(f.description)) + "\n";
  }

  // The favorites of one part (common or not), a folder per category in the bar's order;
  // those of no category stand last, outside any folder.
  void Part(int depth, const std::vector<const StoredFavorite*>& part) {
    const auto& names = CategoryNames();
    for (int c = 0; c < static_cast<int>(names.size()); ++c) {
      bool opened = false;
      for (const StoredFavorite* f : part) {
        if (f->category != c) continue;
        if (!opened) Open(depth, names[static_cast<std::size_t>(c)], false);
        opened = true;
        Link(depth + 1, *f);
      }
      if (opened) Close(depth);
    }
    for (const StoredFavorite* f : part)
      if (f->category < 0 || f->category >= static_cast<int>(names.size())) Link(depth, *f);
  }

  std::string& html() { return html_; }
  int withIcons() const { return withIcons_; }
  int outsideIcons() const { return outsideIcons_; }

 private:
  static std::string Indent(int depth) { return std::string(static_cast<std::size_t>(depth) * 4, ' '); }

  Text runDirectory_;
  std::string html_;
  std::map<Text, std::string> icons_;
  int withIcons_ = 0;
  int outsideIcons_ = 0;
};

}  // namespace

int ExportBookmarks(const std::string& table, const std::string& file, std::ostream& out, std::ostream& err) {
  std::vector<StoredFavorite> favorites;
  if (!ReadFavoritesTable(table, "export-bookmarks", &favorites, err)) return 1;

  std::vector<const StoredFavorite*> common, others;
  for (const StoredFavorite& f : favorites) (f.common == 1 ? common : others).push_back(&f);

  Writer w(RunDirectoryOfTable(table));
  w.html() =
      "<!DOCTYPE NETSCAPE-Bookmark-file-1>\n"
      "<!-- This is an automatically generated file.\n"
      "     It will be read and overwritten.\n"
      "     DO NOT EDIT! -->\n"
      "<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=UTF-8\">\n"
      "<TITLE>Bookmarks</TITLE>\n"
      "<H1>Bookmarks</H1>\n"
      "<DL><p>\n";
  // The common favorites stand on the toolbar itself, as a browser shows its bar.
  w.Open(1, CommonListName(), true);
  for (const StoredFavorite* f : common) w.Link(2, *f, true);
  w.Close(1);
  w.Part(1, others);
  w.html() += "</DL><p>\n";

  std::string error;
  if (!WriteWholeFile(HostFsPath(file), w.html(), &error)) {
    err << "edbtool: export-bookmarks: " << error << "\n";
    return 1;
  }
  out << "exported " << favorites.size() << " favorite" << (favorites.size() == 1 ? "" : "s") << " ("
      << common.size() << " common, " << w.withIcons() << " with icons) to " << file << "\n";
  if (w.outsideIcons())
    out << w.outsideIcons() << " favorite" << (w.outsideIcons() == 1 ? "'s icon path leaves" : "s' icon paths leave")
        << " the program's folder: exported without an icon\n";
  return 0;
}

}  // namespace edbtool
