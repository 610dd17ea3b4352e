#include "bookmarks_html.h"

#include <cstdint>
#include <optional>

namespace edbtool {

namespace {

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool EqualsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (Lower(a[i]) != Lower(b[i])) return false;
  return true;
}

bool StartsNoCase(std::string_view s, std::size_t at, std::string_view prefix) {
  return s.size() - at >= prefix.size() && EqualsNoCase(s.substr(at, prefix.size()), prefix);
}

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f'; }
bool IsAlpha(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsNameChar(char c) { return IsAlpha(c) || (c >= '0' && c <= '9') || c == '-' || c == '_' || c == ':'; }

void AppendUtf8(std::string& out, std::uint32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

// The code point of "#123" / "#x1F" / a few names; nothing for anything else.
std::optional<std::uint32_t> EntityValue(std::string_view name) {
  if (name.size() >= 2 && name[0] == '#') {
    const bool hex = name[1] == 'x' || name[1] == 'X';
    std::string_view digits = name.substr(hex ? 2 : 1);
    if (digits.empty() || digits.size() > 8) return std::nullopt;
    std::uint32_t v = 0;
    for (char c : digits) {
      int d;
      if (c >= '0' && c <= '9') d = c - '0';
      else if (hex && c >= 'a' && c <= 'f') d = c - 'a' + 10;
      else if (hex && c >= 'A' && c <= 'F') d = c - 'A' + 10;
      else return std::nullopt;
      v = v * (hex ? 16 : 10) + static_cast<std::uint32_t>(d);
    }
    if (v == 0 || v > 0x10FFFF || (v >= 0xD800 && v <= 0xDFFF)) return std::nullopt;
    return v;
  }
  static const struct {
    const char* name;
    std::uint32_t value;
  } kNamed[] = {{"amp", '&'}, {"lt", '<'}, {"gt", '>'}, {"quot", '"'}, {"apos", '\''}, {"nbsp", ' '}};
  for (const auto& e : kNamed)
    if (name == e.name) return e.value;
  return std::nullopt;
}

// Runs of white space, no-break spaces among them, become one space; none at either end.
// A no-break space has no place in GBK, and a name shows the same with a plain one.
std::string Collapse(std::string_view text) {
  std::string out;
  bool space = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    const bool noBreak = c == '\xC2' && i + 1 < text.size() && text[i + 1] == '\xA0';
    if (IsSpace(c) || noBreak) {
      if (noBreak) ++i;
      space = !out.empty();
      continue;
    }
    if (space) out += ' ';
    space = false;
    out += c;
  }
  return out;
}

std::string Trim(std::string_view text) {
  std::size_t b = 0, e = text.size();
  while (b < e && IsSpace(text[b])) ++b;
  while (e > b && IsSpace(text[e - 1])) --e;
  return std::string(text.substr(b, e - b));
}

struct Tag {
  std::string name;  // lower case
  bool closing = false;
  std::vector<std::pair<std::string, std::string>> attributes;  // lower-case name, raw value

  const std::string* Attribute(std::string_view wanted) const {
    for (const auto& a : attributes)
      if (a.first == wanted) return &a.second;
    return nullptr;
  }
};

// Reads the tag that starts at s[at] == '<'. Returns the position after its '>', 0 when
// this '<' starts no tag (it is then text), or npos when the input ends inside the tag.
std::size_t ReadTag(std::string_view s, std::size_t at, Tag* tag) {
  std::size_t p = at + 1;
  tag->closing = p < s.size() && s[p] == '/';
  if (tag->closing) ++p;
  if (p >= s.size()) return std::string_view::npos;
  if (!IsAlpha(s[p])) return 0;
  std::size_t start = p;
  while (p < s.size() && IsNameChar(s[p])) ++p;
  tag->name.clear();
  for (std::size_t i = start; i < p; ++i) tag->name += Lower(s[i]);
  tag->attributes.clear();
  for (;;) {
    while (p < s.size() && (IsSpace(s[p]) || s[p] == '/')) ++p;
    if (p >= s.size()) return std::string_view::npos;
    if (s[p] == '>') return p + 1;
    std::size_t nameStart = p;
    while (p < s.size() && !IsSpace(s[p]) && s[p] != '>' && s[p] != '=' && s[p] != '/') ++p;
    std::string name;
    for (std::size_t i = nameStart; i < p; ++i) name += Lower(s[i]);
    if (name.empty()) ++p;  // a stray character such as a lone quote: step over it
    while (p < s.size() && IsSpace(s[p])) ++p;
    std::string value;
    if (p < s.size() && s[p] == '=') {
      ++p;
      while (p < s.size() && IsSpace(s[p])) ++p;
      if (p >= s.size()) return std::string_view::npos;
      if (s[p] == '"' || s[p] == '\'') {
        const char quote = s[p];
        std::size_t end = s.find(quote, p + 1);
        if (end == std::string_view::npos) return std::string_view::npos;
        value.assign(s.substr(p + 1, end - p - 1));
        p = end + 1;
      } else {
        std::size_t valueStart = p;
        while (p < s.size() && !IsSpace(s[p]) && s[p] != '>') ++p;
        value.assign(s.substr(valueStart, p - valueStart));
      }
    }
    if (!name.empty()) tag->attributes.emplace_back(std::move(name), std::move(value));
  }
}

// The walk over the file's tags: which folders are open, and what text is being collected.
class Reader {
 public:
  explicit Reader(ParsedBookmarks* out) : out_(out) {}

  void OnText(std::string_view text) {
    if (mode_ != Mode::kNone) buffer_.append(text);
  }

  void OnTag(const Tag& tag) {
    const std::string& n = tag.name;
    if (n == "dl") {
      Finish();
      if (tag.closing) {
        if (open_.empty()) return;  // a stray </DL>
        if (open_.back()) folders_.pop_back();
        open_.pop_back();
      } else {
        sawList_ = true;
        if (pending_ && folders_.size() >= static_cast<std::size_t>(kMaxFolderDepth)) tooDeep_ = true;
        open_.push_back(pending_.has_value());
        if (pending_) {
          pending_->parent = folders_.empty() ? -1 : folders_.back();
          folders_.push_back(static_cast<int>(out_->folders.size()));
          out_->folders.push_back(std::move(*pending_));
        }
        pending_.reset();
      }
      return;
    }
    if (n == "dt") {
      if (!tag.closing) Finish();
      return;
    }
    if (n == "h3") {
      Finish();
      if (tag.closing) return;
      const std::string* toolbar = tag.Attribute("personal_toolbar_folder");
      h3Toolbar_ = toolbar && EqualsNoCase(Trim(*toolbar), "true");
      mode_ = Mode::kFolder;
      lastLink_ = -1;  // a <DD> after a folder describes the folder
      return;
    }
    if (n == "a") {
      if (tag.closing) {
        if (mode_ == Mode::kLink) Finish();
        return;
      }
      Finish();
      Bookmark b;
      if (const std::string* href = tag.Attribute("href")) b.href = Trim(DecodeEntities(*href));
      if (const std::string* icon = tag.Attribute("icon")) b.icon = Trim(DecodeEntities(*icon));
      if (const std::string* tags = tag.Attribute("tags")) b.tags = DecodeEntities(*tags);
      b.folder = folders_.empty() ? -1 : folders_.back();
      out_->links.push_back(std::move(b));
      mode_ = Mode::kLink;
      return;
    }
    if (n == "dd") {
      if (tag.closing) return;
      Finish();
      if (lastLink_ >= 0 && out_->links[static_cast<std::size_t>(lastLink_)].description.empty())
        mode_ = Mode::kDescription;
      else
        mode_ = Mode::kIgnored;
      return;
    }
    if (n == "br" && mode_ == Mode::kDescription) buffer_ += ' ';
    // Any other tag (<p>, <meta>, <title>, <h1>, <hr>, inline markup) carries nothing.
  }

  // Ends the element whose text was being collected.
  void Finish() {
    switch (mode_) {
      case Mode::kFolder:
        pending_ = BookmarkFolder{Collapse(DecodeEntities(buffer_)), h3Toolbar_, -1};
        break;
      case Mode::kLink:
        out_->links.back().title = Collapse(DecodeEntities(buffer_));
        lastLink_ = static_cast<long>(out_->links.size()) - 1;
        break;
      case Mode::kDescription:
        out_->links[static_cast<std::size_t>(lastLink_)].description = Collapse(DecodeEntities(buffer_));
        lastLink_ = -1;
        break;
      case Mode::kIgnored:
      case Mode::kNone:
        break;
    }
    mode_ = Mode::kNone;
    buffer_.clear();
  }

  bool sawList() const { return sawList_; }
  bool tooDeep() const { return tooDeep_; }
  bool listsOpen() const { return !open_.empty(); }

 private:
  enum class Mode { kNone, kFolder, kLink, kDescription, kIgnored };

  ParsedBookmarks* out_;
  Mode mode_ = Mode::kNone;
  std::string buffer_;
  bool h3Toolbar_ = false;
  std::optional<BookmarkFolder> pending_;  // the last folder heading, until its <DL>
  std::vector<bool> open_;                 // per open <DL>: whether it opened a folder
  std::vector<int> folders_;                // the open folders, by number
  long lastLink_ = -1;  // the link a following <DD> describes
  bool sawList_ = false;
  bool tooDeep_ = false;
};

}  // namespace

std::string DecodeEntities(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    if (text[i] == '&') {
      // Only as far as the longest reference: a text of many '&' stays linear.
      const std::size_t semi = text.substr(i + 1, 12).find(';');
      if (semi != std::string_view::npos) {
        if (auto v = EntityValue(text.substr(i + 1, semi))) {
          AppendUtf8(out, *v);
          i += semi + 2;
          continue;
        }
      }
    }
    out += text[i++];
  }
  return out;
}

