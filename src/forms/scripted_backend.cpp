#include "forms/scripted_backend.h"

bool ScriptedWindowBackend::IsModal(const Window& window) const {
  for (const Shown& s : shown)
    if (s.window == &window) return s.modal;
  return false;
}

void ScriptedWindowBackend::ShowWindow(Window& window, bool modal) {
  if (modal) {
    for (Shown& s : shown)
      if (!s.window->destroyed()) ++s.window->modalBlocks;
    ++modalOpen;
  }
  shown.push_back({&window, modal});
}

void ScriptedWindowBackend::RunUntilDestroyed(Window& window) {
  const bool modal = IsModal(window);
  if (!window.destroyed()) {
    auto& script = modal ? modalScript : mainScript;
    if (script) script(window);
  }
  window.Destroy();
  // Forget the window: the model may go once its loop has returned.
  std::vector<Shown> rest;
  for (Shown& s : shown)
    if (s.window != &window) rest.push_back(s);
  shown = rest;
  if (modal) {
    --modalOpen;
    for (Shown& s : shown)
      if (s.window->modalBlocks > 0) --s.window->modalBlocks;
  }
}
