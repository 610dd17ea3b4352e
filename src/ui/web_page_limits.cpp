#include "ui/web_page_limits.h"

#include <algorithm>
#include <array>
#include <string>
#include <vector>

namespace {

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f'; }
bool IsAlpha(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
char Lower(char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; }

bool OneOf(const std::string& name, std::initializer_list<std::string_view> names) {
  return std::find(names.begin(), names.end(), name) != names.end();
}

// Elements that never hold anything, so never nest.
bool IsVoid(const std::string& name) {
  return OneOf(name, {"area", "base", "basefont", "br", "col", "embed", "frame", "hr", "img", "input", "keygen",
                      "link", "meta", "param", "source", "track", "wbr"});
}

struct Walker {
  std::string_view html;
  std::size_t at = 0;
  std::vector<std::string> open;  // elements open now, outermost first
  int tables = 0;                 // tables among them
  std::size_t run = 0;
  WebPageMeasure m;

  std::int64_t Weight() const { return std::int64_t{1} << tables; }
  bool Over() const { return !WithinWebPageLimits(m); }

  void Pop() {
    if (open.back() == "table") --tables;
    open.pop_back();
  }
  // Closes the innermost `names` element, with all inside it, unless a `walls` element
  // lies nearer: a new cell closes the cell before it, not one of an outer table.
  void CloseTo(std::initializer_list<std::string_view> names, std::initializer_list<std::string_view> walls) {
    for (std::size_t i = open.size(); i-- > 0;) {
      if (OneOf(open[i], walls)) return;
      if (OneOf(open[i], names)) {
        while (open.size() > i) Pop();
        return;
      }
    }
  }
  // The implicit ends of HTML: what opening `name` closes first.
  void CloseImplied(const std::string& name) {
    if (name == "p" || name == "option") CloseTo({name}, {"div", "table", "td", "th", "ul", "ol", "select"});
    else if (name == "li") CloseTo({"li"}, {"ul", "ol"});
    else if (name == "dt" || name == "dd") CloseTo({"dt", "dd"}, {"dl"});
    else if (name == "td" || name == "th") CloseTo({"td", "th"}, {"tr", "table"});
    else if (name == "tr") CloseTo({"tr"}, {"table"});
    else if (name == "thead" || name == "tbody" || name == "tfoot") CloseTo({"thead", "tbody", "tfoot"}, {"table"});
  }

  std::string Name() {
    std::string name;
    while (at < html.size() && (IsAlpha(html[at]) || (html[at] >= '0' && html[at] <= '9'))) name += Lower(html[at++]);
    return name;
  }

  // Reads the attributes up to the tag's end; returns the colspan given (1 if none).
  std::int64_t Attributes() {
    std::int64_t span = 1;
    while (at < html.size() && html[at] != '>') {
      if (!IsAlpha(html[at])) {
        ++at;
        continue;
      }
      const std::string attribute = Name();
      while (at < html.size() && IsSpace(html[at])) ++at;
      if (at >= html.size() || html[at] != '=') continue;
      ++at;
      while (at < html.size() && IsSpace(html[at])) ++at;
      std::string value;
      if (at < html.size() && (html[at] == '"' || html[at] == '\'')) {
        const char quote = html[at++];
        while (at < html.size() && html[at] != quote) value += html[at++];
        if (at < html.size()) ++at;
      } else {
        while (at < html.size() && !IsSpace(html[at]) && html[at] != '>') value += html[at++];
      }
      if (attribute == "colspan") {
        std::int64_t n = 0;
        for (std::size_t i = 0; i < value.size() && value[i] >= '0' && value[i] <= '9'; ++i) {
          n = std::min<std::int64_t>(n * 10 + (value[i] - '0'), kWebPageMaxElements + 1);
        }
        span = std::max<std::int64_t>(n, 1);
      }
    }
    if (at < html.size()) ++at;  // the '>'
    return span;
  }

  void StartTag() {
    const std::string name = Name();
    const std::int64_t span = Attributes();
    CloseImplied(name);
    if (!IsVoid(name)) {
      open.push_back(name);
      if (name == "table") ++tables;
    }
    const bool cell = name == "td" || name == "th";
    const std::int64_t count = cell ? span : 1;
    m.elements = int(std::min<std::int64_t>(m.elements + count, kWebPageMaxElements + 1));
    m.work += count * (cell ? kWebPageCellWork : kWebPageElementWork) * Weight();
    m.depth = std::max(m.depth, int(open.size()));
    m.tableDepth = std::max(m.tableDepth, tables);
  }

  void EndTag() {
    const std::string name = Name();
    while (at < html.size() && html[at] != '>') ++at;
    if (at < html.size()) ++at;
    for (std::size_t i = open.size(); i-- > 0;) {
      if (open[i] == name) {
        while (open.size() > i) Pop();
        break;
      }
    }
  }

  void Skip(std::string_view end) {
    const std::size_t found = html.find(end, at);
    at = found == std::string_view::npos ? html.size() : found + end.size();
  }

  void Text(char c) {
    ++at;
    m.work += Weight();
    run = IsSpace(c) ? 0 : run + 1;
    m.longestRun = std::max(m.longestRun, run);
  }

  void Walk() {
    while (at < html.size() && !Over()) {
      const char c = html[at];
      const char next = at + 1 < html.size() ? html[at + 1] : '\0';
      if (c != '<') {
        Text(c);
      } else if (html.substr(at, 4) == "<!--") {
        at += 4;
        Skip("-->");
      } else if (next == '!' || next == '?') {
        Skip(">");
      } else if (next == '/') {
        at += 2;
        EndTag();
      } else if (IsAlpha(next)) {
        ++at;
        StartTag();
      } else {
        Text(c);
      }
    }
    m.stopped = at < html.size();
  }
};

}  // namespace

WebPageMeasure MeasureWebPage(std::string_view html) {
  Walker walker;
  walker.html = html;
  walker.m.bytes = html.size();
  if (html.size() > kWebPageMaxBytes) {
    walker.m.stopped = true;
    return walker.m;
  }
  walker.Walk();
  return walker.m;
}

bool WithinWebPageLimits(const WebPageMeasure& m) {
  return !m.stopped && m.bytes <= kWebPageMaxBytes && m.depth <= kWebPageMaxDepth &&
         m.tableDepth <= kWebPageMaxTableDepth && m.elements <= kWebPageMaxElements && m.work <= kWebPageMaxWork &&
         m.longestRun <= kWebPageMaxRun;
}

bool WebPageWithinLimits(std::string_view html) { return WithinWebPageLimits(MeasureWebPage(html)); }
