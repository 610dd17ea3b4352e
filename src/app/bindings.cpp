// The one table of event bindings: window, control, event -> handler. An event with
// no line here is ignored. Handlers are free functions taking the Program first and
// then the event's arguments; add a line (and its header) when a handler exists.

#include "app/bindings.h"

#include <functional>

#include "app/program_entry.h"

namespace {
template <class... Args>
void Bind(std::function<void(Args...)>& event, Program& program,
          void (*handler)(Program&, Args...)) {
  event = [&program, handler](Args... args) { handler(program, args...); };
}
}  // namespace

void BindMainWindow(Program& p) {
  MainWindow& w = p.mainWindow;
  Bind(w.按钮1.onClicked, p, CloseButtonClicked);  // close: ends the program
}

void BindSettingsWindow(Program& p, SettingsWindow& w) {
  (void)p;
  (void)w;
}
