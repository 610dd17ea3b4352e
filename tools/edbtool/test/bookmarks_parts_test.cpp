// The pieces under the bookmark commands, where their edges are easier to reach than
// through whole files: the HTML reader's tolerance, data URIs, GBK cuts, icon names.

#include <gtest/gtest.h>

#include "accounts_csv.h"
#include "base/text.h"
#include "bookmarks_html.h"
#include "data_uri.h"
#include "favorites_layout.h"
#include "site_icon.h"

namespace edbtool {
namespace {

ParsedBookmarks Parse(const std::string& body) {
  ParsedBookmarks p;
  std::string error;
  EXPECT_TRUE(ParseBookmarksHtml("<!doctype netscape-bookmark-file-1>" + body, &p, &error)) << error;
  return p;
}

TEST(BookmarksHtml, LooseMarkupStillGivesLinksFoldersAndDescriptions) {
  ParsedBookmarks p = Parse(
      "<dl><p><DT><h3 Personal_Toolbar_Folder='TRUE'>Bar &amp; more</H3><DD>folder note<DL>"
      "<dt><a HREF = 'https://a.example/?x=1&amp;y=2' ICON=\"data:,x\">A  <b>bold</b>\r\n text</a>"
      "<DD>line one<br>line two &lt;3 &unknown; &#0; &#xD800; &#1114112;"
      "<dt><A href=\"https://b.example/\">B"  // unclosed
      "<DT><A HREF=\"https://c.example/\">C</A><DD>c says < 5"
      "</DL><p>"
      "<DT><A HREF=\"https://d.example/\">D</A></dl>");
  ASSERT_EQ(p.links.size(), 4u);
  EXPECT_EQ(p.links[0].href, "https://a.example/?x=1&y=2");
  EXPECT_EQ(p.links[0].icon, "data:,x");
  EXPECT_EQ(p.links[0].title, "A bold text");
  EXPECT_EQ(p.links[0].description, "line one line two <3 &unknown; &#0; &#xD800; &#1114112;");
  ASSERT_EQ(p.FoldersOf(p.links[0]).size(), 1u);
  EXPECT_EQ(p.FoldersOf(p.links[0])[0]->name, "Bar & more");
  EXPECT_TRUE(p.FoldersOf(p.links[0])[0]->toolbar);
  EXPECT_EQ(p.links[1].title, "B");
  EXPECT_EQ(p.links[1].description, "");
  EXPECT_EQ(p.links[2].description, "c says < 5");
  EXPECT_TRUE(p.FoldersOf(p.links[3]).empty());
}

TEST(BookmarksHtml, StrayClosingListsAndCommentsAreHarmless) {
  ParsedBookmarks p = Parse("</DL><!-- <DL> --><DL><DT><A HREF=x>x</A></DL></DL>");
  ASSERT_EQ(p.links.size(), 1u);
  std::string error;
  EXPECT_FALSE(ParseBookmarksHtml("<!DOCTYPE NETSCAPE-Bookmark-file-1><DL><!-- open", &p, &error));
  EXPECT_NE(error.find("cut short"), std::string::npos);
  EXPECT_FALSE(ParseBookmarksHtml("<!DOCTYPE NETSCAPE-Bookmark-file-1><DL><A HREF=\"x", &p, &error));
  EXPECT_NE(error.find("cut short"), std::string::npos);
}

// A link's folders are looked through one by one: nesting has a bound far beyond any
// browser's, so a file of a million nested folders costs no time by the square.
TEST(BookmarksHtml, FoldersNestedBeyondTheBoundAreRefused) {
  auto nested = [](int depth) {
    std::string s = "<!DOCTYPE NETSCAPE-Bookmark-file-1>";
    for (int i = 0; i < depth; ++i) s += "<DT><H3>f</H3><DL><p>";
    s += "<DT><A HREF=\"https://x.example/\">x</A>";
    for (int i = 0; i < depth; ++i) s += "</DL><p>";
    return s;
  };
  ParsedBookmarks p;
  std::string error;
  ASSERT_TRUE(ParseBookmarksHtml(nested(kMaxFolderDepth), &p, &error)) << error;
  ASSERT_EQ(p.links.size(), 1u);
  EXPECT_EQ(p.FoldersOf(p.links[0]).size(), static_cast<std::size_t>(kMaxFolderDepth));
  EXPECT_EQ(p.folders.size(), static_cast<std::size_t>(kMaxFolderDepth));
  EXPECT_FALSE(ParseBookmarksHtml(nested(kMaxFolderDepth + 1), &p, &error));
  EXPECT_NE(error.find("nested"), std::string::npos) << error;
}

TEST(DataUri, DecodesBase64AndPercentWithinBounds) {
  Bytes b;
  ASSERT_TRUE(DecodeDataUri("DATA:image/png;BASE64,aGVs\nbG8=", &b));
  EXPECT_EQ(std::string(b.begin(), b.end()), "hello");
  ASSERT_TRUE(DecodeDataUri("data:text/plain,a%20b%2C", &b));
  EXPECT_EQ(std::string(b.begin(), b.end()), "a b,");
  EXPECT_FALSE(DecodeDataUri("data:,a%2", &b));
  EXPECT_FALSE(DecodeDataUri("data:;base64,aGVs*G8=", &b));
  EXPECT_FALSE(DecodeDataUri("data:;base64,aGVsbG8=QQ", &b)) << "data after the padding";
  EXPECT_FALSE(DecodeDataUri("data:;base64,a", &b)) << "a lone character";
  EXPECT_FALSE(DecodeDataUri("https://x/icon.png", &b));
  EXPECT_FALSE(DecodeDataUri("data:image/png;base64", &b)) << "no comma";
  EXPECT_FALSE(DecodeDataUri("data:;base64,", &b));
  EXPECT_FALSE(DecodeDataUri("data:;base64," + std::string(1400000, 'A'), &b)) << "over the icon limit";
  EXPECT_TRUE(b.empty());
  for (std::size_t n = 0; n < 7; ++n) {
    Bytes in;
    for (std::size_t i = 0; i < n; ++i) in.push_back(static_cast<std::uint8_t>(250 + i));
    if (n == 0) {
      EXPECT_EQ(Base64Encode(in), "");
      continue;
    }
    ASSERT_TRUE(DecodeDataUri("data:;base64," + Base64Encode(in), &b)) << n;
    EXPECT_EQ(b, in);
  }
}

TEST(GbkCut, NeverEndsInsideADoubleByteCharacter) {
  const Text t = "a" + Utf8ToGbk("中文");  // a, then two 2-byte characters
  EXPECT_EQ(CutGbk(t, 5), t);
  EXPECT_EQ(CutGbk(t, 4), "a" + Utf8ToGbk("中"));
  EXPECT_EQ(CutGbk(t, 3), "a" + Utf8ToGbk("中"));
  EXPECT_EQ(CutGbk(t, 2), "a");
  EXPECT_EQ(CutGbk(t, 0), "");
  EXPECT_EQ(CutGbk("ab\x81", 3), "ab\x81") << "a lone lead byte at the end counts as one";
}

TEST(SiteIcon, NamesComeFromTheHostAndStaySafe) {
  IconNames taken{{"example.com.png"}, {}};
  EXPECT_EQ(HostOfAddress("https://user:pw@WWW.Example.COM:8080/x?y#z"), "www.example.com");
  EXPECT_EQ(HostOfAddress("http://[::1]:80/"), "::1");
  EXPECT_EQ(HostOfAddress("mailto:x@y"), "");
  EXPECT_EQ(IconFileName("https://www.example.com/", ".png", 50, &taken), "example.com-2.png");
  EXPECT_EQ(IconFileName("http://[::1]/", ".gif", 50, &taken), "__1.gif");
  EXPECT_EQ(IconFileName("file:///etc/passwd", ".png", 50, &taken), "site.png");
  EXPECT_EQ(IconFileName("http://con/", ".png", 50, &taken), "site-con.png");
  EXPECT_EQ(IconFileName("http://../", ".png", 50, &taken), "site-2.png");
  EXPECT_EQ(IconFileName("http://abcdefghij.example/", ".png", 9, &taken), "abcde.png");
  EXPECT_EQ(IconFileName("http://abcdefghij.example/", ".png", 9, &taken), "abc-2.png");
  EXPECT_EQ(IconFileName("http://x/", ".png", 4, &taken), "");
}

TEST(AccountsCsv, FieldsAreQuotedAsRfc4180) {
  EXPECT_EQ(CsvField(""), "\"\"");
  EXPECT_EQ(CsvField("a,b\"c\"\r\nd"), "\"a,b\"\"c\"\"\r\nd\"");
}

}  // namespace
}  // namespace edbtool
