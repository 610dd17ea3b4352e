#pragma once
// What the web box's text view can lay out quickly. Its layout recurses per nested
// element, costs about twice as much per table it sits in, and wraps a long run of text
// without a break point in time that grows with the square of the run: a page of
// thousands of nested tables crashes it, a few dozen freeze it. A page is measured here,
// from its HTML, before the view sees it; a page over any limit is not shown.

#include <cstddef>
#include <cstdint>
#include <string_view>

struct WebPageMeasure {
  std::size_t bytes = 0;
  int depth = 0;          // deepest element nesting (unclosed elements count as open)
  int tableDepth = 0;     // deepest table nesting
  int elements = 0;       // start tags, a cell counted once per column it spans
  std::int64_t work = 0;  // elements and text bytes, each weighted 2^(tables around it)
  std::size_t longestRun = 0;  // longest text without white space
  bool stopped = false;   // measuring stopped early: a limit was already passed
};

// The limits, measured on Qt 6's text view at the box's 820 x 128: a page at any of
// them lays out in a few hundred milliseconds.
constexpr std::size_t kWebPageMaxBytes = 64 * 1024;
constexpr int kWebPageMaxDepth = 32;
constexpr int kWebPageMaxTableDepth = 6;
constexpr int kWebPageMaxElements = 2000;
constexpr std::int64_t kWebPageMaxWork = 64 * 1024;
constexpr std::size_t kWebPageMaxRun = 8 * 1024;
// What an element costs the view, as bytes of text would; a table cell costs far more.
constexpr std::int64_t kWebPageElementWork = 25;
constexpr std::int64_t kWebPageCellWork = 128;

WebPageMeasure MeasureWebPage(std::string_view html);
bool WithinWebPageLimits(const WebPageMeasure& measure);
// The page's HTML, as it goes to the view (UTF-8).
bool WebPageWithinLimits(std::string_view html);
