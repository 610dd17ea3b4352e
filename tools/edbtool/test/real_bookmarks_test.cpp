// import-bookmarks and export-bookmarks on bookmark files real browsers and services
// wrote (data/bookmarks-real, SOURCES.md there), held against a reading of each file by
// Python's own HTML parser, and on files in old code pages made here.

#include <algorithm>
#include <map>
#include <sstream>

#include "bookmarks_charset.h"
#include "bookmarks_fixture.h"

namespace bookmarks_test {
namespace {

// Per link: whether it should become a favorite (an http(s) address GBK holds, within
// the address field, not seen before in the file), its address, and the name expected:
// white space and no-break spaces collapsed, characters GBK lacks as '?', cut at 64
// bytes on a character boundary, trailing spaces dropped.
const char kOracle[] = R"PY(
import sys, re, html.parser, codecs
codecs.register_error('each', lambda e: ('\ufffd', e.start + 1))

def ok(c):
    try: c.encode('gbk'); return True
    except UnicodeEncodeError: return False

def cut(b, width):
    i = 0
    while i < len(b):
        n = 2 if b[i] >= 0x81 else 1
        if i + n > width: break
        i += n
    return b[:i].rstrip(b' ')

class P(html.parser.HTMLParser):
    def __init__(self):
        super().__init__(convert_charrefs=True)
        self.links, self.cur = [], None
    def done(self):
        if self.cur is not None: self.links.append(self.cur)
        self.cur = None
    def handle_starttag(self, tag, attrs):
        if tag in ('a', 'dt', 'dd', 'h3', 'dl'): self.done()
        if tag == 'a': self.cur = [(dict(attrs).get('href') or '').strip(), '']
    def handle_endtag(self, tag):
        if tag == 'a': self.done()
    def handle_data(self, d):
        if self.cur is not None: self.cur[1] += d

for path in sys.argv[1:]:
    print('\f' + path)
    raw = open(path, 'rb').read()
    head = raw[:65536].decode('latin-1').lower()
    end = head.find('<dl')
    m = re.search(r'<meta[^>]*charset\s*=\s*["\']?([a-z0-9_.:-]+)', head if end < 0 else head[:end])
    cs = m.group(1) if m else 'utf-8'
    cs = {'x-mac-roman': 'mac_roman', 'x-mac-system': 'mac_roman', 'gb2312': 'gbk'}.get(cs, cs)
    # A byte the charset does not know stands for one U+FFFD, as edbtool counts them.
    text = raw.decode(cs, errors='each')
    # Only references that end in ';' are references: '&sect' in 'a=1&section=2' is text.
    text = re.sub(r'&(?!#?[A-Za-z0-9]+;)', '&amp;', text)
    p = P(); p.feed(text); p.close(); p.done()
    seen = set()
    for href, title in p.links:
        title = ' '.join(t for t in re.split('[ \t\r\n\f\u00a0]+', title) if t)
        web = (re.match(r'(?i)https?://', href) is not None and all(ok(c) for c in href)
               and len(href.encode('gbk')) <= 256 and href not in seen)
        if web: seen.add(href)
        name = b''.join(c.encode('gbk') if ok(c) else b'?' for c in (title or href))
        print('%d\t%s\t%s' % (web, re.sub('[\t\n\r\f]', ' ', href), cut(name, 64).decode('gbk')))
)PY";

struct OracleLink {
  bool web = false;
  std::string href, name;
};

const std::vector<std::string>& RealFiles() {
  static const std::vector<std::string> files = [] {
    std::vector<std::string> out;
    for (const auto& e : fs::directory_iterator(BOOKMARKS_REAL_DIR))
      if (e.path().extension() != ".md" && e.path().filename().string()[0] != '.') out.push_back(e.path().string());
    std::sort(out.begin(), out.end());
    return out;
  }();
  return files;
}

// Files that are not bookmark files: Pocket's own export, and one whose owner cut its
// first lines with the doctype.
bool Refused(const std::string& path) {
  const std::string name = fs::path(path).filename().string();
  return name == "pocket_calibr.html" || name == "edge_nodoctype_virtualguk.html";
}

// The number after `label` in `text` ("from 90 links" -> 90), -1 when absent.
long NumberAfter(const std::string& text, const std::string& label) {
  const std::size_t at = text.find(label);
  return at == std::string::npos ? -1 : std::atol(text.c_str() + at + label.size());
}

// Every "skipped N: ..." line added up.
long Skipped(const std::string& out) {
  long sum = 0;
  std::istringstream lines(out);
  for (std::string line; std::getline(lines, line);)
    if (line.rfind("skipped ", 0) == 0 && line.find(':') != std::string::npos && line[8] != '(')
      sum += std::atol(line.c_str() + 8);
  return sum;
}

class RealBookmarksTest : public BookmarksTest {
 protected:
  // The oracle's links of every real file, by path: one Python for them all.
  std::map<std::string, std::vector<OracleLink>> Oracle() {
    Spit(F("oracle.py"), kOracle);
    std::string cmd = "python3 " + Quote(F("oracle.py"));
    for (const std::string& path : RealFiles()) cmd += " " + Quote(path);
    EXPECT_EQ(std::system((cmd + " >" + Quote(F("oracle.out"))).c_str()), 0);
    std::map<std::string, std::vector<OracleLink>> out;
    std::vector<OracleLink>* links = nullptr;
    std::istringstream lines(Slurp(F("oracle.out")));
    for (std::string line; std::getline(lines, line);) {
      if (!line.empty() && line[0] == '\f') {
        links = &out[line.substr(1)];
        continue;
      }
      const std::size_t a = line.find('\t'), b = line.find('\t', a + 1);
      if (links && b != std::string::npos) links->push_back({line[0] == '1', line.substr(a + 1, b - a - 1), line.substr(b + 1)});
    }
    return out;
  }

