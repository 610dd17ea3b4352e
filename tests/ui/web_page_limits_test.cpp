// What the web box's text view is given: measured from the HTML, held to fixed limits.
#include "ui/web_page_limits.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string Repeat(const std::string& s, int n) {
  std::string out;
  for (int i = 0; i < n; ++i) out += s;
  return out;
}

std::string Nested(const std::string& open, const std::string& close, int n, const std::string& inner = "x") {
  return Repeat(open, n) + inner + Repeat(close, n);
}

TEST(WebPageLimits, AnOrdinaryAdvertPagePasses) {
  const std::string page =
      "<!DOCTYPE html><html><head><meta charset=\"gbk\"><title>ad</title>"
      "<style>td { font-size: 12px } a > b { color: red }</style></head><body>"
      "<!-- <table><table><table> in a comment nests nothing -->"
      "<table width=\"820\" cellpadding=0><tr><td><img src=\"banner.gif\"><br>"
      "<table><tr><td><a href=\"http://x.example/\">one</a><td>two<tr><td>three</table>"
      "</td></tr></table><ul><li>a<li>b<li>c</ul><p>first<p>second</body></html>";
  const WebPageMeasure m = MeasureWebPage(page);
  EXPECT_TRUE(WithinWebPageLimits(m));
  EXPECT_EQ(m.tableDepth, 2);
  // html, body, table, tr, td, table, tr, td, a: unclosed cells and rows close each other.
  EXPECT_EQ(m.depth, 9);
  EXPECT_FALSE(m.stopped);
}

TEST(WebPageLimits, NestingIsCountedToTheLimitAndNoFurther) {
  const int d = kWebPageMaxDepth;
  EXPECT_EQ(MeasureWebPage(Nested("<div>", "</div>", d)).depth, d);
  EXPECT_TRUE(WebPageWithinLimits(Nested("<div>", "</div>", d)));
  EXPECT_FALSE(WebPageWithinLimits(Nested("<div>", "</div>", d + 1)));
  // Unclosed elements stay open; void ones never hold anything.
  EXPECT_FALSE(WebPageWithinLimits(Repeat("<b>", d + 1)));
  EXPECT_TRUE(WebPageWithinLimits(Repeat("<br><img src=a>x", 500)));
  // Elements that close their own kind do not nest.
  EXPECT_TRUE(WebPageWithinLimits("<ul>" + Repeat("<li>item", 500) + "</ul>"));
  EXPECT_TRUE(WebPageWithinLimits(Repeat("<p>para", 500)));
  // ... but a new list inside an item does.
  EXPECT_FALSE(WebPageWithinLimits(Repeat("<ul><li>", d)));
  EXPECT_FALSE(WebPageWithinLimits(Nested("<DIV class='a>b'>", "</DIV>", d + 1)));
}

TEST(WebPageLimits, TablesInTablesCostTwiceAsMuchPerLevel) {
  const std::string table = "<table><tr><td>";
  EXPECT_EQ(MeasureWebPage(Nested(table, "</td></tr></table>", kWebPageMaxTableDepth)).tableDepth,
            kWebPageMaxTableDepth);
  EXPECT_TRUE(WebPageWithinLimits(Nested(table, "</td></tr></table>", kWebPageMaxTableDepth)));
  EXPECT_FALSE(WebPageWithinLimits(Nested(table, "</td></tr></table>", kWebPageMaxTableDepth + 1)));
  // Thousands of levels stop the measure early, without walking them all.
  const WebPageMeasure deep = MeasureWebPage(Repeat(table, 3000));
  EXPECT_TRUE(deep.stopped);
  EXPECT_FALSE(WithinWebPageLimits(deep));
  // A new cell closes the one before it in the same row, not the table around.
  EXPECT_EQ(MeasureWebPage("<table><tr>" + Repeat("<td>x", 50) + "</table>").tableDepth, 1);
  EXPECT_EQ(MeasureWebPage("<table><tr>" + Repeat("<td>x", 50) + "</table>").depth, 3);

  // The same text costs 2^n inside n tables.
  const std::string text(1000, 'x');
  const std::int64_t flat = MeasureWebPage(text).work;
  EXPECT_EQ(flat, 1000);
  EXPECT_EQ(MeasureWebPage(Nested(table, "", 3, text)).work,
            8 * 1000 + (2 * kWebPageElementWork + kWebPageCellWork) * (2 + 4 + 8));
  // Cells cost the view most of all.
  EXPECT_TRUE(WebPageWithinLimits("<table>" + Repeat("<tr><td>a<td>b", 100) + "</table>"));
  EXPECT_FALSE(WebPageWithinLimits("<table>" + Repeat("<tr><td>a<td>b", 300) + "</table>"));
  // Text that passes flat is refused four tables deep.
  const std::string words = Repeat("word ", 4000);
  EXPECT_TRUE(WebPageWithinLimits(words));
  EXPECT_FALSE(WebPageWithinLimits(Nested(table, "</td></tr></table>", 4, words)));
}

TEST(WebPageLimits, ElementsCellSpansSizeAndUnbrokenTextAreBounded) {
  EXPECT_TRUE(WebPageWithinLimits(Repeat("<span>a</span>", kWebPageMaxElements)));
  const WebPageMeasure many = MeasureWebPage(Repeat("<span>a</span>", kWebPageMaxElements + 1));
  EXPECT_EQ(many.elements, kWebPageMaxElements + 1);
  EXPECT_FALSE(WithinWebPageLimits(many));
  // A cell counts once per column it spans: a huge span is a huge table.
  EXPECT_EQ(MeasureWebPage("<table><tr><td colspan=\"40\">x</td><td COLSPAN=2>y</table>").elements, 44);
  EXPECT_FALSE(WebPageWithinLimits("<table><tr><td colspan=100000>x</table>"));
  EXPECT_FALSE(WebPageWithinLimits("<table><tr><td colspan=300>x</table>"));
  EXPECT_EQ(MeasureWebPage("<td colspan=99999999999999999999>").elements, kWebPageMaxElements + 1);

  std::string big(kWebPageMaxBytes, ' ');
  EXPECT_EQ(MeasureWebPage(big).bytes, kWebPageMaxBytes);
  EXPECT_FALSE(WebPageWithinLimits(big + " "));

  // The view wraps a run without break points slowly: the longest run is bounded.
  EXPECT_EQ(MeasureWebPage("ab cde\tfg").longestRun, 3u);
  EXPECT_EQ(MeasureWebPage(std::string(kWebPageMaxRun, 'x')).longestRun, kWebPageMaxRun);
  EXPECT_TRUE(WebPageWithinLimits(std::string(kWebPageMaxRun, 'x')));
  EXPECT_FALSE(WebPageWithinLimits(std::string(kWebPageMaxRun + 1, 'x')));
}

TEST(WebPageLimits, BrokenMarkupEndsTheMeasureQuietly) {
  for (const std::string page : {"<", "<!--", "<div", "<div a='", "</", "<td colspan=", "<!doctype", "a < b",
                                 "<table><tr><td", "</table></table></td>"}) {
    const WebPageMeasure m = MeasureWebPage(page);
    EXPECT_LE(m.depth, 3) << page;
    EXPECT_TRUE(WithinWebPageLimits(m)) << page;
  }
}

}  // namespace
