// The real program on a real X server, where the network hangs and where the user moves
// the frameless window by its skin. xdotool is the user's hands; what happened is read
// from the screen: windows, their places and owners, pixels. Every proxy points at
// loopback: a hung one of the test's own, or the discard port.

#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "browser/fixture_run_directory.h"
#include "platform/local_http_server.h"
#include "support/x_window.h"
#include "ui/image.h"

namespace fs = std::filesystem;
using namespace x_session;
using Clock = std::chrono::steady_clock;

namespace {

const char kTitle[] = "Vinkabo_Tamsor专用";
const char kTip[] = "气球提示框1";
constexpr int kBoardLeft = 25, kBoardTop = 155;  // 动画框1 in the main window
// A bare spot of the skin: under the category bar, left of the board.
constexpr int kSkinX = 12, kSkinY = 400;

int MsSince(Clock::time_point t) {
  return static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - t).count());
}

bool DefaultRouteUp() {
  std::ifstream in("/proc/net/route");
  std::string line;
  std::getline(in, line);
  while (std::getline(in, line)) {
    char iface[64];
    unsigned destination = 1, flags = 0;
    if (std::sscanf(line.c_str(), "%63s %x %*x %x", iface, &destination, &flags) == 3 && destination == 0 &&
        (flags & 1))
      return true;
  }
  return false;
}

class RealWindow : public ::testing::TestWithParam<bool> {
 protected:
  bool UnderWindowManager() const { return GetParam(); }

  void SetUp() override {
    const fs::path program = fs::path(VK_BINARY_DIR) / "run" / "vinkabo";
    X_SESSION_REQUIRE(OnPath("Xvfb") && OnPath("xdotool") && OnPath("xprop"), "needs Xvfb, xdotool and xprop");
    X_SESSION_REQUIRE(!UnderWindowManager() || OnPath("openbox"), "needs openbox");
    X_SESSION_REQUIRE(fs::exists(program), "the program is not built: " << program);
    dir_ = std::make_unique<FixtureRunDirectory>(UnderWindowManager() ? "moving_wm" : "moving");
    InstallProgram(program, dir_->host());
    WriteSkin(*dir_);
    records_ = {Favorite("alpha", 0, 1), Favorite("beta", 1, 1)};
    ASSERT_TRUE(dir_->WriteFavorites(records_));
    WriteIcons(*dir_, records_);

    display_ = x_.Start();
    ASSERT_FALSE(display_.empty()) << "Xvfb did not start";
    if (UnderWindowManager()) {
      wm_ = StartOpenbox(display_);
      ASSERT_GT(wm_, 0) << "openbox did not start";
    }
  }

  void TearDown() override {
    Kill(app_, SIGKILL);
    Kill(wm_, SIGTERM);
    dir_.reset();
  }

  // A local proxy stands for the network when a test sets one.
  std::vector<std::string> Env() const { return WithProxy(LoopbackEnv(display_, dir_->host() + "/bin"), proxy_); }
  std::vector<std::string> Xdotool(std::vector<std::string> args) const { return x_session::Xdotool(args, Env()); }

  void Start() {
    ASSERT_TRUE(dir_->WriteSettings(password_, check_, 0));
    started_ = Clock::now();
    app_ = Spawn({dir_->host() + "/vinkabo"}, Env());
  }
  // The main window, waited for.
  void WaitMain(int ms = 20000) {
    for (int i = 0; i < ms / 50 && main_.empty(); ++i) {
      std::vector<std::string> found = Xdotool({"search", "--onlyvisible", "--name", std::string("^") + kTitle + "$"});
      if (found.size() == 1) main_ = found[0];
      else Pause(50);
    }
    ASSERT_FALSE(main_.empty()) << "no main window";
  }
  void Launch() {
    Start();
    WaitMain();
    Pause(700);  // the offline tip and the first page settle
  }

  Rect Geometry(const std::string& window) { return WindowGeometry(window, Env()); }
  std::string WaitWindow(const std::string& title, int ms = 5000) {
    return x_session::WaitWindow("^" + title + "$", Env(), ms);
  }
  bool WaitGone(const std::string& window, int ms = 5000) { return x_session::WaitGone(window, Env(), ms); }
  // The window a window says it belongs to (WM_TRANSIENT_FOR), in decimal; empty if none.
  std::string OwnerOf(const std::string& window) {
    for (const std::string& line : OutputLines({"xprop", "-id", window, "WM_TRANSIENT_FOR"}, Env())) {
      const size_t hash = line.find("window id # ");
      if (hash != std::string::npos) return std::to_string(std::stoul(line.substr(hash + 12), nullptr, 16));
    }
    return {};
  }
  void MoveTo(int x, int y) {
    Xdotool({"mousemove", "--sync", std::to_string(x), std::to_string(y)});
    Pause(150);
  }
  void MoveOnWindow(int x, int y) {
    const Rect w = Geometry(main_);
    MoveTo(w.x + x, w.y + y);
  }
  // A drag with the left button, in steps, as a hand makes it.
  void Drag(int fromX, int fromY, int dx, int dy) {
    MoveTo(fromX, fromY);
    Xdotool({"mousedown", "1"});
    Pause(200);
    for (int step = 1; step <= 10; ++step) {
      Xdotool({"mousemove", "--sync", std::to_string(fromX + dx * step / 10), std::to_string(fromY + dy * step / 10)});
      Pause(30);
    }
    Pause(200);
    Xdotool({"mouseup", "1"});
    Pause(400);
  }
  // A picture of part of the screen.
  Image Grab(const Rect& r) {
    const fs::path file = fs::path(dir_->host()) / "grab.png";
    GrabScreen(fs::path(VK_BINARY_DIR) / "test_qt", r, file, Env());
    return DecodePicture(FileBytes(file));
  }
  // Pixels of the skin's grey (192, 192, 192) in a picture: 0 while nothing is painted.
  static int SkinPixels(const Image& image) { return CountPixels(image, 192, 192, 192); }

