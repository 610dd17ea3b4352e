#pragma once
// The program object every handler takes: the main window, the settings window while
// it is open, the application state and the services. Handlers are free functions
// `void SomeHandler(Program& program, ...)`. Header only, like app_state.h, so the
// handler layers below app/ can take it without linking app/.

#include <functional>
#include <memory>

#include "program/app_state.h"
#include "forms/main_window.h"
#include "forms/settings_window.h"
#include "forms/window_backend.h"
#include "ui/services.h"

struct Program {
  Services services;                // dialogs, sound, shell, network, pointer, clock
  WindowBackend* windows = nullptr;  // Qt in the program, scripted in tests
  AppState state;
  MainWindow mainWindow;
  std::unique_ptr<SettingsWindow> settingsWindow;  // only while it is open

  // Set by app/ at start: connects a freshly created settings window's events.
  std::function<void(Program&, SettingsWindow&)> bindSettingsWindow;
  // How often ReleaseApplicationState has run (it must be once, at the end).
  int releaseCount = 0;
};

// Destroys the main window; the message loop then returns and the program ends.
inline void CloseMainWindow(Program& program) { program.mainWindow.Destroy(); }

// Destroys the settings window if it is open; its modal loop then returns.
inline void CloseSettingsWindow(Program& program) {
  if (program.settingsWindow) program.settingsWindow->Destroy();
}

// Creates the settings window, shows it modally (its creation-finished event fires
// first) and returns when it has been destroyed, by its own handlers, by the user, or
// because the main window went. The window object is gone afterwards.
inline void OpenSettingsWindowModal(Program& program) {
  if (program.settingsWindow || program.mainWindow.destroyed()) return;  // one at a time
  program.settingsWindow = std::make_unique<SettingsWindow>();
  SettingsWindow& w = *program.settingsWindow;
  // Where the layouts put it beside the main window, wherever the user has moved that.
  const MainWindow& main = program.mainWindow;
  w.SetPosition(main.left() + w.left() - MainWindow::kDesignLeft, main.top() + w.top() - MainWindow::kDesignTop);
  if (program.bindSettingsWindow) program.bindSettingsWindow(program, w);
  program.windows->ShowWindow(w, true);
  if (w.onCreated && !w.destroyed()) w.onCreated();
  program.windows->RunUntilDestroyed(w);
  program.settingsWindow.reset();
}
