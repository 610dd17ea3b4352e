#pragma once
// The bookmarks file browsers export (Firefox, Chrome, Edge, Safari): loose HTML of nested
// <DL> lists, <DT><H3> folders, <DT><A HREF ICON> links and <DD> descriptions. The reader
// is tolerant of what these files really hold (unclosed <DT>, <p> and <A>, any letter
// case, entities, CRLF, a BOM) and refuses what is not such a file, with a reason.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace edbtool {

// Larger files are refused before they are read whole: tens of thousands of bookmarks
// with their icons stay far below it.
constexpr std::size_t kMaxBookmarksFileBytes = 32u * 1024 * 1024;

// Folders nested deeper than this are refused: browsers nest a few levels, and a link's
// folders are looked through one by one.
constexpr int kMaxFolderDepth = 200;

struct BookmarkFolder {
  std::string name;      // UTF-8, entities decoded, white space collapsed
  bool toolbar = false;  // PERSONAL_TOOLBAR_FOLDER="true"
  int parent = -1;       // the enclosing folder, -1 at the top
};

struct Bookmark {
  std::string title;        // UTF-8, entities decoded, white space collapsed
  std::string href;         // entities decoded, otherwise as written
  std::string icon;         // the ICON attribute (normally a data: URI), may be empty
  std::string tags;         // the TAGS attribute: names separated by commas, may be empty
  std::string description;  // the <DD> text after the link
  int folder = -1;          // the nearest enclosing folder, -1 for none
};

// Links refer to their folders by number, so a file costs memory in proportion to its
// size however deep its folders lie.
struct ParsedBookmarks {
  std::vector<BookmarkFolder> folders;
  std::vector<Bookmark> links;

  // The folders around a link, the nearest first.
  std::vector<const BookmarkFolder*> FoldersOf(const Bookmark& link) const;
};

// Reads a whole bookmarks file (UTF-8, an optional BOM; see bookmarks_charset.h for others). False with `*error` set when the
// bytes are not a bookmarks file, are cut short, nest folders deeper than kMaxFolderDepth,
// or are larger than kMaxBookmarksFileBytes.
bool ParseBookmarksHtml(std::string_view file, ParsedBookmarks* out, std::string* error);

// HTML text with its character references decoded (&amp; &lt; &#x4e2d; ...): known ones
// become UTF-8, unknown ones stay as written.
std::string DecodeEntities(std::string_view text);

// Text for an HTML element or attribute value: & < > " escaped.
std::string EscapeHtml(std::string_view text);

}  // namespace edbtool
