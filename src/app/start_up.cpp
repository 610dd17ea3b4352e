#include "app/start_up.h"

#include "base/paths.h"
#include "browser/category_bar.h"
#include "browser/site_board.h"
#include "browser/tip_popup.h"
#include "storage/favorites_table.h"
#include "storage/settings_table.h"
#include "ui/balloon_tip.h"

namespace {

bool Online(Program& program) {
  return program.services.network != nullptr && program.services.network->ConnectivityTest() == 1;
}

Bytes Skin(const char* utf8Relative) { return ReadFileBytes(RunDirectory() + Utf8ToGbk(utf8Relative)); }

}  // namespace

void MainWindowCreated(Program& program) {
  MainWindow& w = program.mainWindow;
  AppState& s = program.state;

  // Online or not, the web box waits hidden: it shows once its page has really
  // loaded (WebBoxPageLoaded), never as an empty box or an error page over the skin.
  w.超文本浏览框1.SetVisible(false);
  if (!Online(program)) {
    WriteTipSettings(program, {{kBalloonDisplayTime, 2500}});
    PopTip(program, w.left() + 200, w.top() + 40, GBK("阿哦,你好像断网了!!!"));
  }

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

void WebBoxPageLoaded(Program& program) {
  if (!Online(program)) return;
  MainWindow& w = program.mainWindow;
  w.超文本浏览框1.SetVisible(true);
  // No settings of its own: the last tip's settings stay in force.
  PopTip(program, w.left() + 280, w.top() + 50, GBK("如果觉得软件好使,请点击广告给力作者!!谢谢"));
}

void WebBoxLinkClicked(Program& program, Text address) {
  if (program.services.shell) program.services.shell->OpenAddress(address);
}
