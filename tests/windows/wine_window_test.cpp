// The Windows program as a user of the portable package meets it, under wine on a real
// X server (Xvfb): unzipped into a folder of its own, a bookmark brought in with the
// package's edbtool.exe, the program started there, its main window titled at its place
// with its size and the program's icon; a press on a site icon asks the shell to open
// that site (wine hands the address to xdg-open, a stub first on PATH that notes it);
// the page buttons turn the board's pages; the close button ends the program with 0.
//
// Run by the Windows build's tests, which give the package, the Linux edbtool (to fill the
// favorites table) and a wine prefix of the test's own in the environment.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "base/bytes.h"
#include "forms/main_window.h"
#include "ui/image.h"
#include "support/x_window.h"

namespace fs = std::filesystem;
using namespace x_session;

namespace {

const char kTitle[] = "Vinkabo_Tamsor专用";
// The page buttons on the site board: first, previous, next, last, 70 pixels apart.
constexpr int kFirstPageButtonX = 320, kPageButtonGap = 70, kPageButtonY = 448;
constexpr int kCommonFavorites = 31;  // one page of 30 and one more

std::string Env(const char* name) {
  const char* v = std::getenv(name);
  return v ? v : "";
}

std::string Address(int n) { return "https://site" + std::to_string(n) + ".example.com/"; }

class WineWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    package_ = Env("VK_WINDOWS_PACKAGE");
    edbtool_ = Env("VK_LINUX_EDBTOOL");
    prefix_ = Env("VK_WINEPREFIX");
    appIcons_ = Env("VK_APP_ICONS");
    X_SESSION_REQUIRE(OnPath("Xvfb") && OnPath("xdotool") && OnPath("xprop") && OnPath("wine"),
                      "needs Xvfb, xdotool, xprop and wine");
    X_SESSION_REQUIRE(!package_.empty() && fs::exists(package_), "no Windows package: " << package_);
    ASSERT_TRUE(fs::exists(edbtool_)) << "no Linux edbtool: " << edbtool_;
    ASSERT_FALSE(prefix_.empty());
    ASSERT_FALSE(appIcons_.empty());

    dir_ = fs::temp_directory_path() / ("vk_wine_window_" + std::to_string(getpid()));
    fs::remove_all(dir_);
    fs::create_directories(dir_ / "bin");
    // Unzipped as a user would: the folder inside the zip is the program's folder.
    ASSERT_EQ(Run({"cmake", "-E", "chdir", dir_.string(), "cmake", "-E", "tar", "xf", package_}), 0);
    run_ = dir_ / "vinkabo";
    ASSERT_TRUE(fs::exists(run_ / "vinkabo.exe"));
    ASSERT_TRUE(fs::exists(run_ / "edbtool.exe"));
    ASSERT_TRUE(fs::exists(run_ / "数据库.edb")) << "the zip's Chinese names did not come out as such";