  // Icons decoded once per file: most favorites share the default icon.
  const Image& Icon(const std::string& table, const std::string& iconPath) {
    const std::string key = table + "|" + iconPath;
    auto it = icons_.find(key);
    if (it == icons_.end()) it = icons_.emplace(key, IconOf(table, iconPath)).first;
    return it->second;
  }

  std::map<std::string, Favorite> ByAddress(const std::string& table) {
    std::map<std::string, Favorite> out;
    for (const Favorite& f : Read(table)) EXPECT_TRUE(out.emplace(f.address, f).second) << f.address;
    return out;
  }

  std::map<std::string, Image> icons_;
};

TEST_F(RealBookmarksTest, EveryRealFileAgreesWithAnIndependentReadingAndSurvivesExportAndImport) {
  ASSERT_EQ(RealFiles().size(), 30u);
  std::map<std::string, std::vector<OracleLink>> oracle = Oracle();
  ASSERT_EQ(oracle.size(), 30u);
  int run = 0;
  for (const std::string& path : RealFiles()) {
    SCOPED_TRACE(path);
    if (Refused(path)) continue;
    const std::vector<OracleLink>& links = oracle[path];
    const std::string table = MakeTable("t" + std::to_string(run++));
    const Result r = Run({"import-bookmarks", table, path});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(NumberAfter(r.out, "imported "), NumberAfter(r.out, "from ") - Skipped(r.out)) << r.out;
    EXPECT_EQ(NumberAfter(r.out, "from "), static_cast<long>(links.size())) << r.out;

    const std::map<std::string, Favorite> stored = ByAddress(table);
    long web = 0;
    for (const OracleLink& l : links) {
      if (!l.web) continue;
      ++web;
      auto it = stored.find(l.href);
      if (it == stored.end()) {
        ADD_FAILURE() << "not imported: " << l.href;
        continue;
      }
      EXPECT_EQ(it->second.name, l.name) << l.href;
    }
    EXPECT_EQ(static_cast<long>(stored.size()), web) << r.out;
    // Every stored icon draws; those of their own are as many as the summary says.
    int withOwnIcon = 0;
    for (const auto& [address, f] : stored) {
      EXPECT_FALSE(Icon(table, f.icon).empty()) << address << " " << f.icon;
      if (f.icon != "\\网站图标\\默认.png") ++withOwnIcon;
    }
    EXPECT_EQ(withOwnIcon, NumberAfter(r.out, "favorites (")) << r.out;

    // Exported and imported into a fresh table: the same favorites.
    const std::string second = MakeTable("r" + std::to_string(run));
    Result e = Run({"export-bookmarks", table, F("again.html")});
    ASSERT_EQ(e.code, 0) << e.err;
    e = Run({"import-bookmarks", second, F("again.html")});
    ASSERT_EQ(e.code, 0) << e.err;
    const std::map<std::string, Favorite> after = ByAddress(second);
    ASSERT_EQ(stored.size(), after.size()) << e.out;
    for (const auto& [address, a] : stored) {
      auto it = after.find(address);
      ASSERT_NE(it, after.end()) << address;
      const Favorite& b = it->second;
      EXPECT_EQ(a.name, b.name) << address;
      EXPECT_EQ(a.category, b.category) << address;
      EXPECT_EQ(a.common, b.common) << address;
      EXPECT_EQ(a.description, b.description) << address;
      EXPECT_TRUE(SamePixels(Icon(table, a.icon), Icon(second, b.icon))) << address;
    }
  }
}

TEST_F(RealBookmarksTest, FilesWithoutTheBookmarksDoctypeAreRefused) {
  const std::string table = MakeTable("run");
  const std::string before = Slurp(table);
  for (const std::string& path : RealFiles()) {
    if (!Refused(path)) continue;
    const Result r = Run({"import-bookmarks", table, path});
    EXPECT_EQ(r.code, 1) << path;
    EXPECT_NE(r.err.find("not a bookmarks file: no <!DOCTYPE NETSCAPE-Bookmark-file-1> before its first list"),
              std::string::npos)
        << r.err;
    EXPECT_EQ(r.out, "");
  }
  EXPECT_EQ(Slurp(table), before);
}

// Old browsers wrote their system's code page and said so in the <META>.
TEST_F(RealBookmarksTest, DeclaredCodePagesAreReadCharacterForCharacter) {
  const std::string gbkFile = "<!DOCTYPE NETSCAPE-Bookmark-file-1>\n<META HTTP-EQUIV=\"Content-Type\" "
                              "CONTENT=\"text/html; charset=GBK\">\n<DL><p>\n<DT><H3>" + Utf8ToGbk("学习") + "</H3>\n<DL><p>\n"
                              "<DT><A HREF=\"https://www.zhihu.com/\">" + Utf8ToGbk("知乎 - 有问题，就会有答案") +
                              "</A>\n<DD>" + Utf8ToGbk("中文问答社区") + "\n</DL><p>\n"
                              "<DT><H3>" + Utf8ToGbk("游戏") + "</H3>\n<DL><p>\n"
                              "<DT><A HREF=\"https://www.4399.com/\">" + Utf8ToGbk("小游戏大全") + "</A>\n</DL><p>\n</DL><p>\n";
  // Mac OS Roman: 0x8E é, 0x9A ö, 0x87 á, 0xA5 •, 0xCA a no-break space, 0xD5 ’.
  const std::string macFile = "<HTML>\n<!DOCTYPE NETSCAPE-Bookmark-file-1>\n<META HTTP-EQUIV=\"Content-Type\" "
                              "CONTENT=\"text/html; charset=x-mac-roman\">\n<DL><p>\n"
                              "<DT><A HREF=\"https://cafe.example/\">Caf\x8E d\x87y</A>\n"
                              "<DT><A HREF=\"https://koeln.example/\">K\x9Aln\xCA\xA5 Dom\xD5s</A>\n</DL><p>\n";
  Spit(F("gbk.html"), gbkFile);
  Spit(F("mac.html"), macFile);
  const std::string table = MakeTable("run");
  Result r = Run({"import-bookmarks", table, F("gbk.html"), "--category", "2"});
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.out.find("changed by the code page"), std::string::npos) << r.out;
  r = Run({"import-bookmarks", table, F("mac.html")});
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_NE(r.out.find("1 name changed by the code page: characters GBK lacks stored as '?', in \"Köln • Dom’s\"\n"),
            std::string::npos)
      << r.out;

