#pragma once
// A private Wayland desktop for the tests: sway on its headless backend, with a runtime
// folder of its own, and what the tests read from it: the windows it manages (from its
// tree) and pictures of the output (grim). sway refuses to run as root: under root it
// runs as nobody, and root's clients still reach its socket.

#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "support/x_window.h"

namespace x_session {

// One window as sway manages it. `stack`: its place among the workspace's floating
// windows, bottom first (-1 when it is tiled).
struct SwayView {
  int pid = 0;
  Rect rect;
  bool focused = false;
  int stack = -1;
  std::string appId, name;
};

class SwaySession {
 public:
  SwaySession() = default;
  SwaySession(const SwaySession&) = delete;
  SwaySession& operator=(const SwaySession&) = delete;
  ~SwaySession() {
    Kill(sway_, SIGTERM);
    if (!runtime_.empty()) std::filesystem::remove_all(runtime_);
  }

  // Starts sway on one headless output of `width` x `height` with `config` added to its
  // configuration; false when it did not come up.
  bool Start(int width, int height, const std::string& config = "") {
    char pattern[] = "/tmp/vk_wayland.XXXXXX";
    if (!mkdtemp(pattern)) return false;
    runtime_ = pattern;
    const std::filesystem::path file = runtime_ / "config";
    std::ofstream(file) << "output HEADLESS-1 resolution " << width << "x" << height << " position 0 0\n"
                        << "default_border none\n"
                        << config;
    std::vector<std::string> argv = {"sway", "-c", file.string()};
    if (geteuid() == 0) {
      if (chown(runtime_.c_str(), 65534, 65534) != 0 || chown(file.c_str(), 65534, 65534) != 0) return false;
      argv.insert(argv.begin(), {"setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"});
    }
    sway_ = Spawn(argv, {"HOME=" + runtime_.string(), "XDG_RUNTIME_DIR=" + runtime_.string(),
                         "WLR_BACKENDS=headless", "WLR_LIBINPUT_NO_DEVICES=1", "WLR_RENDERER=pixman",
                         "WLR_XWAYLAND="});
    for (int i = 0; i < 200 && (display_.empty() || ipc_.empty()); ++i) {
      Pause(50);
      for (const auto& e : std::filesystem::directory_iterator(runtime_)) {
        const std::string name = e.path().filename().string();
        if (name.rfind("wayland-", 0) == 0 && name.find(".lock") == std::string::npos) display_ = name;
        if (name.rfind("sway-ipc.", 0) == 0) ipc_ = e.path().string();
      }
    }
    return !display_.empty() && !ipc_.empty();
  }

  // `env` (the X session's loopback environment) turned to this desktop: Qt on Wayland.
  std::vector<std::string> Env(std::vector<std::string> env) const {
    for (std::string& v : env)
      if (v == "QT_QPA_PLATFORM=xcb") v = "QT_QPA_PLATFORM=wayland";
    env.push_back("XDG_RUNTIME_DIR=" + runtime_.string());
    env.push_back("WAYLAND_DISPLAY=" + display_);
    env.push_back("SWAYSOCK=" + ipc_);
    return env;
  }
  std::string socketPath() const { return (runtime_ / display_).string(); }
  const std::filesystem::path& runtime() const { return runtime_; }

  // A sway command, as a user's key binding would run it.
  void Command(const std::string& command) const { OutputLines({"swaymsg", command}, Env({})); }

  // The tree as sway prints it.
  std::string Tree() const {
    std::string all;
    for (const std::string& l : OutputLines({"swaymsg", "-r", "-t", "get_tree"}, Env({}))) all += l + "\n";
    return all;
  }

  // Every window sway manages, read from its tree (python3 reads the JSON).
  std::vector<SwayView> Views() const {
    static const char kFlatten[] =
        "import json, subprocess\n"
        "tree = json.loads(subprocess.run(['swaymsg', '-r', '-t', 'get_tree'], capture_output=True).stdout)\n"
        "def walk(n, stack):\n"
        "    if n.get('pid') is not None:\n"
        "        r = n['rect']\n"
        "        print(n['pid'], r['x'], r['y'], r['width'], r['height'], int(n['focused']), stack,\n"
        "              n.get('app_id') or '-', n.get('name') or '', sep='\\t')\n"
        "    for c in n.get('nodes', []): walk(c, -1)\n"
        "    for i, c in enumerate(n.get('floating_nodes', [])): walk(c, i)\n"
        "walk(tree, -1)\n";
    std::vector<SwayView> views;
    for (const std::string& line : OutputLines({"python3", "-c", kFlatten}, Env({}))) {
      std::stringstream in(line);
      SwayView v;
      int focused = 0;
      in >> v.pid >> v.rect.x >> v.rect.y >> v.rect.w >> v.rect.h >> focused >> v.stack >> v.appId;
      in.get();
      std::getline(in, v.name);
      v.focused = focused != 0;
      if (in || in.eof()) views.push_back(v);
    }
    return views;
  }

  // The windows of one process, waited for until `count` of them are there.
  std::vector<SwayView> ViewsOf(int pid, size_t count = 1, int ms = 15000) const {
    std::vector<SwayView> mine;
    for (int i = 0; i < ms / 100; ++i) {
      mine.clear();
      for (const SwayView& v : Views())
        if (v.pid == pid) mine.push_back(v);
      if (mine.size() >= count) break;
      Pause(100);
    }
    return mine;
  }

  // A picture of the whole output, as PNG bytes (empty when grim failed).
  std::vector<unsigned char> Shot() const {
    const std::filesystem::path file = runtime_ / "shot.png";
    std::filesystem::remove(file);
    OutputLines({"grim", file.string()}, Env({}));
    return FileBytes(file);
  }

 private:
  std::filesystem::path runtime_;
  std::string display_, ipc_;
  pid_t sway_ = -1;
};

}  // namespace x_session
