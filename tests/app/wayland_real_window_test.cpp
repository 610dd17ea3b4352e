// The real program on a Wayland compositor (sway on its headless backend), through Qt's
// Wayland platform: the compositor knows it by the menu entry's app id, and its balloon
// tip is a pop-up of the main window, never a window of its own. Skipped without sway
// and grim. sway refuses to run as root: under root it runs as nobody, and the program
// (root) still reaches its socket.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "browser/fixture_run_directory.h"
#include "support/x_window.h"
#include "ui/image.h"

namespace fs = std::filesystem;
using namespace x_session;

namespace {

const char kTitle[] = "Vinkabo_Tamsor专用";
const char kTip[] = "气球提示框1";
const char kAppId[] = "com.vinkabo.Vinkabo";

class WaylandSession : public ::testing::Test {
 protected:
  void SetUp() override {
    const fs::path program = fs::path(VK_BINARY_DIR) / "run" / "vinkabo";
    X_SESSION_REQUIRE(OnPath("sway") && OnPath("swaymsg") && OnPath("grim"), "needs sway and grim");
    X_SESSION_REQUIRE(fs::exists(program), "the program is not built: " << program);
    dir_ = std::make_unique<FixtureRunDirectory>("wayland");
    InstallProgram(program, dir_->host());
    WriteSkin(*dir_);
    records_ = {Favorite(Text("alpha"), 0, 1), Favorite(Text("beta"), 0, 1)};
    ASSERT_TRUE(dir_->WriteFavorites(records_));
    WriteIcons(*dir_, records_);
    ASSERT_TRUE(dir_->WriteSettings(Text(), 0, 0));

    // The compositor's runtime folder: private to whoever runs it.
    char pattern[] = "/tmp/vk_wayland.XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    runtime_ = pattern;
    std::ofstream(runtime_ / "config") << "output HEADLESS-1 resolution 1280x1024 position 0 0\n"
                                       << "default_border none\n";
    std::vector<std::string> argv = {"sway", "-c", (runtime_ / "config").string()};
    if (geteuid() == 0) {
      ASSERT_EQ(chown(runtime_.c_str(), 65534, 65534), 0);
      ASSERT_EQ(chown((runtime_ / "config").c_str(), 65534, 65534), 0);
      X_SESSION_REQUIRE(OnPath("setpriv"), "needs setpriv to run sway as nobody");
      argv.insert(argv.begin(), {"setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"});
    }
    sway_ = Spawn(argv, {"HOME=" + runtime_.string(), "XDG_RUNTIME_DIR=" + runtime_.string(),
                         "WLR_BACKENDS=headless", "WLR_LIBINPUT_NO_DEVICES=1", "WLR_RENDERER=pixman",
                         "WLR_XWAYLAND="});
    for (int i = 0; i < 200 && (display_.empty() || ipc_.empty()); ++i) {
      Pause(50);
      for (const auto& e : fs::directory_iterator(runtime_)) {
        const std::string name = e.path().filename().string();
        if (name.rfind("wayland-", 0) == 0 && name.find(".lock") == std::string::npos) display_ = name;
        if (name.rfind("sway-ipc.", 0) == 0) ipc_ = e.path().string();
      }
    }
    ASSERT_FALSE(display_.empty() || ipc_.empty()) << "sway did not start";
  }

  void TearDown() override {
    Kill(app_, SIGKILL);
    Kill(sway_, SIGTERM);
    if (!runtime_.empty()) fs::remove_all(runtime_);
    dir_.reset();
  }

  std::vector<std::string> Env() const {
    std::vector<std::string> env = LoopbackEnv("DISPLAY=", dir_->host() + "/bin");
    for (std::string& v : env)
      if (v == "QT_QPA_PLATFORM=xcb") v = "QT_QPA_PLATFORM=wayland";
    env.push_back("XDG_RUNTIME_DIR=" + runtime_.string());
    env.push_back("WAYLAND_DISPLAY=" + display_);
    env.push_back("SWAYSOCK=" + ipc_);
    return env;
  }
  std::string Tree() const {
    std::string all;
    for (const std::string& l : OutputLines({"swaymsg", "-r", "-t", "get_tree"}, Env())) all += l + "\n";
    return all;
  }
  static bool Has(const std::string& tree, const std::string& key, const std::string& value) {
    return tree.find("\"" + key + "\": \"" + value + "\"") != std::string::npos;
  }
  // Pixels of the balloon's yellow (255, 255, 225) on the whole output.
  int TipPixels() {
    const fs::path file = runtime_ / "shot.png";
    fs::remove(file);
    OutputLines({"grim", file.string()}, Env());
    const Image image = DecodePicture(FileBytes(file));
    return image.empty() ? -1 : CountPixels(image, 255, 255, 225);
  }

  std::unique_ptr<FixtureRunDirectory> dir_;
  std::vector<FavoriteRecord> records_;
  fs::path runtime_;
  std::string display_, ipc_;
  pid_t sway_ = -1, app_ = -1;
};

// Offline at start-up (every proxy leads to a closed port): the offline tip pops. It
// shows on the screen, yet the compositor has one window of the program, the main one,
// under the menu entry's app id.
TEST_F(WaylandSession, TheOfflineTipIsAPopUpOfTheMainWindowAndTheAppIdIsTheMenuEntrys) {
  app_ = Spawn({dir_->host() + "/vinkabo"}, Env());
  std::string tree;
  for (int i = 0; i < 300 && !Has(tree, "name", kTitle); ++i) {
    Pause(50);
    tree = Tree();
  }
  ASSERT_TRUE(Has(tree, "name", kTitle)) << "no main window";
  EXPECT_TRUE(Has(tree, "app_id", kAppId)) << tree;
  // While the tip shows (2.5 s): its yellow is on the screen, and it is no window.
  int shown = 0;
  bool ownWindow = false;
  for (int i = 0; i < 20 && shown <= 0; ++i) {
    shown = TipPixels();
    tree = Tree();
    ownWindow |= Has(tree, "name", kTip);
    if (shown <= 0) Pause(100);
  }
  EXPECT_GT(shown, 100) << "no balloon on the screen";
  EXPECT_FALSE(ownWindow) << "the balloon became a window of its own";
}

}  // namespace