  const std::vector<Favorite> got = Read(table);
  ASSERT_EQ(got.size(), 4u);
  EXPECT_EQ(got[0].name, "知乎 - 有问题，就会有答案");
  EXPECT_EQ(got[0].description, "中文问答社区");
  EXPECT_EQ(got[0].category, 0);
  EXPECT_EQ(got[1].name, "小游戏大全");
  EXPECT_EQ(got[1].category, 5);  // a folder name in the file's own code page
  // é and á are in GBK; ö is not, nor is the bullet; the no-break space is a space.
  EXPECT_EQ(got[2].name, "Café dáy");
  EXPECT_EQ(got[3].name, "K?ln ? Dom’s");
}

TEST_F(RealBookmarksTest, BytesInvalidInTheDeclaredCharsetAreCountedAndUnknownCharsetsRefused) {
  const std::string table = MakeTable("run");
  Spit(F("broken.html"), "<!DOCTYPE NETSCAPE-Bookmark-file-1>\n<META CHARSET=\"utf-8\">\n<DL><p>\n"
                         "<DT><A HREF=\"https://a.example/\">Caf\xE9 \xFF\xFE</A>\n</DL><p>\n");
  Result r = Run({"import-bookmarks", table, F("broken.html")});
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_NE(r.out.find("3 bytes are not valid utf-8 in the file"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("1 name changed by the code page"), std::string::npos) << r.out;

  Spit(F("klingon.html"), "<!DOCTYPE NETSCAPE-Bookmark-file-1>\n<META HTTP-EQUIV=\"Content-Type\" "
                          "CONTENT=\"text/html; charset=x-klingon\">\n<DL><p>\n"
                          "<DT><A HREF=\"https://b.example/\">b</A>\n</DL><p>\n");
  r = Run({"import-bookmarks", table, F("klingon.html")});
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.err.find("character set x-klingon, which this program does not read"), std::string::npos) << r.err;
  EXPECT_EQ(Read(table).size(), 1u);
}

