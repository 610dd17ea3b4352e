// The Windows setup as a user meets it, under wine in a prefix made afresh (a new user
// profile) on a private Xvfb: the silent install puts the program and its tables under the
// user's LocalAppData\Programs with a Start-menu shortcut and an uninstall entry; the
// installed program starts with its main window in place; a second silent install, while
// the program runs, closes it, replaces the program, brings back a missing data file and
// keeps the user's table (with a favorite added to it) and picture; the silent uninstall
// removes the program, the shortcut and the entry and leaves the tables; only
// /RemoveData takes them too.
//
// Run by the Windows build's tests, which give the setup, the folder it was made from, the
// Linux edbtool and a prefix path in the environment.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "support/x_window.h"

namespace fs = std::filesystem;
using namespace x_session;

namespace {

const char kTitle[] = "Vinkabo_Tamsor专用";
const char kUninstallKey[] = "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Vinkabo";
const char kAddress[] = "https://kept-through-upgrades.example.com/";

std::string Env(const char* name) {
  const char* v = std::getenv(name);
  return v ? v : "";
}

std::string Slurp(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

class WineInstaller : public ::testing::Test {
 protected:
  void SetUp() override {
    setup_ = Env("VK_WINDOWS_INSTALLER");
    stage_ = Env("VK_WINDOWS_STAGE");
    edbtool_ = Env("VK_LINUX_EDBTOOL");
    prefix_ = Env("VK_WINEPREFIX");
    X_SESSION_REQUIRE(OnPath("Xvfb") && OnPath("xdotool") && OnPath("wine"), "needs Xvfb, xdotool and wine");
    X_SESSION_REQUIRE(!setup_.empty() && fs::exists(setup_), "no Windows setup: " << setup_);
    ASSERT_TRUE(fs::exists(stage_ / "vinkabo.exe")) << "no package folder: " << stage_;
    ASSERT_TRUE(fs::exists(edbtool_)) << "no Linux edbtool: " << edbtool_;
    ASSERT_FALSE(prefix_.empty());
    // A user who never had the program: a new profile.
    fs::remove_all(prefix_);

    bin_ = prefix_.parent_path() / (prefix_.filename().string() + "-bin");
    fs::create_directories(bin_);
    WriteStubXdgOpen(bin_);
    // The X server before the first wine process: it starts the prefix's desktop.
    display_ = x_.Start();
    ASSERT_FALSE(display_.empty()) << "Xvfb did not start";

    // Where this prefix keeps the user's folders, as Windows names them.
    localAppData_ = HostPath(WindowsVariable("LOCALAPPDATA"));
    appData_ = HostPath(WindowsVariable("APPDATA"));
    ASSERT_FALSE(localAppData_.empty());
    ASSERT_FALSE(appData_.empty());
    installDir_ = localAppData_ / "Programs" / "Vinkabo";
    shortcut_ = appData_ / "Microsoft" / "Windows" / "Start Menu" / "Programs" / "Vinkabo.lnk";
  }

  void TearDown() override {
    Kill(app_, SIGKILL);
    if (!prefix_.empty()) OutputLines({"wineserver", "-k"}, {"WINEPREFIX=" + prefix_.string()});
  }

  std::vector<std::string> WineEnv() const {
    std::vector<std::string> env = LoopbackEnv(display_, bin_.string());
    env.push_back("WINEPREFIX=" + prefix_.string());
    env.push_back("VK_WINE_DISPLAY=1");
    return env;
  }
  std::string WineRun() const { return (fs::path(VK_SOURCE_DIR) / "scripts" / "wine-run").string(); }

  int Wait(pid_t pid) {
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  int Wine(std::vector<std::string> argv) {
    argv.insert(argv.begin(), WineRun());
    return Wait(Spawn(argv, WineEnv()));
  }
  std::vector<std::string> WineLines(std::vector<std::string> argv) {
    argv.insert(argv.begin(), WineRun());
    std::vector<std::string> lines = OutputLines(argv, WineEnv());
    for (std::string& l : lines) l.erase(std::remove(l.begin(), l.end(), '\r'), l.end());
    return lines;
  }
  // Everything the prefix runs has ended (an uninstaller goes on from a copy of itself).
  void Settle() { OutputLines({"wineserver", "-w"}, {"WINEPREFIX=" + prefix_.string()}); }

  std::string WindowsVariable(const std::string& name) {
    std::vector<std::string> lines = WineLines({"cmd", "/c", "echo %" + name + "%"});
    return lines.empty() ? std::string() : lines.back();
  }
  // C:\users\... -> PREFIX/drive_c/users/...
  fs::path HostPath(const std::string& windows) const {
    if (windows.size() < 3 || (windows[0] != 'C' && windows[0] != 'c') || windows[1] != ':') return {};
    std::string rest = windows.substr(3);
    std::replace(rest.begin(), rest.end(), '\\', '/');
    return prefix_ / "drive_c" / rest;
  }

  // The uninstall entry's values by name; empty when there is no entry.
  // Asked again when nothing comes back: on a loaded machine one `reg query` now and then
  // prints nothing at all, though the key is there.
  std::map<std::string, std::string> UninstallEntry() {
    std::map<std::string, std::string> values;
    Settle();
    for (int attempt = 0; attempt < 3 && values.empty(); ++attempt) {
      if (attempt > 0) std::this_thread::sleep_for(std::chrono::seconds(1));
      for (const std::string& line : WineLines({"reg", "query", kUninstallKey})) {
        const size_t type = line.find("    REG_");
        if (type == std::string::npos || line.rfind("    ", 0) != 0) continue;
        const size_t value = line.find("    ", type + 4);
        values[line.substr(4, type - 4)] = value == std::string::npos ? "" : line.substr(value + 4);
      }
    }
    return values;
  }

  std::string Table() { return (installDir_ / "数据库.edb").string(); }
  bool TableHoldsTheFavorite() {
    std::vector<std::string> dump = OutputLines({edbtool_, "dump", Table()}, {});
    return std::any_of(dump.begin(), dump.end(),
                       [](const std::string& l) { return l.find(kAddress) != std::string::npos; });
  }

  int SilentInstall() { return Wine({setup_, "/S"}); }

  std::string setup_, edbtool_, display_;
  fs::path stage_, prefix_, bin_, localAppData_, appData_, installDir_, shortcut_;
  XServer x_;
  pid_t app_ = -1;
};

TEST_F(WineInstaller, InstallsPerUserUpgradesKeepingTheUsersDataAndUninstallsLeavingTheTables) {
  // ---- First install.
  ASSERT_EQ(SilentInstall(), 0);
  EXPECT_TRUE(fs::exists(installDir_ / "vinkabo.exe"));
  EXPECT_TRUE(fs::exists(installDir_ / "edbtool.exe"));
  EXPECT_TRUE(fs::exists(installDir_ / "uninstall.exe"));
  EXPECT_TRUE(Slurp(installDir_ / "vinkabo.exe") == Slurp(stage_ / "vinkabo.exe"));
  // Every shipped data file, Chinese names and all.
  int dataFiles = 0;
  for (const auto& e : fs::recursive_directory_iterator(stage_)) {
    if (!e.is_regular_file() || e.path().extension() == ".exe") continue;
    ++dataFiles;
    const fs::path installed = installDir_ / fs::relative(e.path(), stage_);
    EXPECT_TRUE(fs::exists(installed)) << installed;
  }
  EXPECT_GT(dataFiles, 10);
  ASSERT_TRUE(fs::exists(installDir_ / "md5.edb"));
  EXPECT_TRUE(fs::exists(shortcut_)) << shortcut_;
  EXPECT_FALSE(fs::exists(HostPath(WindowsVariable("USERPROFILE")) / "Desktop" / "Vinkabo.lnk"))
      << "the desktop shortcut is offered, not made";

  std::map<std::string, std::string> entry = UninstallEntry();
  const std::string installedAt = WindowsVariable("LOCALAPPDATA") + "\\Programs\\Vinkabo";
  EXPECT_FALSE(entry["DisplayName"].empty());
  EXPECT_EQ(entry["DisplayIcon"], "\"" + installedAt + "\\vinkabo.exe\",0");
  EXPECT_FALSE(entry["Publisher"].empty());
  EXPECT_FALSE(entry["DisplayVersion"].empty());
  EXPECT_EQ(entry["UninstallString"], "\"" + installedAt + "\\uninstall.exe\"");
  EXPECT_EQ(entry["QuietUninstallString"], "\"" + installedAt + "\\uninstall.exe\" /S");
  // EstimatedSize is in KiB: about what the folder holds.
  ASSERT_FALSE(entry["EstimatedSize"].empty());
  const long kib = std::stol(entry["EstimatedSize"], nullptr, 16);
  long bytes = 0;
  for (const auto& e : fs::recursive_directory_iterator(installDir_))
    if (e.is_regular_file()) bytes += static_cast<long>(e.file_size());
  EXPECT_GT(kib, bytes / 1024 / 2);
  EXPECT_LT(kib, bytes / 1024 * 2 + 64);

  // ---- The user's own data: a favorite, a picture of their own; a sound gone astray.
  ASSERT_EQ(Wait(Spawn({edbtool_, "append", Table(), "留下的站点", "\\网站图标\\baidu.png", kAddress, "me",
                        "s3cret", "0", "", "1", "升级后仍在"},
                       {})),
            0);
  ASSERT_TRUE(TableHoldsTheFavorite());
  const std::string tableBefore = Slurp(Table());
  const fs::path picture = installDir_ / "配置图片" / "背景.JPG";
  const fs::path sound = installDir_ / "声音" / "翻页.wav";
  ASSERT_TRUE(fs::exists(picture));
  ASSERT_TRUE(fs::exists(sound));
  const std::string ownPicture = Slurp(picture) + "mine";
  std::ofstream(picture, std::ios::binary | std::ios::trunc) << ownPicture;
  fs::remove(sound);
  std::ofstream(installDir_ / "edbtool.exe", std::ios::binary | std::ios::trunc) << "an older edbtool";

  // ---- The installed program starts.
  app_ = Spawn({WineRun(), (installDir_ / "vinkabo.exe").string()}, WineEnv());
  const std::string main = WaitWindow(std::string("^") + kTitle + "$", {display_}, 60000);
  ASSERT_FALSE(main.empty()) << "no main window titled " << kTitle;
  const Rect w = WindowGeometry(main, {display_});
  EXPECT_EQ(w.x, 50);
  EXPECT_EQ(w.y, 50);
  EXPECT_EQ(w.w, 800);
  EXPECT_EQ(w.h, 650);

  // ---- Second install over it, while it runs: it is asked to close and ends as by its
  // close button.
  ASSERT_EQ(SilentInstall(), 0);
  int status = 0;
  bool ended = false;
  for (int i = 0; i < 200 && !ended; ++i) {
    ended = waitpid(app_, &status, WNOHANG) == app_;
    if (!ended) Pause(100);
  }
  ASSERT_TRUE(ended) << "the running program was not closed";
  app_ = -1;
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  EXPECT_TRUE(Slurp(installDir_ / "edbtool.exe") == Slurp(stage_ / "edbtool.exe")) << "the program was not replaced";
  EXPECT_TRUE(Slurp(installDir_ / "vinkabo.exe") == Slurp(stage_ / "vinkabo.exe"));
  EXPECT_TRUE(Slurp(Table()) == tableBefore) << "the user's table was touched";
  EXPECT_TRUE(TableHoldsTheFavorite());
  EXPECT_TRUE(Slurp(picture) == ownPicture) << "the user's picture was replaced";
  EXPECT_TRUE(fs::exists(sound)) << "a missing data file was not added";
  EXPECT_FALSE(UninstallEntry().empty());

  // ---- Silent uninstall: program, shortcut and entry go; the tables stay.
  ASSERT_EQ(Wine({(installDir_ / "uninstall.exe").string(), "/S"}), 0);
  Settle();
  EXPECT_FALSE(fs::exists(installDir_ / "vinkabo.exe"));
  EXPECT_FALSE(fs::exists(installDir_ / "edbtool.exe"));
  EXPECT_FALSE(fs::exists(installDir_ / "uninstall.exe"));
  EXPECT_FALSE(fs::exists(shortcut_));
  EXPECT_TRUE(UninstallEntry().empty()) << "the uninstall entry is still there";
  EXPECT_TRUE(fs::exists(installDir_ / "md5.edb"));
  EXPECT_TRUE(TableHoldsTheFavorite()) << "the favorites did not stay";
  EXPECT_TRUE(Slurp(picture) == ownPicture);

  // ---- Installed again, the kept favorites are there; /RemoveData takes the lot.
  ASSERT_EQ(SilentInstall(), 0);
  EXPECT_TRUE(TableHoldsTheFavorite());
  std::ofstream(installDir_ / "书签.html") << "not the program's";
  ASSERT_EQ(Wine({(installDir_ / "uninstall.exe").string(), "/S", "/RemoveData"}), 0);
  Settle();
  EXPECT_FALSE(fs::exists(Table()));
  EXPECT_FALSE(fs::exists(installDir_ / "md5.edb"));
  EXPECT_FALSE(fs::exists(installDir_ / "配置图片"));
  EXPECT_FALSE(fs::exists(installDir_ / "声音"));
  EXPECT_TRUE(fs::exists(installDir_ / "书签.html")) << "a file not the program's was removed";
}

}  // namespace
