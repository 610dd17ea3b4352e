// The real program under Xvfb with an AT-SPI bus of its own, read and used the way a
// screen reader does (Debian's pyatspi): the main window is a frame named by its title,
// the category buttons, the tiles of the first page (icon, account, modify), the page
// buttons and the page label are there by name, and their actions do what clicks do.
// Skipped without Xvfb, a D-Bus daemon, the AT-SPI bus or pyatspi; in CI they must be there.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "browser/fixture_run_directory.h"
#include "support/x_session.h"

namespace fs = std::filesystem;
using namespace x_session;

namespace {

const char kTitle[] = "Vinkabo_Tamsor专用";
const char kPython[] = "/usr/bin/python3";  // Debian's, with Debian's pyatspi
const char kBusLauncher[] = "/usr/libexec/at-spi-bus-launcher";

void Pause(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

struct Node {
  int depth = 0;
  std::string role, name, description, actions;
};

std::vector<Node> ParseDump(const std::vector<std::string>& lines) {
  std::vector<Node> nodes;
  for (const std::string& line : lines) {
    std::vector<std::string> f;
    std::stringstream in(line);
    for (std::string field; std::getline(in, field, '\t');) f.push_back(field);
    f.resize(5);
    nodes.push_back({std::atoi(f[0].c_str()), f[1], f[2], f[3], f[4]});
  }
  return nodes;
}

// The names of the push buttons in dump order.
std::vector<std::string> ButtonNames(const std::vector<Node>& nodes) {
  std::vector<std::string> names;
  for (const Node& n : nodes)
    if (n.role == "push button") names.push_back(n.name);
  return names;
}

const Node* Named(const std::vector<Node>& nodes, const std::string& role, const std::string& name) {
  for (const Node& n : nodes)
    if (n.role == role && n.name == name) return &n;
  return nullptr;
}

bool CanImportPyatspi() {
  pid_t pid = Spawn({kPython, "-c", "import pyatspi"}, {});
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

class ScreenReaderRealWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    program_ = fs::path(VK_BINARY_DIR) / "run" / "vinkabo";
    X_SESSION_REQUIRE(OnPath("Xvfb"), "needs Xvfb");
    X_SESSION_REQUIRE(OnPath("dbus-daemon"), "needs dbus-daemon");
    X_SESSION_REQUIRE(fs::exists(kBusLauncher), "needs the AT-SPI bus (at-spi2-core)");
    X_SESSION_REQUIRE(CanImportPyatspi(), "needs python3-pyatspi");
    X_SESSION_REQUIRE(fs::exists(program_), "the program is not built: " << program_);
    display_ = x_.Start();
    ASSERT_FALSE(display_.empty()) << "Xvfb did not start";
    // A session bus of our own: the AT-SPI bus launcher is started on it by activation,
    // and goes with it.
    int fds[2];
    ASSERT_EQ(0, pipe(fds));
    bus_ = Spawn({"dbus-daemon", "--session", "--nofork", "--print-address=" + std::to_string(fds[1])}, {}, -1,
                 fds[1]);
    close(fds[1]);
    std::string address;
    for (char c; read(fds[0], &c, 1) == 1 && c != '\n';) address += c;
    close(fds[0]);
    ASSERT_FALSE(address.empty()) << "dbus-daemon gave no address";
    busAddress_ = "DBUS_SESSION_BUS_ADDRESS=" + address;
  }
  void TearDown() override {
    Kill(app_, SIGKILL);
    Kill(bus_, SIGTERM);
    dir_.reset();
  }

  // 35 favorites, all common: page 1 holds 30 tiles, page 2 five. The stub xdg-open
  // writes the address it is given into "opened".
  void MakeRunDirectory() {
    dir_ = std::make_unique<FixtureRunDirectory>("screen_reader");
    const fs::path run = dir_->host();
    fs::copy_file(program_, run / "vinkabo", fs::copy_options::overwrite_existing);
    fs::create_directories(run / "bin");
    std::ofstream(run / "bin" / "xdg-open") << "#!/bin/sh\necho \"$1\" >> '" << (run / "opened").string() << "'\n";
    fs::permissions(run / "bin" / "xdg-open", fs::perms::owner_all);
    WriteSkin(*dir_);
    for (int i = 0; i < 35; ++i) {
      FavoriteRecord r = Favorite(i == 0 ? GBK("百度") : GBK("site") + NumberText(i), i % 7, 1);
      r.address = "http://127.0.0.1:9/site" + std::to_string(i);
      records_.push_back(r);
    }
    WriteIcons(*dir_, records_);
    ASSERT_TRUE(dir_->WriteFavorites(records_));
    ASSERT_TRUE(dir_->WriteSettings(Text(), 0, 0));
  }

  std::vector<std::string> Env() const {
    std::vector<std::string> env = LoopbackEnv(display_, dir_->host() + "/bin");
    env.push_back(busAddress_);
    env.push_back("QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1");
    env.push_back("QT_ACCESSIBILITY=1");
    return env;
  }
  std::vector<Node> Dump() {
    return ParseDump(OutputLines({kPython, VK_SOURCE_DIR "/tests/app/screen_reader_probe.py", "dump", kTitle}, Env()));
  }
  // Runs the accessible action of the push button `name`; true when the probe found it.
  bool Press(const std::string& name) {
    pid_t pid = Spawn({kPython, VK_SOURCE_DIR "/tests/app/screen_reader_probe.py", "press", kTitle, name}, Env());
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
  }
  std::string Opened() const {
    std::ifstream in(dir_->host() + "/opened");
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  // Dumps until `ready` holds for the tree (the program acts on a press from its event
  // loop, after the caller has its answer), at most ~10 s.
  template <class Ready>
  std::vector<Node> DumpUntil(Ready ready) {
    std::vector<Node> nodes;
    for (int i = 0; i < 40; ++i) {
      nodes = Dump();
      if (nodes.empty() || ready(nodes)) break;  // no frame: the probe waited a minute already
      Pause(250);
    }
    return nodes;
  }

  fs::path program_;
  std::unique_ptr<FixtureRunDirectory> dir_;
  std::vector<FavoriteRecord> records_;
  std::string display_, busAddress_;
  XServer x_;
  pid_t bus_ = -1, app_ = -1;
};

TEST_F(ScreenReaderRealWindow, ReadsTheBoardsAndPressesWhatItNames) {
  MakeRunDirectory();
  app_ = Spawn({dir_->host() + "/vinkabo"}, Env());
  const std::string label1 = "第1页，共2页", label2 = "第2页，共2页";
  std::vector<Node> tree = DumpUntil([&](const std::vector<Node>& n) { return Named(n, "label", label1); });
  ASSERT_FALSE(tree.empty()) << "no frame named " << kTitle << " on the AT-SPI bus";
  for (const Node& n : tree) std::cerr << std::string(n.depth * 2, ' ') << n.role << " | " << n.name << " | "
                                       << n.description << " | " << n.actions << "\n";

  // The window is a frame named by its title.
  EXPECT_EQ(0, tree[0].depth);
  EXPECT_EQ("frame", tree[0].role);
  EXPECT_EQ(kTitle, tree[0].name);

  // The eight category buttons, from the left, each with its press.
  const std::vector<std::string> buttons = ButtonNames(tree);
  const std::vector<std::string> categories = {"常用", "学习", "论坛", "资源", "影音", "购物", "游戏", "手机"};
  auto at = std::search(buttons.begin(), buttons.end(), categories.begin(), categories.end());
  EXPECT_NE(buttons.end(), at) << "the category buttons, in order";
  for (const std::string& c : categories) {
    const Node* b = Named(tree, "push button", c);
    ASSERT_NE(nullptr, b) << c;
    EXPECT_EQ("Press", b->actions) << c;
  }

  // The 30 tiles of page 1: icon (name, address), account and modify, in slot order.
  std::vector<std::string> tiles;
  for (int i = 0; i < 30; ++i) {
    const std::string name = GbkToUtf8(records_[i].siteName);
    tiles.insert(tiles.end(), {name, "帐号：" + name, "修改：" + name});
    const Node* icon = Named(tree, "push button", name);
    ASSERT_NE(nullptr, icon) << name;
    EXPECT_EQ(records_[i].address, icon->description);
  }
  at = std::search(buttons.begin(), buttons.end(), tiles.begin(), tiles.end());
  EXPECT_NE(buttons.end(), at) << "the 30 tiles of page 1, in slot order";
  EXPECT_EQ(nullptr, Named(tree, "push button", "site30")) << "page 2 is not on the board";
  for (const char* page : {"首页", "上一页", "下一页", "尾页"}) EXPECT_NE(nullptr, Named(tree, "push button", page)) << page;
  // The window's own buttons, the picture-only one included.
  for (const char* button : {"添加收藏", "设置/改密码", "关闭"}) EXPECT_NE(nullptr, Named(tree, "push button", button)) << button;
  EXPECT_NE(nullptr, Named(tree, "label", label1));

  // A tile's icon opens its address, as a click does.
  ASSERT_TRUE(Press("site7"));
  for (int i = 0; i < 50 && Opened().empty(); ++i) Pause(100);
  EXPECT_EQ("http://127.0.0.1:9/site7\n", Opened());

  // The next-page button turns the page: its five tiles and the label say so.
  ASSERT_TRUE(Press("下一页"));
  tree = DumpUntil([&](const std::vector<Node>& n) { return Named(n, "label", label2); });
  EXPECT_NE(nullptr, Named(tree, "label", label2));
  EXPECT_NE(nullptr, Named(tree, "push button", "site34"));
  EXPECT_EQ(nullptr, Named(tree, "push button", "site7")) << "page 1's tiles are gone";

  // A listening screen reader hears a page turn: the new tiles come, the label is renamed.
  const std::vector<std::string> heard =
      OutputLines({kPython, VK_SOURCE_DIR "/tests/app/screen_reader_probe.py", "listen", kTitle, "首页"}, Env());
  auto Heard = [&heard](const std::string& line) { return std::find(heard.begin(), heard.end(), line) != heard.end(); };
  EXPECT_TRUE(Heard("object:children-changed:add\tsite29")) << "page 1's last tile came back";
  EXPECT_TRUE(Heard("object:property-change:accessible-name\t" + label1));

  // A category button chooses its list: 学习 holds the favorites of category 0.
  ASSERT_TRUE(Press("学习"));
  tree = DumpUntil([&](const std::vector<Node>& n) { return Named(n, "label", "第1页，共1页"); });
  EXPECT_NE(nullptr, Named(tree, "push button", "site14"));
  EXPECT_EQ(nullptr, Named(tree, "push button", "site1")) << "category 1 is not listed under 学习";
  ASSERT_TRUE(Press("site14"));
  for (int i = 0; i < 50 && Opened().find("site14") == std::string::npos; ++i) Pause(100);
  EXPECT_EQ("http://127.0.0.1:9/site7\nhttp://127.0.0.1:9/site14\n", Opened());
}

}  // namespace
