#include "app/program_entry.h"

#include "app/bindings.h"

void InitApplicationState(AppState& state) { state = AppState{}; }

void ReleaseApplicationState(Program& program) {
  ++program.releaseCount;
  // Swapping with empty ones gives the memory back, not just the elements.
  AppState released;
  std::swap(program.state, released);
}

void CloseButtonClicked(Program& program) { CloseMainWindow(program); }

namespace {
// Runs ReleaseApplicationState once when ProgramEntry is left, however it is left.
struct ReleaseAtEnd {
  Program& program;
  ~ReleaseAtEnd() { ReleaseApplicationState(program); }
};
}  // namespace

void StartMainWindow(Program& program) {
  BindMainWindow(program);
  program.bindSettingsWindow = BindSettingsWindow;
  MainWindow& main = program.mainWindow;
  program.windows->ShowWindow(main, false);
  // Before the loop runs, so before any input can reach the window.
  if (main.onCreated && !main.destroyed()) main.onCreated();
}

int ProgramEntry(Program& program) {
  InitApplicationState(program.state);
  ReleaseAtEnd release{program};
  StartMainWindow(program);
  program.windows->RunUntilDestroyed(program.mainWindow);
  return 0;
}
