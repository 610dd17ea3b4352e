// import-bookmarks on files in the shapes each browser exports, checked through the
// engine: fields, their widths, the icon files written and what they decode to.

#include "bookmarks_fixture.h"

namespace bookmarks_test {
namespace {

const char kHead[] =
    "<!DOCTYPE NETSCAPE-Bookmark-file-1>\n"
    "<!-- This is an automatically generated file.\n"
    "     It will be read and overwritten.\n"
    "     DO NOT EDIT! -->\n"
    "<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=UTF-8\">\n";

// Firefox: the menu at the top, the toolbar and other-bookmarks folders inside it, icons
// as data URIs of every kind, a place: query, a bookmarklet, entities, descriptions.
std::string FirefoxFile() {
  return std::string(kHead) +
         "<meta http-equiv=\"Content-Security-Policy\"\n"
         "      content=\"default-src 'self'; script-src 'none'; img-src data: *; object-src 'none'\"></meta>\n"
         "<TITLE>Bookmarks</TITLE>\n"
         "<H1>Bookmarks Menu</H1>\n\n"
         "<DL><p>\n"
         "    <DT><A HREF=\"place:parent=menu________&sort=12\" ADD_DATE=\"1\">Recent Tags</A>\n"
         "    <DT><H3 ADD_DATE=\"1\" LAST_MODIFIED=\"2\">学习</H3>\n"
         "    <DL><p>\n"
         "        <DT><A HREF=\"https://www.icourse163.org/learn?a=1&amp;b=2\" ADD_DATE=\"3\" ICON_URI=\"https://x/f.ico\" "
         "ICON=\"" + DataUri("image/png", Png(16, 1)) + "\">中国大学MOOC &amp; 课程 &lt;精品&gt;</A>\n"
         "        <DD>名校名师的&#20813;费在线课程 &#x1F600; done\n"
         "        <DT><H3>Nested plain folder</H3>\n"
         "        <DL><p>\n"
         "            <DT><A HREF=\"https://docs.python.org/3/\" ICON=\"" + DataUri("image/jpeg", Jpeg(32, 2)) +
         "\">Python docs</A>\n"
         "        </DL><p>\n"
         "    </DL><p>\n"
         "    <DT><H3 ADD_DATE=\"1\" LAST_MODIFIED=\"2\" PERSONAL_TOOLBAR_FOLDER=\"true\">Bookmarks Toolbar</H3>\n"
         "    <DL><p>\n"
         "        <DT><A HREF=\"https://www.bilibili.com/\" ICON=\"" + DataUri("image/gif", Gif()) +
         "\">哔哩哔哩</A>\n"
         "        <DT><H3>影音</H3>\n"
         "        <DL><p>\n"
         "            <DT><A HREF=\"https://music.163.com/\" ICON=\"" + DataUri("image/x-icon", Ico(3)) +
         "\">网易云音乐</A>\n"
         "        </DL><p>\n"
         "        <DT><A HREF=\"javascript:void(document.body.style.zoom=2)\">Zoom</A>\n"
         "    </DL><p>\n"
         "    <DT><H3 UNFILED_BOOKMARKS_FOLDER=\"true\">Other Bookmarks</H3>\n"
         "    <DL><p>\n"
         "        <DT><A HREF=\"https://www.icourse163.org/learn?a=1&b=2\">Same address again</A>\n"
         "        <DT><A HREF=\"data:text/html,hello\">A data page</A>\n"
         "        <DT><A HREF=\"\">Nothing</A>\n"
         "        <DT><A HREF=\"https://svg.example.org/\" ICON=\"data:image/svg+xml;base64,PHN2Zy8+\">SVG icon</A>\n"
         "    </DL><p>\n"
         "</DL>\n";
}

TEST_F(BookmarksTest, FirefoxFileBecomesFavoritesWithTheirIconsCategoriesAndCommonMarks) {
  const std::string table = MakeTable("run");
  Fill(table, {{"百度", "\\网站图标\\baidu.png", "https://www.baidu.com/", "", "", 0, "", 1, ""}});
  Spit(F("firefox.html"), FirefoxFile());
  Result r = Run({"import-bookmarks", table, F("firefox.html"), "--category", "5"});
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_NE(r.out.find("imported 5 favorites (4 with their own icon, 1 with the default icon) from 10 links"),
            std::string::npos)
      << r.out;
  for (const char* line : {"skipped 1: empty address", "skipped 1: bookmarklet (javascript:)",
                           "skipped 1: data: address", "skipped 1: place: address", "skipped 1: address repeated"})
    EXPECT_NE(r.out.find(line), std::string::npos) << line << "\n" << r.out;

  const std::vector<Favorite> got = Read(table);
  ASSERT_EQ(got.size(), 6u);
  const Favorite& mooc = got[1];
  EXPECT_EQ(mooc.name, "中国大学MOOC & 课程 <精品>");
  EXPECT_EQ(mooc.address, "https://www.icourse163.org/learn?a=1&b=2");
  EXPECT_EQ(mooc.description, "名校名师的免费在线课程 ? done");  // GBK holds no emoji
  EXPECT_EQ(mooc.category, 0);
  EXPECT_EQ(mooc.common, 0);
  EXPECT_EQ(mooc.icon, "\\网站图标\\icourse163.org.png");
  EXPECT_EQ(mooc.sound, "\\声音\\点击声音\\叮.wav");
  EXPECT_EQ(mooc.account, "");
  EXPECT_EQ(mooc.password, "");
  EXPECT_TRUE(SamePixels(IconOf(table, mooc.icon), DecodePicture(Png(16, 1))));

  // The nearest folder named as a category counts, even through a plain folder.
  EXPECT_EQ(got[2].name, "Python docs");
  EXPECT_EQ(got[2].category, 0);
  EXPECT_EQ(got[2].icon, "\\网站图标\\docs.python.org.jpg");
  EXPECT_TRUE(SamePixels(IconOf(table, got[2].icon), DecodePicture(Jpeg(32, 2))));

  // Links on the toolbar itself are common, those in its subfolders not; outside a
  // category folder the default category.
  EXPECT_EQ(got[3].name, "哔哩哔哩");
  EXPECT_EQ(got[3].common, 1);
  EXPECT_EQ(got[3].category, 5);
  EXPECT_EQ(got[3].icon, "\\网站图标\\bilibili.com.gif");
  EXPECT_TRUE(SamePixels(IconOf(table, got[3].icon), DecodePicture(Gif())));
  EXPECT_EQ(got[4].name, "网易云音乐");
  EXPECT_EQ(got[4].common, 0);
  EXPECT_EQ(got[4].category, 3);
  EXPECT_EQ(got[4].icon, "\\网站图标\\music.163.com.ico");
  EXPECT_TRUE(SamePixels(IconOf(table, got[4].icon), DecodePicture(Ico(3))));

  // An icon the program cannot draw gives the shipped default icon.
  EXPECT_EQ(got[5].name, "SVG icon");
  EXPECT_EQ(got[5].icon, "\\网站图标\\默认.png");
  EXPECT_EQ(got[5].category, 5);
  EXPECT_EQ(got[5].common, 0);
  EXPECT_FALSE(IconOf(table, got[5].icon).empty());

  // Importing again adds nothing: every address is in the table now.
  r = Run({"import-bookmarks", table, F("firefox.html")});
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_NE(r.out.find("imported 0 favorites"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("skipped 6: address already in the table"), std::string::npos) << r.out;
  EXPECT_EQ(Read(table).size(), 6u);
}

// Chrome and Edge: the bar folder first, the other bookmarks after it; Edge writes CRLF
// and a BOM. Safari: no outer list, tabs, no icons.
TEST_F(BookmarksTest, ChromeEdgeAndSafariFiles) {
  const std::string chrome = std::string(kHead) +
                             "<TITLE>Bookmarks</TITLE>\n<H1>Bookmarks</H1>\n<DL><p>\n"
                             "    <DT><H3 ADD_DATE=\"1\" LAST_MODIFIED=\"0\" PERSONAL_TOOLBAR_FOLDER=\"true\">Bookmarks bar</H3>\n"
                             "    <DL><p>\n"
                             "        <DT><A HREF=\"https://github.com/\" ADD_DATE=\"1\" ICON=\"" +
                             DataUri("image/png", Png(16, 4)) + "\">GitHub</A>\n"
                             "        <DT><A HREF=\"https://github.com/\">GitHub again</A>\n"
                             "    </DL><p>\n"
                             "    <DT><A HREF=\"https://www.taobao.com/\" ADD_DATE=\"1\">淘宝</A>\n"
                             "</DL><p>\n";
  std::string edge;
  for (char c : "\xEF\xBB\xBF" + std::string(kHead) +
                    "<TITLE>Bookmarks</TITLE>\n<H1>Bookmarks</H1>\n<dl><p>\n"
                    "<dt><h3 personal_toolbar_folder=true>Favorites bar</h3>\n"
                    "<dl><p>\n<dt><h3>购物</h3>\n<dl><p>\n"
                    "<dt><a href=\"https://www.jd.com/\">京东\n  商城</a>\n"
                    "<dt><a href=https://www.tmall.com/>天猫\n"  // unclosed <a>
                    "</dl><p>\n</dl><p>\n</dl><p>\n") {
    if (c == '\n') edge += '\r';
    if (c) edge += c;
  }
  const std::string safari =
      "<!DOCTYPE NETSCAPE-Bookmark-file-1>\n\t<HTML>\n\t<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; "
      "charset=UTF-8\">\n\t<Title>Bookmarks</Title>\n\t<H1>Bookmarks</H1>\n"
      "\t<DT><H3 FOLDED>游戏</H3>\n\t<DL><p>\n\t\t<DT><A HREF=\"https://store.steampowered.com/\">Steam</A>\n\t</DL><p>\n"
      "\t<DT><H3 FOLDED id=\"com.apple.ReadingList\">Reading List</H3>\n\t<DL><p>\n"
      "\t\t<DT><A HREF=\"https://www.apple.com/\">Apple</A>\n\t</DL><p>\n</HTML>\n";
  Spit(F("chrome.html"), chrome);
  Spit(F("edge.html"), edge);
  Spit(F("safari.html"), safari);

  const std::string table = MakeTable("run");
  Result r = Run({"import-bookmarks", table, F("chrome.html")});
  ASSERT_EQ(r.code, 0) << r.err;
  r = Run({"import-bookmarks", table, F("edge.html"), "--category", "2"});
  ASSERT_EQ(r.code, 0) << r.err;
  r = Run({"import-bookmarks", "--common", table, F("safari.html"), "--category", "6"});
  ASSERT_EQ(r.code, 0) << r.err;

  const std::vector<Favorite> got = Read(table);
  ASSERT_EQ(got.size(), 6u);
  EXPECT_EQ(got[0].name, "GitHub");
  EXPECT_EQ(got[0].common, 1);
  EXPECT_EQ(got[0].icon, "\\网站图标\\github.com.png");
  EXPECT_EQ(got[1].name, "淘宝");
  EXPECT_EQ(got[1].common, 0);
  EXPECT_EQ(got[1].icon, "\\网站图标\\默认.png");
  EXPECT_EQ(got[2].name, "京东 商城");
  EXPECT_EQ(got[2].category, 4);
  EXPECT_EQ(got[2].common, 0);  // in a subfolder of the bar
  EXPECT_EQ(got[3].name, "天猫");
  EXPECT_EQ(got[3].address, "https://www.tmall.com/");
  EXPECT_EQ(got[4].name, "Steam");
  EXPECT_EQ(got[4].category, 5);
  EXPECT_EQ(got[4].common, 1);
  EXPECT_EQ(got[5].name, "Apple");
  EXPECT_EQ(got[5].category, 6);
}

// Narrow fields: a name cut on a character boundary, an address never cut but skipped,
// icon names kept apart and within their field, --dry-run writing nothing.
TEST_F(BookmarksTest, WidthsCutsSkipsAndUniqueIconNames) {
  const std::string table = MakeTable("run", 8, 60);
  fs::create_directories(F("run/网站图标"));
  Spit(F("run/网站图标/Example.com.png"), "someone's own icon");
  const std::string longAddress = "https://example.com/" + std::string(41, 'x');  // 61 bytes
  std::string file = std::string(kHead) + "<DL><p>\n";
  file += "<DT><A HREF=\"https://example.com/a\" ICON=\"" + DataUri("image/png", Png(8, 1)) + "\">a中文名字</A>\n";
  file += "<DT><A HREF=\"https://example.com/b\" ICON=\"" + DataUri("image/png", Png(8, 2)) + "\">abcdefghij</A>\n";
  file += "<DT><A HREF=\"" + longAddress + "\">too long</A>\n";
  file += "<DT><A HREF=\"https://例子.example/\">not GBK? no: 例子 is GBK</A>\n";
  file += "<DT><A HREF=\"https://x.example/\xF0\x9F\x98\x80\">emoji path</A>\n";
  file += "<DT><A HREF=\"https://www.a-very-long-host-name-for-icons.example/\" ICON=\"" +
          DataUri("image/png", Png(8, 3)) + "\"></A>\n";
  file += "</DL>\n";
  Spit(F("narrow.html"), file);

  const std::string before = Slurp(table);
  Result r = Run({"import-bookmarks", table, F("narrow.html"), "--dry-run"});
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_NE(r.out.find("would import 4 favorites"), std::string::npos) << r.out;
  EXPECT_EQ(Slurp(table), before) << "a dry run writes nothing";
  EXPECT_EQ(std::distance(fs::directory_iterator(F("run/网站图标")), fs::directory_iterator()), 1);

  r = Run({"import-bookmarks", table, F("narrow.html")});
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_NE(r.out.find("skipped (address longer than the table's address field): " + longAddress), std::string::npos)
      << r.out;
  EXPECT_NE(r.out.find("skipped (address with characters the table cannot hold): https://x.example/"),
            std::string::npos)
      << r.out;
  std::vector<Text> raw;
  const std::vector<Favorite> got = Read(table, &raw);
  ASSERT_EQ(got.size(), 4u);
  EXPECT_EQ(raw[0], "a" + Utf8ToGbk("中文名"));  // 7 bytes: the next character would end at 9
  EXPECT_EQ(raw[1], "abcdefgh");
  EXPECT_EQ(got[2].address, "https://例子.example/");
  // The existing icon file is left alone; names differ by case only on no system.
  EXPECT_EQ(got[0].icon, "\\网站图标\\example.com-2.png");
  EXPECT_EQ(got[1].icon, "\\网站图标\\example.com-3.png");
  EXPECT_EQ(Slurp(F("run/网站图标/Example.com.png")), "someone's own icon");
  EXPECT_TRUE(SamePixels(IconOf(table, got[1].icon), DecodePicture(Png(8, 2))));
  // A link without text is named by its address (cut); its icon name fits the field.
  EXPECT_EQ(raw[3], "https://");
  EXPECT_LE(Utf8ToGbk(got[3].icon).size(), 128u);
  EXPECT_EQ(got[3].icon.rfind("\\网站图标\\a-very-long-host-name-for-icons.example", 0), 0u) << got[3].icon;
  EXPECT_TRUE(SamePixels(IconOf(table, got[3].icon), DecodePicture(Png(8, 3))));
}

// Favorites are written one whole record at a time: when the disk refuses one, those
// before it stay, complete, and the message says how many.
TEST_F(BookmarksTest, AFailurePartWayLeavesNoFavoriteAndSaysSo) {
  const std::string table = MakeTable("run");
  std::string file = std::string(kHead) + "<DL><p>\n";
  for (int i = 0; i < 5; ++i)
    file += "<DT><A HREF=\"https://site" + std::to_string(i) + ".example/\">site " + std::to_string(i) + "</A>\n";
  file += "</DL>\n";
  Spit(F("five.html"), file);
  fs::create_directories(F("run/网站图标"));
  const Bytes shipped = Png(8, 1);
  Spit(F("run/网站图标/默认.png"), std::string(shipped.begin(), shipped.end()));
  const auto header = fs::file_size(table);
  // Room for the header and two records of 972 bytes, not three.
  const auto limitKb = (header + 2 * 972 + 1023) / 1024;
  ASSERT_LT(limitKb * 1024, header + 3 * 972);
  Result r = Run({"import-bookmarks", table, F("five.html")},
                 "trap '' XFSZ; ulimit -f " + std::to_string(limitKb) + ";");
  EXPECT_EQ(r.code, 1) << r.out;
  // The favorites are stored in one step: all of them or, as here, none.
  EXPECT_NE(r.err.find("0 favorites were written before it"), std::string::npos) << r.err;
  EXPECT_TRUE(Read(table).empty());
  EXPECT_EQ(Slurp(F("run/网站图标/默认.png")), std::string(shipped.begin(), shipped.end())) << "the shipped icon is kept";

  // An icon that cannot be saved (the icon folder's name is taken by a file) stops the
  // import before its favorite is written.
  const std::string other = MakeTable("run2");
  Spit(F("run2/网站图标"), "not a folder");
  Spit(F("icon.html"), std::string(kHead) + "<DL><DT><A HREF=\"https://i.example/\" ICON=\"" +
                           DataUri("image/png", Png(8, 2)) + "\">i</A></DL>");
  const std::string before = Slurp(other);
  r = Run({"import-bookmarks", other, F("icon.html")});
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.err.find("cannot write"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("0 favorites were written"), std::string::npos) << r.err;
  EXPECT_EQ(Slurp(other), before);
}

}  // namespace
}  // namespace bookmarks_test
