#pragma once
// What the real-window tests do on an X server besides running it: lay out the run
// folder with a stub browser, wait for a window manager and for windows, read where
// windows are, and read pictures back.

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "support/x_session.h"

namespace x_session {

inline void Pause(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

// A window's place and size on the screen.
struct Rect {
  int x = 0, y = 0, w = 0, h = 0;
  bool empty() const { return w <= 0 || h <= 0; }
  bool Contains(int px, int py) const { return px >= x && py >= y && px < x + w && py < y + h; }
  Rect Intersect(const Rect& o) const {
    const int l = std::max(x, o.x), t = std::max(y, o.y);
    const int r = std::min(x + w, o.x + o.w), b = std::min(y + h, o.y + o.h);
    return Rect{l, t, r - l, b - t};
  }
};

// A stub xdg-open in `binDir`: it opens nothing, and notes each address it is given,
// one a line, in `opened` when one is named.
inline void WriteStubXdgOpen(const std::filesystem::path& binDir, const std::filesystem::path& opened = {}) {
  std::filesystem::create_directories(binDir);
  std::ofstream stub(binDir / "xdg-open");
  stub << "#!/bin/sh\n";
  if (!opened.empty()) stub << "printf '%s\\n' \"$1\" >> '" << opened.string() << "'\n";
  stub << "exit 0\n";
  stub.close();
  std::filesystem::permissions(binDir / "xdg-open", std::filesystem::perms::owner_all);
}

// The built program copied into the run folder `run`, with the stub browser in run/bin.
inline void InstallProgram(const std::filesystem::path& program, const std::filesystem::path& run,
                           const std::filesystem::path& opened = {}) {
  std::filesystem::copy_file(program, run / "vinkabo", std::filesystem::copy_options::overwrite_existing);
  WriteStubXdgOpen(run / "bin", opened);
}

// The lines of a file once it has `count` of them (or `ms` have passed): what the stub
// browser was given.
inline std::vector<std::string> WaitLines(const std::filesystem::path& file, size_t count, int ms,
                                          int stepMs = 50) {
  std::vector<std::string> lines;
  for (int i = 0; i < ms / stepMs; ++i) {
    lines.clear();
    std::ifstream in(file);
    for (std::string line; std::getline(in, line);)
      if (!line.empty()) lines.push_back(line);
    if (lines.size() >= count) break;
    Pause(stepMs);
  }
  return lines;
}

inline std::vector<std::string> Xdotool(std::vector<std::string> args, const std::vector<std::string>& env) {
  args.insert(args.begin(), "xdotool");
  return OutputLines(args, env);
}

// `env` with every dead proxy pointed at `proxy` instead (when one is given).
inline std::vector<std::string> WithProxy(std::vector<std::string> env, const std::string& proxy) {
  if (proxy.empty()) return env;
  const std::string dead = DeadProxy();
  for (std::string& v : env)
    if (v.size() > dead.size() && v.compare(v.size() - dead.size(), std::string::npos, dead) == 0)
      v = v.substr(0, v.find('=') + 1) + proxy;
  return env;
}

// Starts openbox on the display and waits until it has told the root window its
// desktops; -1 when it did not get so far.
inline pid_t StartOpenbox(const std::string& display) {
  pid_t wm = Spawn({"openbox"}, {display});
  for (int i = 0; i < 200; ++i) {
    Pause(50);
    std::vector<std::string> desk = Xdotool({"get_desktop"}, {display});
    if (!desk.empty() && desk[0].find_first_not_of("0123456789") == std::string::npos) return wm;
  }
  Kill(wm, SIGTERM);
  return -1;
}

inline Rect WindowGeometry(const std::string& window, const std::vector<std::string>& env) {
  Rect r;
  for (const std::string& line : Xdotool({"getwindowgeometry", window}, env)) {
    int a = 0, b = 0;
    if (std::sscanf(line.c_str(), " Position: %d,%d", &a, &b) == 2) r.x = a, r.y = b;
    if (std::sscanf(line.c_str(), " Geometry: %dx%d", &a, &b) == 2) r.w = a, r.h = b;
  }
  return r;
}

// The first visible window whose title matches, waited for; empty when none came.
inline std::string WaitWindow(const std::string& titlePattern, const std::vector<std::string>& env,
                              int ms = 5000) {
  for (int i = 0; i < ms / 50; ++i) {
    std::vector<std::string> found = Xdotool({"search", "--onlyvisible", "--name", titlePattern}, env);
    if (!found.empty()) return found[0];
    Pause(50);
  }
  return {};
}

// Waits for a window to be off the screen.
inline bool WaitGone(const std::string& window, const std::vector<std::string>& env, int ms = 5000) {
  for (int i = 0; i < ms / 50; ++i) {
    bool shown = false;
    for (const std::string& w : Xdotool({"search", "--onlyvisible", "--name", "."}, env)) shown |= w == window;
    if (!shown) return true;
    Pause(50);
  }
  return false;
}

// The whole of a file (empty when it cannot be read).
inline std::vector<unsigned char> FileBytes(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Pixels of one colour in a decoded RGBA picture (ui/image.h's Image).
template <typename Picture>
int CountPixels(const Picture& image, int r, int g, int b) {
  if (image.empty()) return 0;
  int n = 0;
  const std::uint8_t* p = image.pixels();
  for (int i = 0; i < image.width * image.height; ++i, p += 4) n += p[0] == r && p[1] == g && p[2] == b;
  return n;
}

// A picture of part of the screen into `file`, taken with the grab mode of `grabber`
// (test_qt).
inline void GrabScreen(const std::filesystem::path& grabber, const Rect& r, const std::filesystem::path& file,
                       std::vector<std::string> env) {
  env.push_back("VK_GRAB_TO=" + file.string());
  env.push_back("VK_GRAB_RECT=" + std::to_string(r.x) + "," + std::to_string(r.y) + "," + std::to_string(r.w) +
                "," + std::to_string(r.h));
  std::filesystem::remove(file);
  OutputLines({grabber.string(), "--gtest_filter=ScreenGrab.*"}, env);
}

}  // namespace x_session