  std::unique_ptr<FixtureRunDirectory> dir_;
  std::vector<FavoriteRecord> records_;
  Text password_;  // the program password and its check, written at the start
  int check_ = 0;
  std::string proxy_, display_, main_;
  Clock::time_point started_;
  XServer x_;
  pid_t app_ = -1, wm_ = -1;
};

// Through a proxy that accepts and never answers, the connectivity check waits for
// seconds. The window is painted and answers the pointer meanwhile: its skin shows
// within a second of its start and a site's hover tip two seconds after it, while the
// check still waits; the offline tip pops when the check gives up.
TEST_P(RealWindow, AHungNetworkNeitherFreezesNorBlanksTheStart) {
  if (!DefaultRouteUp()) GTEST_SKIP() << "the check asks the network only with a default route";
  X_SESSION_REQUIRE(fs::exists(fs::path(VK_BINARY_DIR) / "test_qt"), "needs test_qt to grab the screen");
  LocalHttpServer proxy(LocalHttpServer::kHang);
  proxy_ = proxy.url("");
  Start();
  WaitMain();
  const int mappedAt = MsSince(started_);
  const Rect w = Geometry(main_);
  const Rect skin{w.x + 2, w.y + 300, 20, 100};
  int painted = 0, paintedAt = 0;
  while (painted == 0 && MsSince(started_) < std::max(1000, mappedAt + 1000)) {
    painted = SkinPixels(Grab(skin));
    paintedAt = MsSince(started_);
  }
  EXPECT_EQ(painted, skin.w * skin.h) << "the skin is not painted " << paintedAt << " ms after the start (the "
                                      << "window mapped after " << mappedAt << " ms)";
  ASSERT_GE(proxy.accepted(), 1) << "the check did not go through the proxy";

  const int iconX = kBoardLeft + 55 + 25, iconY = kBoardTop + 25 + 25;
  MoveOnWindow(iconX - 5, iconY);
  MoveOnWindow(iconX, iconY);
  while (MsSince(started_) < 2000) Pause(20);
  const std::string tip = WaitWindow(kTip, 1000);
  const int tipAt = MsSince(started_);
  EXPECT_FALSE(tip.empty()) << "no hover tip " << tipAt << " ms after the start";
  EXPECT_EQ(proxy.closedByClient(), 0) << "the check had already ended: the test proves nothing";

  // Off the icon: the hover tip goes. The check gives up (8 s at most) and says so.
  MoveTo(w.x + w.w + 100, w.y + w.h + 100);
  if (!tip.empty()) {
    EXPECT_TRUE(WaitGone(tip, 3000));
  }
  const std::string offline = WaitWindow(kTip, 12000);
  const int offlineAt = MsSince(started_);
  ASSERT_FALSE(offline.empty()) << "no offline tip after the check gave up";
  EXPECT_GE(offlineAt, 7000) << "the offline tip came before the check could have given up";
  EXPECT_GE(proxy.closedByClient(), 1) << "the check never gave its connection up";
  std::printf("mapped %d ms, painted %d ms, hover tip %d ms, offline tip %d ms after the start; %d connections\n",
              mappedAt, paintedAt, tipAt, offlineAt, proxy.accepted());
  const Rect balloon = Geometry(offline);
  EXPECT_TRUE(balloon.Contains(w.x + 200, w.y + 40 + 1) || balloon.Contains(w.x + 200, w.y + 40 - 1))
      << "the offline tip is at " << balloon.x << "," << balloon.y << " " << balloon.w << "x" << balloon.h;
}