std::string EscapeHtml(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      default: out += c;
    }
  }
  return out;
}

std::vector<const BookmarkFolder*> ParsedBookmarks::FoldersOf(const Bookmark& link) const {
  std::vector<const BookmarkFolder*> out;
  for (int f = link.folder; f >= 0 && f < static_cast<int>(folders.size()); f = folders[static_cast<std::size_t>(f)].parent)
    out.push_back(&folders[static_cast<std::size_t>(f)]);
  return out;
}

bool ParseBookmarksHtml(std::string_view s, ParsedBookmarks* out, std::string* error) {
  out->links.clear();
  out->folders.clear();
  if (s.size() > kMaxBookmarksFileBytes) {
    *error = "the file is " + std::to_string(s.size()) + " bytes; bookmarks files of more than " +
             std::to_string(kMaxBookmarksFileBytes) + " bytes are not read";
    return false;
  }
  if (s.size() >= 3 && s.substr(0, 3) == "\xEF\xBB\xBF") s.remove_prefix(3);
  if (s.find('\0') != std::string_view::npos) {
    *error = "not a bookmarks file: it holds binary data";
    return false;
  }
  // Every browser writes this line before the first folder or link (some after an <HTML>
  // tag or a comment); a page saved from the web has none.
  const std::string noDoctype = "not a bookmarks file: no <!DOCTYPE NETSCAPE-Bookmark-file-1> before its first list";
  bool doctype = false;
  Reader reader(out);
  Tag tag;
  std::size_t p = 0;
  while (p < s.size()) {
    if (s[p] != '<') {
      std::size_t next = s.find('<', p);
      if (next == std::string_view::npos) next = s.size();
      reader.OnText(s.substr(p, next - p));
      p = next;
      continue;
    }
    if (s.compare(p, 4, "<!--") == 0) {
      std::size_t end = s.find("-->", p + 4);
      if (end == std::string_view::npos) {
        *error = "the file ends inside a comment: it seems cut short";
        return false;
      }
      p = end + 3;
      continue;
    }
    if (s.compare(p, 2, "<!") == 0 || s.compare(p, 2, "<?") == 0) {
      doctype = doctype || StartsNoCase(s, p, "<!DOCTYPE NETSCAPE-Bookmark-file-1");
      std::size_t end = s.find('>', p);
      if (end == std::string_view::npos) {
        *error = "the file ends inside a declaration: it seems cut short";
        return false;
      }
      p = end + 1;
      continue;
    }
    std::size_t after = ReadTag(s, p, &tag);
    if (after == std::string_view::npos) {
      *error = "the file ends inside a tag: it seems cut short";
      return false;
    }
    if (after == 0) {  // a '<' that starts no tag is text
      reader.OnText(s.substr(p, 1));
      ++p;
      continue;
    }
    if (!doctype && (tag.name == "dl" || tag.name == "dt" || tag.name == "h3" || tag.name == "a")) {
      *error = noDoctype;
      return false;
    }
    reader.OnTag(tag);
    if (reader.tooDeep()) {
      *error = "its folders are nested more than " + std::to_string(kMaxFolderDepth) + " deep";
      return false;
    }
    p = after;
  }
  reader.Finish();
  if (!doctype) {
    *error = noDoctype;
    return false;
  }
  if (!reader.sawList()) {
    *error = "not a bookmarks file: it holds no <DL> list";
    return false;
  }
  if (reader.listsOpen()) {
    *error = "the file ends before its lists are closed: it seems cut short";
    return false;
  }
  return true;
}

}  // namespace edbtool
