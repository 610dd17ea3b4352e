// The program on Windows: the system's services and the Win32 window backend around
// ProgramEntry.

#include <windows.h>
#include <commctrl.h>
#include <ole2.h>

#include <chrono>

#include "app/program_entry.h"
#include "base/fatal_error.h"
#include "platform/connectivity.h"
#include "platform/shell_open.h"
#include "ui/sound_player.h"
#include "win32/parts.h"
#include "win32/win32_backend.h"

namespace {
class SteadyClock : public ClockService {
 public:
  std::int64_t NowMs() override {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
  }
};
}  // namespace

int main() {
  // Tab controls and the rest of the common controls; the web browser control wants a
  // single-threaded apartment with OLE.
  INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_STANDARD_CLASSES | ICC_TAB_CLASSES | ICC_WIN95_CLASSES};
  InitCommonControlsEx(&controls);
  const bool ole = SUCCEEDED(OleInitialize(nullptr));

  Win32MessageBox messageBox;
  Win32InputBox inputBox;
  Win32FileDialog fileDialog;
  SoundPlayer sound;
  SystemShellService shell;
  SystemNetworkService network;
  Win32Pointer pointer;
  SteadyClock clock;
  SetFatalErrorPresenter([&messageBox](const Text& message) { messageBox.Show(message, MB_ICONERROR, nullptr); });

  int code = 0;
  {
    Win32WindowBackend windows;
    Program program;
    program.services = {&messageBox, &inputBox, &fileDialog, &sound, &shell, &network, &pointer, &clock};
    program.windows = &windows;
    code = ProgramEntry(program);
  }
  if (ole) OleUninitialize();
  return code;
}
