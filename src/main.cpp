// The program: the real services and the Qt window backend around ProgramEntry.

#include <QApplication>
#include <chrono>

#include "app/program_entry.h"
#include "platform/connectivity.h"
#include "qt/app_icon.h"
#include "qt/qt_application.h"
#include "qt/qt_backend.h"
#include "qt/qt_dialogs.h"
#include "platform/shell_open.h"
#include "ui/sound_player.h"

namespace {
class SteadyClock : public ClockService {
 public:
  std::int64_t NowMs() override {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
  }
};
}  // namespace

int main(int argc, char** argv) {
  RestrictQtPlugins();
  QApplication app(argc, argv);
  SetUpQtApplication(app);
#ifdef VK_HAVE_APP_ICON
  app.setWindowIcon(IconOf(AppIconPictures()));
#endif

  QtMessageBox messageBox;
  QtInputBox inputBox;
  QtFileDialog fileDialog;
  SoundPlayer sound;
  SystemShellService shell;
  SystemNetworkService network;
  QtPointer pointer;
  SteadyClock clock;
  InstallFatalErrorMessageBox(messageBox);

  QtWindowBackend windows;
  // Every dialog belongs to the window it blocks.
  messageBox.owner = inputBox.owner = fileDialog.owner = [&windows] { return windows.TopWindow(); };
  Program program;
  program.services = {&messageBox, &inputBox, &fileDialog, &sound, &shell, &network, &pointer, &clock};
  program.windows = &windows;
  return ProgramEntry(program);
}
