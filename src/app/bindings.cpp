// The one table of event bindings: window, control, event -> handler. An event with
// no line here is ignored. Handlers are free functions taking the Program first and
// then the event's arguments; add a line (and its header) when a handler exists.

#include "app/bindings.h"

#include <functional>

#include "app/program_entry.h"
#include "app/start_up.h"
#include "browser/account_viewer.h"
#include "browser/category_bar.h"
#include "browser/tile_events.h"
#if __has_include("editor/manager_gate.h")
#include "editor/manager_gate.h"
#define VK_MODIFY_STEP ManagerLoginGate
#else
#define VK_MODIFY_STEP nullptr
#endif

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
  Bind(w.onCreated, p, MainWindowCreated);
  Bind(w.超文本浏览框1.onPageLoaded, p, WebBoxPageLoaded);
  Bind(w.动画框_分类.model.events.leftPressed, p, CategoryPressed);
  Bind(w.动画框_分类.model.events.pointerEntered, p, CategoryEntered);
  Bind(w.动画框_分类.model.events.pointerLeft, p, CategoryLeft);
  // Account, open and page steps, then the editor's modify step, in that order.
  w.动画框1.model.events.leftPressed = [&p](int sprite) { TilePressed(p, sprite, VK_MODIFY_STEP); };
  Bind(w.动画框1.model.events.pointerEntered, p, TileEntered);
  Bind(w.动画框1.model.events.pointerLeft, p, TileLeft);
  Bind(w.按钮_关闭帐号密码显示.onClicked, p, HideAccountViewer);
}

void BindSettingsWindow(Program& p, SettingsWindow& w) {
  (void)p;
  (void)w;
}
