#pragma once
// A window backend without a toolkit, for tests: windows are only models, and each
// message loop runs a callback of the test in place of the user. After the callback
// a window still open is destroyed, as the user would close it with its frame.
//
//   ScriptedWindowBackend windows;
//   windows.modalScript = [](Window& w) {
//     auto& settings = static_cast<SettingsWindow&>(w);
//     UserType(settings, "编辑框4", GBK("pw"));
//     UserClick(settings, "按钮3");
//   };

#include <functional>
#include <vector>

#include "forms/window_backend.h"

class ScriptedWindowBackend : public WindowBackend {
 public:
  void ShowWindow(Window& window, bool modal) override;
  void RunUntilDestroyed(Window& window) override;

  std::function<void(Window&)> mainScript;   // the loop of a non-modal window
  std::function<void(Window&)> modalScript;  // the loop of a modal window

  struct Shown {
    Window* window;
    bool modal;
  };
  std::vector<Shown> shown;  // every window shown, in order
  int modalOpen = 0;         // modal windows open now

 private:
  bool IsModal(const Window& window) const;
};