// A drag on the bare skin moves the window by as much as the pointer moved; a drag on a
// tile does not. The settings button's tip and the settings window come where the window
// now is, and the settings window belongs to the main window.
TEST_P(RealWindow, DraggingTheSkinMovesTheWindowAndWhatBelongsToIt) {
  Launch();
  const Rect before = Geometry(main_);
  Drag(before.x + kSkinX, before.y + kSkinY, 130, 70);
  const Rect after = Geometry(main_);
  EXPECT_EQ(after.x - before.x, 130);
  EXPECT_EQ(after.y - before.y, 70);

  // On the board a press belongs to the tiles: the window stays.
  Drag(after.x + kBoardLeft + 300, after.y + kBoardTop + 300, 60, 40);
  const Rect still = Geometry(main_);
  EXPECT_EQ(still.x, after.x);
  EXPECT_EQ(still.y, after.y);

  // Over 按钮2 (667, 3, 80 x 20): the settings tip's pointer touches (left + 667, top + 30).
  MoveOnWindow(667 + 40, 3 + 10);
  MoveOnWindow(667 + 42, 3 + 10);
  const std::string tip = WaitWindow(kTip);
  ASSERT_FALSE(tip.empty()) << "no settings tip";
  const Rect balloon = Geometry(tip);
  EXPECT_LE(std::abs(balloon.y - (after.y + 30)), 2) << "balloon at " << balloon.x << "," << balloon.y;
  EXPECT_TRUE(balloon.Contains(after.x + 667, balloon.y + 1)) << "balloon at " << balloon.x << "," << balloon.y;

  Xdotool({"click", "1"});
  const std::string settings = WaitWindow("收藏夹设置");
  ASSERT_FALSE(settings.empty()) << "no settings window";
  Pause(300);
  EXPECT_EQ(OwnerOf(settings), main_) << "the settings window belongs to no window";
  const Rect placed = Geometry(settings);
  // Where it stands to the main window in the layouts (the same top-left corner), give
  // or take the frame the window manager adds.
  EXPECT_LE(std::abs(placed.x - after.x), 10) << placed.x << " vs " << after.x;
  EXPECT_TRUE(placed.y >= after.y - 2 && placed.y <= after.y + 50) << placed.y << " vs " << after.y;
  Xdotool({"key", "--window", settings, "Escape"});
}

// A message box belongs to the window it blocks.
TEST_P(RealWindow, AMessageBoxBelongsToTheWindowItBlocks) {
  password_ = Text("pw");
  check_ = 1;
  Launch();
  // The modify sprite (110, 25, 20 x 16) asks for the manager's password.
  MoveOnWindow(kBoardLeft + 110 + 10, kBoardTop + 25 + 8);
  Xdotool({"click", "1"});
  const std::string prompt = WaitWindow("收藏夹管理登入");
  ASSERT_FALSE(prompt.empty()) << "no password prompt";
  EXPECT_EQ(OwnerOf(prompt), main_) << "the input box belongs to no window";
  if (UnderWindowManager()) Xdotool({"windowactivate", "--sync", prompt});
  Xdotool({"windowfocus", "--sync", prompt});
  Xdotool({"type", "--delay", "30", "wrong"});
  Xdotool({"key", "Return"});
  const std::string refusal = WaitWindow("你想做什么\\?");
  ASSERT_FALSE(refusal.empty()) << "no refusal message";
  EXPECT_EQ(OwnerOf(refusal), main_) << "the message box belongs to no window";
  Xdotool({"key", "--window", refusal, "Return"});
}

// The desktop knows the window for the program's: its class is the one the menu entry
// names, and it carries the program's own icon.
TEST_P(RealWindow, TheWindowCarriesTheMenuEntrysClassAndTheProgramsIcon) {
  Launch();
  std::string wmClass;
  std::ifstream entry(fs::path(VK_SOURCE_DIR) / "packaging/linux/com.vinkabo.Vinkabo.desktop");
  for (std::string line; std::getline(entry, line);)
    if (line.rfind("StartupWMClass=", 0) == 0) wmClass = line.substr(15);
  ASSERT_FALSE(wmClass.empty()) << "the menu entry names no window class";
  const std::vector<std::string> cls = OutputLines({"xprop", "-id", main_, "WM_CLASS"}, Env());
  ASSERT_EQ(cls.size(), 1u);
  EXPECT_NE(cls[0].find("\"" + wmClass + "\""), std::string::npos) << cls[0];
  // xprop draws each size of _NET_WM_ICON under a heading "Icon (W x H):".
  const std::vector<std::string> icon = OutputLines({"xprop", "-id", main_, "-notype", "_NET_WM_ICON"}, Env());
  ASSERT_FALSE(icon.empty());
  EXPECT_EQ(icon[0].find("not found"), std::string::npos) << icon[0];
  std::string all;
  for (const std::string& l : icon) all += l;
  // (xprop shows only the first few kilobytes: the big sizes come last.)
  EXPECT_NE(all.find("Icon (16 x 16)"), std::string::npos) << "no 16 x 16 picture in the window's icon";
}

INSTANTIATE_TEST_SUITE_P(BareAndManaged, RealWindow, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info) {
                           return info.param ? std::string("UnderOpenbox") : std::string("BareXvfb");
                         });

}  // namespace