// Names cut at the field right after a space, folders named in either language, the
// toolbar's own links common, and the same again after export and import.
TEST_F(RealBookmarksTest, CutNamesCategoryFoldersAndTheToolbarSurviveARoundTrip) {
  const std::string name63 = std::string(63, 'x') + " tail";  // the cut falls after the space
  const std::string file =
      "<!-- exported -->\n<!DOCTYPE NETSCAPE-Bookmark-file-1>\n<DL><p>\n"
      "<DT><H3 PERSONAL_TOOLBAR_FOLDER=\"true\">Bookmarks bar</H3>\n<DL><p>\n"
      "<DT><A HREF=\"https://bar.example/\">On&nbsp;the\xC2\xA0" "bar</A>\n"
      "<DT><H3>Games</H3>\n<DL><p>\n<DT><A HREF=\"https://steam.example/\">Steam</A>\n</DL><p>\n"
      "</DL><p>\n"
      "<DT><H3>TOOLS</H3>\n<DL><p>\n"
      "<DT><H3>misc</H3>\n<DL><p>\n<DT><A HREF=\"https://misc.example/\">" + name63 + "</A>\n"
      "<DD>" + std::string(255, 'd') + " e\n</DL><p>\n"
      "<DT><H3>Music</H3>\n<DL><p>\n<DT><A HREF=\"https://music.example/\">Music</A>\n</DL><p>\n"
      "</DL><p>\n"
      "<DT><H3>Reading</H3>\n<DL><p>\n<DT><A HREF=\"https://read.example/\">Read</A>\n</DL><p>\n"
      "<DT><H3>手机</H3>\n<DL><p>\n<DT><A HREF=\"file:///sdcard/a.apk\">Local</A>\n</DL><p>\n"
      "</DL><p>\n";
  Spit(F("in.html"), file);
  const std::string first = MakeTable("a");
  Result r = Run({"import-bookmarks", first, F("in.html"), "--category", "6"});
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_NE(r.out.find("skipped 1: not a web address\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("by category: 学习 0 论坛 0 资源 1 影音 1 购物 0 游戏 1 手机 2\n1 of 5 marked common\n"),
            std::string::npos)
      << r.out;
  std::map<std::string, Favorite> got = ByAddress(first);
  ASSERT_EQ(got.size(), 5u);
  EXPECT_EQ(got["https://bar.example/"].name, "On the bar");
  EXPECT_EQ(got["https://bar.example/"].common, 1);
  EXPECT_EQ(got["https://bar.example/"].category, 6);
  EXPECT_EQ(got["https://steam.example/"].common, 0);  // a subfolder of the bar
  EXPECT_EQ(got["https://steam.example/"].category, 5);
  EXPECT_EQ(got["https://misc.example/"].name, std::string(63, 'x'));
  EXPECT_EQ(got["https://misc.example/"].description, std::string(255, 'd'));
  EXPECT_EQ(got["https://misc.example/"].category, 2);  // through the plain folder
  EXPECT_EQ(got["https://music.example/"].category, 3);  // the nearest folder wins
  EXPECT_EQ(got["https://read.example/"].category, 6);

  ASSERT_EQ(Run({"export-bookmarks", first, F("out.html")}).code, 0);
  const std::string second = MakeTable("b");
  r = Run({"import-bookmarks", second, F("out.html")});
  ASSERT_EQ(r.code, 0) << r.err;
  const std::map<std::string, Favorite> again = ByAddress(second);
  ASSERT_EQ(again.size(), got.size());
  for (const auto& [address, f] : again) {
    EXPECT_EQ(f.name, got[address].name);
    EXPECT_EQ(f.category, got[address].category) << address;
    EXPECT_EQ(f.common, got[address].common) << address;
    EXPECT_EQ(f.description, got[address].description);
  }

  // With --keep-local the local file comes too, and --common marks everything.
  const std::string third = MakeTable("c");
  r = Run({"import-bookmarks", third, F("in.html"), "--keep-local", "--common"});
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_NE(r.out.find("6 of 6 marked common"), std::string::npos) << r.out;
  EXPECT_EQ(ByAddress(third)["file:///sdcard/a.apk"].category, 6);
}

TEST(BookmarksCharset, TheHeadsDeclarationNamesTheCharsetAndOldNamesMapToIconvs) {
  using edbtool::DeclaredCharset;
  using edbtool::IconvName;
  EXPECT_EQ(DeclaredCharset("<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=X-MAC-SYSTEM\">\n<DL>"),
            "X-MAC-SYSTEM");
  EXPECT_EQ(DeclaredCharset("<meta charset='gb2312'/><dl>"), "gb2312");
  EXPECT_EQ(DeclaredCharset("<meta name=x content=y><meta charset=Big5><DL>"), "Big5");
  // A title or a link that says charset= is no declaration.
  EXPECT_EQ(DeclaredCharset("<TITLE>charset=koi8-r</TITLE><DL><p><META charset=koi8-r>"), "");
  EXPECT_EQ(DeclaredCharset("<DL><p>"), "");

  EXPECT_EQ(IconvName("x-mac-roman"), "MACINTOSH");
  EXPECT_EQ(IconvName("X-MAC-SYSTEM"), "MACINTOSH");
  EXPECT_EQ(IconvName("GB2312"), "GBK");
  EXPECT_EQ(IconvName("gb18030"), "GB18030");
  EXPECT_EQ(IconvName("Windows-1251"), "WINDOWS-1251");
  EXPECT_EQ(IconvName("windows-1259"), "");
  EXPECT_EQ(IconvName("ISO-8859-15"), "ISO-8859-15");
  EXPECT_EQ(IconvName("iso-8859-x"), "");
  EXPECT_EQ(IconvName("UTF-8"), "UTF-8");

  // Every name IconvName gives is one this system converts.
  for (const char* name : {"utf-8", "gbk", "gb18030", "big5", "x-mac-roman", "windows-1250", "windows-1258",
                           "iso-8859-1", "iso-8859-16", "shift_jis", "euc-kr", "koi8-u"}) {
    edbtool::Utf8Text out;
    std::string error;
    EXPECT_TRUE(edbtool::ToUtf8("abc", IconvName(name), &out, &error)) << name << ": " << error;
    EXPECT_EQ(out.text, "abc") << name;
  }
  edbtool::Utf8Text out;
  std::string error;
  ASSERT_TRUE(edbtool::ToUtf8("\xEF\xBB\xBFok \xC3\xA9\xE2\x82", "UTF-8", &out, &error));
  EXPECT_EQ(out.text, "ok \xC3\xA9\xEF\xBF\xBD\xEF\xBF\xBD");  // the cut-off character: two bytes, two counted
  EXPECT_EQ(out.invalidBytes, 2);
}

}  // namespace
}  // namespace bookmarks_test
