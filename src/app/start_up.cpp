#include "app/start_up.h"

#include "base/paths.h"
#include "browser/category_bar.h"
#include "browser/site_board.h"
#include "browser/tip_popup.h"
#include "storage/favorites_table.h"
#include "storage/settings_table.h"
#include "ui/balloon_tip.h"

namespace {

// The connectivity test waits on the network for seconds when it hangs: it runs aside,
// so the window paints and answers the pointer meanwhile, and `then` gets whether the
// machine is online once it has ended (not at all if the window has gone by then).
void WhenTested(Program& program, void (*then)(Program&, bool online)) {
  NetworkService* network = program.services.network;
  if (network == nullptr) return then(program, false);
  if (program.windows == nullptr) return then(program, network->ConnectivityTest() == 1);
  program.windows->RunAside([network] { return network->ConnectivityTest(); },
                            [&program, then](int result) {
                              if (!program.mainWindow.destroyed()) then(program, result == 1);
                            });
}

void ShowOnlineOrOffline(Program& program, bool online) {
  if (online) return;  // the web box shows once its page has loaded
  MainWindow& w = program.mainWindow;
  WriteTipSettings(program, {{kBalloonDisplayTime, 2500}});
  PopTip(program, w.left() + 200, w.top() + 40, GBK("阿哦,你好像断网了!!!"));
}

void ShowAdvert(Program& program, bool online) {
  if (!online) return;
  MainWindow& w = program.mainWindow;
  w.超文本浏览框1.SetVisible(true);
  // No settings of its own: the last tip's settings stay in force.
  PopTip(program, w.left() + 280, w.top() + 50, GBK("如果觉得软件好使,请点击广告给力作者!!谢谢"));
}

Bytes Skin(const char* utf8Relative) { return ReadFileBytes(RunDirectory() + Utf8ToGbk(utf8Relative)); }

}  // namespace

void MainWindowCreated(Program& program) {
  MainWindow& w = program.mainWindow;
  AppState& s = program.state;

  // Online or not, the web box waits hidden: it shows once its page has really
  // loaded (WebBoxPageLoaded), never as an empty box or an error page over the skin.
  w.超文本浏览框1.SetVisible(false);
  WhenTested(program, ShowOnlineOrOffline);

  w.SetBackgroundPicture(Skin("\\配置图片\\背景.JPG"));

  BuildCategoryButtons(program);
  BuildPageControls(program);

  LoadFavorites(s.allRecords, *program.services.messageBox);  // says so itself when it fails

  w.选择夹1.SetVisible(false);

  w.按钮1.SetPicture(Skin("\\配置图片\\关闭.jpg"));
  w.按钮2.SetPicture(Skin("\\配置图片\\设置.gif"));
  w.图形按钮_添加.SetNormalPicture(Skin("\\配置图片\\添加收藏1.gif"));
  w.图形按钮_添加.SetHoverPicture(Skin("\\配置图片\\添加收藏2.gif"));
  w.图形按钮_添加.SetPressedPicture(Skin("\\配置图片\\添加收藏3.gif"));

  if (!LoadProtectionSettings(s.protection, *program.services.messageBox)) {
    s.settingsUnreadable = true;
    return;
  }

  SelectCategory(program, 0);
}

void WebBoxPageLoaded(Program& program) { WhenTested(program, ShowAdvert); }

void WebBoxLinkClicked(Program& program, Text address) {
  if (program.services.shell) program.services.shell->OpenAddress(address);
}