    opened_ = dir_ / "opened.txt";
    WriteStubXdgOpen(dir_ / "bin", opened_);
    // The X server first: the first wine process of a prefix starts its desktop, and a
    // desktop started without a display leaves the program no windows.
    display_ = x_.Start();
    ASSERT_FALSE(display_.empty()) << "Xvfb did not start";
    WriteFavorites();
  }

  void TearDown() override {
    Kill(app_, SIGKILL);
    if (!prefix_.empty()) OutputLines({"wineserver", "-k"}, {"WINEPREFIX=" + prefix_});
    if (!dir_.empty()) fs::remove_all(dir_);
  }

  int Run(const std::vector<std::string>& argv) {
    pid_t pid = Spawn(argv, {});
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  // A favorites table of the shipped fields: 30 common favorites with the shipped icon
  // through the Linux edbtool, and the 31st brought in from a browser's bookmarks file by
  // the package's own edbtool.exe, as a Windows user would (from the toolbar: common).
  void WriteFavorites() {
    const std::string table = (run_ / "数据库.edb").string();
    fs::remove(table);
    ASSERT_EQ(Run({edbtool_, "create", table, "网站名称:text:64", "网站图标:text:128", "网址:text:256",
                   "帐号:text:64", "密码:text:64", "分类:int", "点击声音:text:128", "常用:int",
                   "描述:text:256"}),
              0);
    for (int n = 1; n < kCommonFavorites; ++n)
      ASSERT_EQ(Run({edbtool_, "append", table, "站点" + std::to_string(n), "\\网站图标\\baidu.png", Address(n),
                     "", "", "0", "", "1", "第" + std::to_string(n) + "个站点"}),
                0);
    const fs::path bookmarks = dir_ / "书签.html";
    std::ofstream(bookmarks) << "<!DOCTYPE NETSCAPE-Bookmark-file-1>\n"
                                "<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=UTF-8\">\n"
                                "<TITLE>Bookmarks</TITLE>\n<H1>Bookmarks</H1>\n<DL><p>\n"
                                "<DT><H3 PERSONAL_TOOLBAR_FOLDER=\"true\">书签栏</H3>\n<DL><p>\n"
                                "<DT><A HREF=\""
                             << Address(kCommonFavorites) << "\">第三十一个站点</A>\n</DL><p>\n</DL><p>\n";
    const fs::path wineRun = fs::path(VK_SOURCE_DIR) / "scripts" / "wine-run";
    // Host paths reach the Windows program through wine's Z: drive.
    pid_t tool = Spawn({wineRun.string(), (run_ / "edbtool.exe").string(), "import-bookmarks", "Z:" + table,
                        "Z:" + bookmarks.string()},
                       ProgramEnv());
    int status = 0;
    waitpid(tool, &status, 0);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "edbtool.exe import-bookmarks failed";
  }

  std::vector<std::string> ProgramEnv() const {
    std::vector<std::string> env = LoopbackEnv(display_, (dir_ / "bin").string());
    env.push_back("WINEPREFIX=" + prefix_);
    env.push_back("VK_WINE_DISPLAY=1");
    return env;
  }
  std::vector<std::string> Xdotool(std::vector<std::string> args) const {
    return x_session::Xdotool(args, {display_});
  }
  Rect Geometry(const std::string& window) { return WindowGeometry(window, {display_}); }

  // Press and release at a point of the site board, from where the window really is.
  void ClickOnBoard(int bx, int by) {
    const MainWindow layout;
    const Rect w = Geometry(main_);
    const int x = w.x + layout.动画框1.left() + bx, y = w.y + layout.动画框1.top() + by;
    Xdotool({"mousemove", "--sync", std::to_string(x), std::to_string(y)});
    Pause(200);
    Xdotool({"click", "1"});
    Pause(500);
  }
  // The first tile's icon (50 x 50 at 55, 25 of the board), whatever page shows.
  void ClickFirstIcon() { ClickOnBoard(55 + 25, 25 + 25); }

  // What the stub browser was given, waited for until `count` addresses came.
  std::vector<std::string> Opened(size_t count, int ms = 20000) { return WaitLines(opened_, count, ms, 100); }

  // The main window's _NET_WM_ICON: width, height, then ARGB pixels (the first icon only).
  std::vector<std::uint32_t> WindowIcon() const {
    std::vector<std::uint32_t> values;
    for (const std::string& line :
         OutputLines({"xprop", "-id", main_, "-f", "_NET_WM_ICON", "32c", " = $0+\\n", "_NET_WM_ICON"}, {display_})) {
      const size_t eq = line.find(" = ");
      if (eq == std::string::npos) continue;
      std::stringstream numbers(line.substr(eq + 3));
      for (std::string n; std::getline(numbers, n, ',');) values.push_back(static_cast<std::uint32_t>(std::stoul(n)));
    }
    if (values.size() >= 2 && values.size() > 2 + values[0] * values[1]) values.resize(2 + values[0] * values[1]);
    return values;
  }
  static Image ReadPicture(const std::string& path) {
    return DecodePicture(FileBytes(path));
  }

  std::string package_, edbtool_, prefix_, display_, main_, appIcons_;
  fs::path dir_, run_, opened_;
  XServer x_;
  pid_t app_ = -1;
};

