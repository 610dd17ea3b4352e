// export-bookmarks and export-accounts, and the round trip back through import-bookmarks;
// damaged, foreign and huge files handed to import-bookmarks.

#include <sys/stat.h>

#include <algorithm>
#include <random>

#include "bookmarks_fixture.h"

namespace bookmarks_test {
namespace {

// Favorites of every category, common and not, with icons of each kind and texts that
// need escaping.
std::vector<Favorite> Sample(BookmarksTest*, const std::string& run) {
  fs::create_directories(run + "/网站图标");
  auto write = [&](const std::string& name, const Bytes& b) { Spit(run + "/网站图标/" + name, std::string(b.begin(), b.end())); };
  write("a.png", Png(16, 1));
  write("b.jpg", Jpeg(24, 2));
  write("c.gif", Gif());
  write("d.ico", Ico(4));
  std::vector<Favorite> f;
  const char* icons[] = {"\\网站图标\\a.png", "\\网站图标\\b.jpg", "\\网站图标\\c.gif", "\\网站图标\\d.ico"};
  for (int i = 0; i < 9; ++i) {
    Favorite x;
    x.name = "站点" + std::to_string(i) + (i == 3 ? " \"Q&A\" <b>" : "");
    x.icon = icons[i % 4];
    x.address = "https://s" + std::to_string(i) + ".example.com/p?a=1&b=\"2\"";
    x.category = i % 8 == 7 ? 9 : i % 7;  // one outside the bar's categories
    x.common = i % 2;
    x.description = i % 3 ? "描述 " + std::to_string(i) : "";
    x.sound = "\\声音\\点击声音\\咚.wav";
    if (i == 2) x.account = "user,\"quoted\"", x.password = "p@ss\nword";
    if (i == 5) x.password = "only-a-password";
    f.push_back(x);
  }
  return f;
}

TEST_F(BookmarksTest, ExportThenImportIntoAnEmptyTableGivesTheSameFavorites) {
  const std::string from = MakeTable("from");
  const std::vector<Favorite> sample = Sample(this, F("from"));
  Fill(from, sample);
  Result r = Run({"export-bookmarks", from, F("out.html")});
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_NE(r.out.find("exported 9 favorites (4 common, 9 with icons)"), std::string::npos) << r.out;
  const std::string html = Slurp(F("out.html"));
  EXPECT_EQ(html.rfind("<!DOCTYPE NETSCAPE-Bookmark-file-1>\n", 0), 0u);
  EXPECT_NE(html.find("<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=UTF-8\">"), std::string::npos);
  EXPECT_NE(html.find("<DT><H3 PERSONAL_TOOLBAR_FOLDER=\"true\">常用</H3>"), std::string::npos);
  EXPECT_EQ(html.find("only-a-password"), std::string::npos) << "no password goes into a bookmarks file";
  EXPECT_EQ(html.find("user,"), std::string::npos) << "no account goes into a bookmarks file";
  // Each favorite once.
  for (const Favorite& f : sample) {
    const std::size_t at = html.find("s" + f.address.substr(9, 1) + ".example.com");
    ASSERT_NE(at, std::string::npos);
    EXPECT_EQ(html.find("s" + f.address.substr(9, 1) + ".example.com", at + 1), std::string::npos);
  }

  const std::string to = MakeTable("to");
  r = Run({"import-bookmarks", to, F("out.html")});
  ASSERT_EQ(r.code, 0) << r.err;
  std::vector<Favorite> back = Read(to);
  ASSERT_EQ(back.size(), sample.size());
  for (const Favorite& want : sample) {
    auto got = std::find_if(back.begin(), back.end(), [&](const Favorite& b) { return b.address == want.address; });
    ASSERT_NE(got, back.end()) << want.address;
    EXPECT_EQ(got->name, want.name);
    EXPECT_EQ(got->common, want.common) << want.name;
    EXPECT_EQ(got->category, want.category == 9 ? 0 : want.category) << want.name;
    EXPECT_EQ(got->description, want.description);
    EXPECT_EQ(got->account, "");
    EXPECT_TRUE(SamePixels(IconOf(to, got->icon), IconOf(from, want.icon))) << want.name << " " << got->icon;
  }
}

TEST_F(BookmarksTest, AccountsGoToAPrivateCsvWithAWarning) {
  const std::string table = MakeTable("run");
  Fill(table, Sample(this, F("run")));
  Spit(F("accounts.csv"), "an older export");
  chmod(F("accounts.csv").c_str(), 0644);
  Result r = Run({"export-accounts", table, F("accounts.csv")}, "umask 000;");
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_NE(r.err.find("warning"), std::string::npos);
  EXPECT_NE(r.err.find("plain text"), std::string::npos);
  struct stat st;
  ASSERT_EQ(stat(F("accounts.csv").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  EXPECT_EQ(Slurp(F("accounts.csv")),
            "\"Group\",\"Title\",\"Username\",\"Password\",\"URL\",\"Notes\"\r\n"
            "\"资源\",\"站点2\",\"user,\"\"quoted\"\"\",\"p@ss\nword\",\"https://s2.example.com/p?a=1&b=\"\"2\"\"\","
            "\"描述 2\"\r\n"
            "\"游戏\",\"站点5\",\"\",\"only-a-password\",\"https://s5.example.com/p?a=1&b=\"\"2\"\"\",\"描述 5\"\r\n");
  EXPECT_FALSE(fs::exists(F("accounts.csv.tmp-") + std::to_string(getpid())));
}

// Each bad file: a clear message, exit status 1, the table and its folder untouched.
TEST_F(BookmarksTest, BadFilesAreRefusedAndTheTableStaysByteForByte) {
  const std::string table = MakeTable("run");
  Fill(table, {{"百度", "\\网站图标\\baidu.png", "https://www.baidu.com/", "", "", 0, "", 1, ""}});
  const std::string before = Slurp(table);

  std::string good = "<!DOCTYPE NETSCAPE-Bookmark-file-1>\n<DL><p>\n";
  for (int i = 0; i < 50; ++i)
    good += "<DT><A HREF=\"https://t" + std::to_string(i) + ".example/\" ICON=\"" + DataUri("image/png", Png(16, i)) +
            "\">t" + std::to_string(i) + "</A>\n";
  good += "</DL><p>\n";
  std::mt19937 random(7);
  std::string noise(100000, '\0');
  for (char& c : noise) c = static_cast<char>(random());

  struct Case {
    std::string name, bytes, says;
  } cases[] = {
      {"page.html", "<!DOCTYPE html><html><body><a href=\"https://x.example/\">x</a></body></html>",
       "not a bookmarks file"},
      {"cut-in-tag.html", good.substr(0, good.size() / 2), "cut short"},
      {"cut-between.html", good.substr(0, good.rfind("</DL>")), "cut short"},
      {"noise.bin", noise, "not a bookmarks file"},
      {"empty.html", "", "not a bookmarks file"},
      {"nolist.html", "<!DOCTYPE NETSCAPE-Bookmark-file-1>\n<TITLE>Bookmarks</TITLE>\n", "no <DL> list"},
  };
  for (const Case& c : cases) {
    Spit(F(c.name), c.bytes);
    Result r = Run({"import-bookmarks", table, F(c.name)});
    EXPECT_EQ(r.code, 1) << c.name;
    EXPECT_NE(r.err.find(c.says), std::string::npos) << c.name << ": " << r.err;
    EXPECT_NE(r.err.find("nothing was imported"), std::string::npos) << c.name << ": " << r.err;
    EXPECT_EQ(Slurp(table), before) << c.name;
  }
  // 50 MB, made here: refused by its size before it is read.
  {
    std::ofstream big(F("big.html"), std::ios::binary);
    big << good.substr(0, good.size() - 10);
    const std::string filler = "<DT><A HREF=\"https://filler.example/\">filler</A>\n";
    for (std::size_t n = good.size(); n < 50u * 1024 * 1024; n += filler.size()) big << filler;
    big << "</DL><p>\n";
  }
  Result r = Run({"import-bookmarks", table, F("big.html")});
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.err.find("are not read"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("nothing was imported"), std::string::npos) << r.err;
  r = Run({"import-bookmarks", table, F("missing.html")});
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.err.find("no such file"), std::string::npos) << r.err;
  // Not a favorites table.
  const std::string other = F("other.edb");
  ASSERT_TRUE(CreateRecordFile(ProgramPath(other), {{"a", kTypeText, 8}}));
  const std::string otherBefore = Slurp(other);
  Spit(F("good.html"), good);
  r = Run({"import-bookmarks", other, F("good.html")});
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.err.find("not a favorites table"), std::string::npos) << r.err;
  EXPECT_EQ(Slurp(other), otherBefore);
  EXPECT_EQ(Slurp(table), before);
  EXPECT_FALSE(fs::exists(F("run/网站图标"))) << "no icon was written for a refused file";
  // Options.
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"import-bookmarks", table}, {"import-bookmarks", table, F("good.html"), "--category", "7"},
        {"import-bookmarks", table, F("good.html"), "--category"}, {"import-bookmarks", table, F("good.html"), "--nope"},
        {"export-bookmarks", table}, {"export-accounts", table}}) {
    r = Run(args);
    EXPECT_EQ(r.code, 1) << args.back();
    EXPECT_NE(r.err.find("usage:"), std::string::npos) << r.err;
  }
  // And the good file goes in.
  r = Run({"import-bookmarks", table, F("good.html")});
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(Read(table).size(), 51u);
}

}  // namespace
}  // namespace bookmarks_test
