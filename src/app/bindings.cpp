// The one table of event bindings: window, control, event -> handler. An event with
// no line here is ignored. Handlers are free functions taking the Program first and
// then the event's arguments; add a line (and its header) when a handler exists.

#include "app/bindings.h"

#include <functional>

#include "app/program_entry.h"
#include "app/start_up.h"
#include "browser/account_viewer.h"
#include "browser/board_description.h"
#include "browser/board_keys.h"
#include "browser/category_bar.h"
#include "browser/tile_events.h"
#include "browser/tile_light.h"
#include "editor/add_page.h"
#include "editor/file_picker.h"
#include "editor/manager_gate.h"
#include "editor/modify_page.h"
#include "protection/settings_window.h"

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
  Bind(w.超文本浏览框1.onLinkClicked, p, WebBoxLinkClicked);
  Bind(w.动画框_分类.model.events.leftPressed, p, CategoryPressed);
  Bind(w.动画框_分类.model.events.pointerEntered, p, CategoryEntered);
  Bind(w.动画框_分类.model.events.pointerLeft, p, CategoryLeft);
  // Account, open and page steps, then the editor's modify step, in that order.
  w.动画框1.model.events.leftPressed = [&p](int sprite) { TilePressed(p, sprite, ManagerLoginGate); };
  Bind(w.动画框1.model.events.pointerEntered, p, TileEntered);
  Bind(w.动画框1.model.events.pointerLeft, p, TileLeft);
  Bind(w.动画框1.model.events.pointerMoved, p, BoardPointerMoved);  // the pointer takes the light over
  w.动画框1.model.events.keyPressed = [&p](const BoardKey& key) { return BoardKeyPressed(p, key); };
  Bind(w.按钮_关闭帐号密码显示.onClicked, p, HideAccountViewer);
  // What a screen reader hears of the two boards.
  w.动画框_分类.model.describeItems = [&p] { return CategoryBarItems(p); };
  w.动画框1.model.describeItems = [&p] { return SiteBoardItems(p); };
  // The editor panel and the settings button.
  Bind(w.图形按钮_添加.onClicked, p, OpenAddPage);
  Bind(w.按钮_添加_确认添加.onClicked, p, ConfirmAdd);
  Bind(w.按钮_添加_取消添加.onClicked, p, CancelAdd);
  Bind(w.按钮_添加_选择声音.onClicked, p, PickAddSound);
  Bind(w.按钮_添加_选择图片.onClicked, p, PickAddIcon);
  Bind(w.按钮_修改_确认修改.onClicked, p, SaveModifiedFavorite);
  Bind(w.按钮_修改_删除.onClicked, p, DeleteShownFavorite);
  Bind(w.按钮_修改_取消修改.onClicked, p, CancelModify);
  Bind(w.按钮_修改_选择声音.onClicked, p, PickModifySound);
  Bind(w.按钮_修改_选择图片.onClicked, p, PickModifyIcon);
  Bind(w.按钮2.onClicked, p, OpenSettingsWindow);
  Bind(w.按钮2.onPointerMoved, p, SettingsButtonPointerMoved);
}

void BindSettingsWindow(Program& p, SettingsWindow& w) {
  Bind(w.onCreated, p, SettingsWindowCreated);
  Bind(w.按钮3.onClicked, p, SettingsLogin);
  Bind(w.选择框_密码开关.onClicked, p, StorePasswordCheckSwitch);
  Bind(w.选择框_声音开关.onClicked, p, StoreSoundSwitch);
  Bind(w.选择框1.onClicked, p, ShowOrMaskPasswords);
  Bind(w.按钮1.onClicked, p, ChangePassword);
  Bind(w.按钮2.onClicked, p, CloseSettings);
}
