// The bookmark commands at their edges: folders inside category folders, notes of
// folders, favorites outside the bar's categories, icons at and over the size bound,
// and icons that do not decode.

#include <algorithm>

#include "bookmarks_fixture.h"
#include "bookmarks_html.h"
#include "favorites_layout.h"

namespace bookmarks_test {
namespace {

const char kHead[] = "<!DOCTYPE NETSCAPE-Bookmark-file-1>\n<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=UTF-8\">\n";

std::string Folder(const std::string& name, const std::string& inside) {
  return "<DT><H3>" + name + "</H3>\n<DL><p>\n" + inside + "</DL><p>\n";
}

std::string Link(const std::string& address, const std::string& title, const std::string& icon = "") {
  return "<DT><A HREF=\"" + address + "\"" + (icon.empty() ? "" : " ICON=\"" + icon + "\"") + ">" + title + "</A>\n";
}

class BookmarkEdges : public BookmarksTest {
 protected:
  // A file of `body` inside the outer list, imported into a fresh table; its favorites.
  std::vector<Favorite> Import(const std::string& body, Result* result = nullptr) {
    const std::string table = MakeTable("run");
    Spit(F("in.html"), std::string(kHead) + "<DL><p>\n" + body + "</DL><p>\n");
    Result r = Run({"import-bookmarks", table, F("in.html"), "--category", "2"});
    EXPECT_EQ(r.code, 0) << r.err;
    if (result) *result = r;
    return Read(table);
  }
  // The files of the run directory's icon folder.
  std::vector<std::string> IconFiles() {
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(F("run") + "/网站图标", ec)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }
};

TEST_F(BookmarkEdges, TheNearestCategoryFolderWins) {
  const std::vector<Favorite> got =
      Import(Folder("学习", Folder("游戏", Link("https://a.example/", "a")) + Link("https://b.example/", "b")) +
             Folder("游戏", Folder("plain", Folder("学习", Link("https://c.example/", "c")) + Link("https://d.example/", "d"))) +
             Folder("plain", Link("https://e.example/", "e")));
  ASSERT_EQ(got.size(), 5u);
  EXPECT_EQ(got[0].category, 5) << "学习 > 游戏 > a";
  EXPECT_EQ(got[1].category, 0) << "学习 > b";
  EXPECT_EQ(got[2].category, 0) << "游戏 > plain > 学习 > c";
  EXPECT_EQ(got[3].category, 5) << "游戏 > plain > d";
  EXPECT_EQ(got[4].category, 2) << "plain > e: the category asked for";
}

TEST_F(BookmarkEdges, AFoldersNoteStaysWithTheFolder) {
  edbtool::ParsedBookmarks p;
  std::string error;
  ASSERT_TRUE(edbtool::ParseBookmarksHtml(std::string(kHead) +
                                              "<DL><p>\n" + Link("https://a.example/", "a") +
                                              "<DT><H3>学习</H3>\n<DD>the folder's note\n<DL><p>\n" +
                                              Link("https://b.example/", "b") + "<DD>b's note\n</DL><p>\n</DL><p>\n",
                                          &p, &error))
      << error;
  ASSERT_EQ(p.links.size(), 2u);
  EXPECT_EQ(p.links[0].description, "") << "the link before the folder takes no note of the folder's";
  EXPECT_EQ(p.links[1].description, "b's note");

  // And through the whole import.
  const std::vector<Favorite> got = Import(Link("https://a.example/", "a") +
                                           "<DT><H3>学习</H3>\n<DD>学习 folder\n<DL><p>\n" +
                                           Link("https://b.example/", "b") + "</DL><p>\n");
  ASSERT_EQ(got.size(), 2u);
  EXPECT_EQ(got[0].description, "");
  EXPECT_EQ(got[1].description, "");
  EXPECT_EQ(got[1].category, 0);
}

TEST_F(BookmarkEdges, FavoritesOutsideTheBarsCategoriesAreExported) {
  const int count = static_cast<int>(edbtool::CategoryNames().size());
  const std::string table = MakeTable("from");
  Fill(table, {{"last", "", "https://last.example/", "", "", count - 1, "", 0, ""},
               {"one past", "", "https://past.example/", "", "", count, "", 0, ""},
               {"far past", "", "https://far.example/", "", "", count + 5, "", 1, ""},
               {"below", "", "https://below.example/", "", "", -1, "", 0, ""}});
  Result r = Run({"export-bookmarks", table, F("out.html")});
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_NE(r.out.find("exported 4 favorites (1 common"), std::string::npos) << r.out;
  const std::string html = Slurp(F("out.html"));
  for (const char* address : {"https://last.example/", "https://past.example/", "https://far.example/",
                              "https://below.example/"}) {
    const std::size_t at = html.find(std::string("HREF=\"") + address + "\"");
    ASSERT_NE(at, std::string::npos) << address << " is missing from\n" << html;
    EXPECT_EQ(html.find(address, at + 7), std::string::npos) << address << " twice";
  }
  // Each comes back from the file.
  const std::string to = MakeTable("to");
  r = Run({"import-bookmarks", to, F("out.html")});
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(Read(to).size(), 4u);
}

// A PNG of exactly `size` bytes: a small picture and a private chunk that pads it.
Bytes PngOfSize(std::size_t size) {
  const Bytes small = Png(16, 7);
  const std::size_t afterHeader = 8 + 25;  // the signature and IHDR
  const std::size_t pad = size - small.size() - 12;
  Bytes chunk;
  PngChunk(chunk, "vkPd", Bytes(pad, 0x5A));
  Bytes out;
  out.reserve(size);
  out.insert(out.end(), small.begin(), small.begin() + static_cast<std::ptrdiff_t>(afterHeader));
  out.insert(out.end(), chunk.begin(), chunk.end());
  out.insert(out.end(), small.begin() + static_cast<std::ptrdiff_t>(afterHeader), small.end());
  return out;
}

TEST_F(BookmarkEdges, DataUrisOfIconsAreTakenUpToTheBoundExactly) {
  for (std::size_t size : {edbtool::kMaxIconBytes - 1, edbtool::kMaxIconBytes}) {
    Bytes b;
    const Bytes in(size, 0xA5);
    ASSERT_TRUE(edbtool::DecodeDataUri("data:;base64," + edbtool::Base64Encode(in), &b)) << size;
    EXPECT_EQ(b, in);
  }
  for (std::size_t size : {edbtool::kMaxIconBytes + 1, edbtool::kMaxIconBytes + 2, edbtool::kMaxIconBytes + 3,
                           edbtool::kMaxIconBytes + 4}) {
    Bytes b;
    EXPECT_FALSE(edbtool::DecodeDataUri("data:;base64," + edbtool::Base64Encode(Bytes(size, 0xA5)), &b)) << size;
    EXPECT_TRUE(b.empty());
    EXPECT_FALSE(edbtool::DecodeDataUri("data:," + std::string(size, 'x'), &b)) << size << ", percent-encoded";
    EXPECT_TRUE(b.empty());
  }
}

TEST_F(BookmarkEdges, AnIconOverTheBoundIsNotWritten) {
  const Bytes atBound = PngOfSize(edbtool::kMaxIconBytes);
  const Bytes over = PngOfSize(edbtool::kMaxIconBytes + 1);
  ASSERT_EQ(over.size(), edbtool::kMaxIconBytes + 1);
  ASSERT_FALSE(DecodePicture(atBound).empty());
  ASSERT_FALSE(DecodePicture(over).empty()) << "a sound picture, refused for its size alone";
  Result r;
  const std::vector<Favorite> got = Import(Link("https://at.example/", "at", DataUri("image/png", atBound)) +
                                               Link("https://over.example/", "over", DataUri("image/png", over)),
                                           &r);
  ASSERT_EQ(got.size(), 2u);
  EXPECT_EQ(got[0].icon, "\\网站图标\\at.example.png");
  EXPECT_EQ(got[1].icon, "\\网站图标\\默认.png");
  EXPECT_NE(r.out.find("(1 with their own icon, 1 with the default icon)"), std::string::npos) << r.out;
  EXPECT_EQ(IconFiles(), (std::vector<std::string>{"at.example.png", "默认.png"}));
}

TEST_F(BookmarkEdges, AnIconThatDoesNotDecodeIsNotWritten) {
  Bytes brokenPng = Png(16, 3);
  brokenPng.resize(40);  // the signature and header, then nothing
  Bytes brokenJpeg = Jpeg(16, 3);
  for (std::size_t i = 20; i < brokenJpeg.size() - 2; ++i) brokenJpeg[i] = 0xFF;
  Bytes brokenGif = Gif();
  brokenGif.resize(13);
  const Bytes notBmp = {'B', 'M', 1, 2, 3};
  Result r;
  const std::vector<Favorite> got = Import(Link("https://png.example/", "png", DataUri("image/png", brokenPng)) +
                                               Link("https://jpg.example/", "jpg", DataUri("image/jpeg", brokenJpeg)) +
                                               Link("https://gif.example/", "gif", DataUri("image/gif", brokenGif)) +
                                               Link("https://bmp.example/", "bmp", DataUri("image/bmp", notBmp)) +
                                               Link("https://ok.example/", "ok", DataUri("image/png", Png(16, 3))),
                                           &r);
  ASSERT_EQ(got.size(), 5u);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(got[i].icon, "\\网站图标\\默认.png") << got[i].name;
  EXPECT_EQ(got[4].icon, "\\网站图标\\ok.example.png");
  EXPECT_NE(r.out.find("(1 with their own icon, 4 with the default icon)"), std::string::npos) << r.out;
  EXPECT_EQ(IconFiles(), (std::vector<std::string>{"ok.example.png", "默认.png"}));
}

}  // namespace
}  // namespace bookmarks_test
