// The real program under a real X server (Xvfb), started on a favorites table that an
// import of 200 bookmarks filled: page 1 of the common list shows the first 30 with
// their own icons, and a click on an icon (xdotool, as a user's hands) opens the
// imported address. Skipped without Xvfb, xdotool or the program (failed instead in CI).

#include <signal.h>

#include <array>
#include <chrono>
#include <thread>

#include "bookmarks_fixture.h"
#include "support/x_session.h"

namespace bookmarks_test {
namespace {

using namespace x_session;

const char kTitle[] = "Vinkabo_Tamsor专用";
constexpr int kWindowLeft = 50, kWindowTop = 50;
constexpr int kBoardLeft = 25, kBoardTop = 155;  // 动画框1

void Pause(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

// The solid colour of bookmark k's icon: all 200 differ, none is grey.
std::array<std::uint8_t, 3> Colour(int k) {
  return {static_cast<std::uint8_t>(40 + (k * 53) % 200), static_cast<std::uint8_t>(20 + (k * 29) % 60),
          static_cast<std::uint8_t>(230 - (k * 7) % 100)};
}

Bytes SolidPng(int k) {
  std::vector<std::uint8_t> px(32 * 32 * 4);
  const auto c = Colour(k);
  for (std::size_t i = 0; i < px.size(); i += 4) px[i] = c[0], px[i + 1] = c[1], px[i + 2] = c[2], px[i + 3] = 255;
  return EncodePngRgba(32, 32, px.data());
}

class ImportRealWindow : public BookmarksTest {
 protected:
  void SetUp() override {
    BookmarksTest::SetUp();
    template_ = fs::path(VK_BINARY_DIR) / "run";
    X_SESSION_REQUIRE(OnPath("Xvfb") && OnPath("xdotool"), "needs Xvfb and xdotool");
    X_SESSION_REQUIRE(fs::exists(template_ / "vinkabo"), "the program is not built: " << template_);
    display_ = x_.Start();
    ASSERT_FALSE(display_.empty()) << "Xvfb did not start";
  }
  void TearDown() override {
    Kill(app_, SIGKILL);
    BookmarksTest::TearDown();
  }

  std::vector<std::string> Env() const { return LoopbackEnv(display_, F("run/bin")); }
  std::vector<std::string> Xdotool(std::vector<std::string> args) const {
    args.insert(args.begin(), "xdotool");
    return OutputLines(args, Env());
  }

  // A picture of part of the screen, through test_qt's grab mode.
  Image Grab(int x, int y, int w, int h) {
    std::vector<std::string> env = Env();
    env.push_back("VK_GRAB_TO=" + F("grab.png"));
    env.push_back("VK_GRAB_RECT=" + std::to_string(x) + "," + std::to_string(y) + "," + std::to_string(w) + "," +
                  std::to_string(h));
    fs::remove(F("grab.png"));
    OutputLines({(fs::path(VK_BINARY_DIR) / "test_qt").string(), "--gtest_filter=ScreenGrab.*"}, env);
    return DecodePicture(ReadFileBytes(ProgramPath(F("grab.png"))));
  }

  fs::path template_;
  std::string display_, main_;
  XServer x_;
  pid_t app_ = -1;
};

TEST_F(ImportRealWindow, TheProgramShowsTheImportedFavoritesWithTheirIcons) {
  // The shipped run directory with an empty favorites table of the shipped widths.
  fs::copy(template_, F("run"), fs::copy_options::recursive);
  fs::remove(F("run/数据库.edb"));
  const std::string table = MakeTable("run");
  fs::create_directories(F("run/bin"));
  Spit(F("run/bin/xdg-open"), "#!/bin/sh\necho \"$1\" >> '" + F("run/opened") + "'\n");
  fs::permissions(F("run/bin/xdg-open"), fs::perms::owner_all);

  // 200 bookmarks in category folders of the toolbar, all marked common by --common.
  std::string file = "<!DOCTYPE NETSCAPE-Bookmark-file-1>\n<TITLE>Bookmarks</TITLE>\n<DL><p>\n"
                     "<DT><H3 PERSONAL_TOOLBAR_FOLDER=\"true\">Bookmarks bar</H3>\n<DL><p>\n";
  for (int k = 0; k < 200; ++k) {
    if (k % 40 == 0) file += (k ? "</DL><p>\n" : "") + std::string("<DT><H3>") + (k / 40 % 2 ? "论坛" : "游戏") +
                             "</H3>\n<DL><p>\n";
    file += "<DT><A HREF=\"http://127.0.0.1:9/site" + std::to_string(k) + "\" ICON=\"" +
            DataUri("image/png", SolidPng(k)) + "\">站点 " + std::to_string(k) + "</A>\n";
  }
  file += "</DL><p>\n</DL><p>\n</DL><p>\n";
  Spit(F("bookmarks.html"), file);
  Result r = Run({"import-bookmarks", table, F("bookmarks.html"), "--common"});
  ASSERT_EQ(r.code, 0) << r.err;
  ASSERT_NE(r.out.find("imported 200 favorites (200 with their own icon"), std::string::npos) << r.out;

  app_ = Spawn({F("run/vinkabo")}, Env());
  for (int i = 0; i < 800 && main_.empty(); ++i) {  // start-up may wait on the network test
    Pause(50);
    std::vector<std::string> found = Xdotool({"search", "--onlyvisible", "--name", std::string("^") + kTitle + "$"});
    if (found.size() == 1) main_ = found[0];
  }
  ASSERT_FALSE(main_.empty()) << "no main window";
  // The offline tip or any box the start shows: answered as a user would.
  for (int round = 0; round < 10; ++round) {
    Pause(400);
    std::vector<std::string> others;
    for (const std::string& w : Xdotool({"search", "--onlyvisible", "--name", "."}))
      if (w != main_) others.push_back(w);
    if (others.empty()) break;
    Xdotool({"windowactivate", "--sync", others.back()});
    Xdotool({"key", "--clearmodifiers", "Return"});
  }
  Pause(800);

  // Every icon cell of page 1 (50 x 50 at (110 i + 55, 80 j + 25) of the board) shows
  // its favorite's colour in the middle.
  const int left = kWindowLeft + kBoardLeft, top = kWindowTop + kBoardTop;
  const Image shot = Grab(left, top, 6 * 110 + 10, 5 * 80 + 10);
  ASSERT_FALSE(shot.empty()) << "no screen picture";
  fs::create_directories(fs::path(VK_BINARY_DIR) / "screenshots");  // for a look
  fs::copy_file(F("grab.png"), fs::path(VK_BINARY_DIR) / "screenshots" / "imported_favorites.png",
                fs::copy_options::overwrite_existing);
  int matching = 0;
  for (int s = 0; s < 30; ++s) {
    const int x = 110 * (s % 6) + 55 + 25, y = 80 * (s / 6) + 25 + 25;
    const std::uint8_t* p = shot.pixels() + (static_cast<std::size_t>(y) * shot.width + x) * 4;
    const auto want = Colour(s);
    bool same = true;
    for (int c = 0; c < 3; ++c) same = same && std::abs(p[c] - want[c]) <= 6;
    matching += same;
    EXPECT_TRUE(same) << "slot " << s + 1 << ": " << int(p[0]) << "," << int(p[1]) << "," << int(p[2]) << " not "
                      << int(want[0]) << "," << int(want[1]) << "," << int(want[2]);
  }
  EXPECT_EQ(matching, 30);

  // A press on the eighth icon opens the eighth imported address.
  Xdotool({"mousemove", "--sync", std::to_string(left + 110 * 1 + 55 + 25), std::to_string(top + 80 + 25 + 25)});
  Pause(200);
  Xdotool({"click", "1"});
  for (int i = 0; i < 40 && Slurp(F("run/opened")).empty(); ++i) Pause(100);
  EXPECT_EQ(Slurp(F("run/opened")), "http://127.0.0.1:9/site7\n");
}

}  // namespace
}  // namespace bookmarks_test