TEST_F(WineWindow, StartsFromTheUnzippedPackageOpensSitesTurnsPagesAndClosesWithZero) {
  const fs::path wineRun = fs::path(VK_SOURCE_DIR) / "scripts" / "wine-run";
  app_ = Spawn({wineRun.string(), (run_ / "vinkabo.exe").string()}, ProgramEnv());
  // A fresh prefix is made first: up to two minutes on a slow machine.
  for (int i = 0; i < 1800 && main_.empty(); ++i) {
    Pause(100);
    std::vector<std::string> found = Xdotool({"search", "--onlyvisible", "--name", std::string("^") + kTitle + "$"});
    if (found.size() == 1) main_ = found[0];
    int status = 0;
    ASSERT_NE(waitpid(app_, &status, WNOHANG), app_) << "the program ended before showing its window";
  }
  ASSERT_FALSE(main_.empty()) << "no main window titled " << kTitle;
  Pause(1500);  // the first page and the offline tip settle

  // The window shows the program's own icon (task bar, window switcher), from its resources,
  // not wine's stand-in: its pixels are the generator's picture of that size.
  const std::vector<std::uint32_t> icon = WindowIcon();
  ASSERT_GE(icon.size(), 2u) << "the main window has no icon";
  const int side = static_cast<int>(icon[0]);
  ASSERT_EQ(icon[1], icon[0]);
  ASSERT_EQ(icon.size(), 2u + side * side);
  const Image expected = ReadPicture(appIcons_ + "/" + std::to_string(side) + "x" + std::to_string(side) +
                                     "/apps/vinkabo.png");
  ASSERT_EQ(expected.width, side) << "no drawn icon of " << side << " pixels";
  long difference = 0;
  for (int i = 0; i < side * side; ++i) {
    const std::uint32_t argb = icon[2 + i];
    const std::uint8_t* rgba = expected.pixels() + 4 * i;
    difference += std::abs(static_cast<int>(argb >> 16 & 0xFF) - rgba[0]) +
                  std::abs(static_cast<int>(argb >> 8 & 0xFF) - rgba[1]) +
                  std::abs(static_cast<int>(argb & 0xFF) - rgba[2]) + std::abs(static_cast<int>(argb >> 24) - rgba[3]);
  }
  EXPECT_LT(difference / (4 * side * side), 8) << "the window's icon is not the program's";

  const Rect w = Geometry(main_);
  EXPECT_EQ(w.x, 50);
  EXPECT_EQ(w.y, 50);
  EXPECT_EQ(w.w, 800);
  EXPECT_EQ(w.h, 650);

  // The start shows the common favorites: the first icon is the first favorite's.
  ClickFirstIcon();
  std::vector<std::string> opened = Opened(1);
  ASSERT_EQ(opened.size(), 1u) << "the shell was not asked to open the first site";
  EXPECT_EQ(opened[0], Address(1));

  // Next page: the 31st favorite stands first.
  ClickOnBoard(kFirstPageButtonX + 2 * kPageButtonGap + 36, kPageButtonY + 12);
  ClickFirstIcon();
  opened = Opened(2);
  ASSERT_EQ(opened.size(), 2u) << "no site opened after turning the page";
  EXPECT_EQ(opened[1], Address(31));

  // First page again: back to the first favorite.
  ClickOnBoard(kFirstPageButtonX + 36, kPageButtonY + 12);
  ClickFirstIcon();
  opened = Opened(3);
  ASSERT_EQ(opened.size(), 3u);
  EXPECT_EQ(opened[2], Address(1));

  // The close button 按钮1.
  const MainWindow layout;
  const Rect at = Geometry(main_);
  Xdotool({"mousemove", "--sync", std::to_string(at.x + layout.按钮1.left() + layout.按钮1.width() / 2),
           std::to_string(at.y + layout.按钮1.top() + layout.按钮1.height() / 2)});
  Pause(200);
  Xdotool({"click", "1"});
  int status = 0;
  bool ended = false;
  for (int i = 0; i < 300 && !ended; ++i) {
    ended = waitpid(app_, &status, WNOHANG) == app_;
    if (!ended) Pause(100);
  }
  ASSERT_TRUE(ended) << "the program did not end";
  app_ = -1;
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
}

}  // namespace
