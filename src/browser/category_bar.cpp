#include "browser/category_bar.h"

#include "base/paths.h"
#include "browser/find_by_typing.h"
#include "browser/list_access.h"
#include "browser/program_sound.h"
#include "browser/site_board.h"

namespace {
constexpr int kButtons = 8;
constexpr int kButtonTop = 6;
constexpr int kButtonGap = 10;

// The button number of a sprite, 0 when it is none of them.
int ButtonOf(const Program& program, int sprite) {
  const std::vector<int>& buttons = program.state.categoryButtons;
  for (int k = 1; k <= kButtons && k <= static_cast<int>(buttons.size()); ++k)
    if (ElementAt(buttons, k) == sprite) return k;
  return 0;
}
}  // namespace

const Text& CategorySound(int button) {
  static const Text* sounds[kButtons] = {
      &GBK("\\声音\\常用.wav"), &GBK("\\声音\\学习.wav"), &GBK("\\声音\\论坛.wav"),
      &GBK("\\声音\\资源.wav"), &GBK("\\声音\\影音.wav"), &GBK("\\声音\\购物.wav"),
      &GBK("\\声音\\游戏.wav"), &GBK("\\声音\\手机.wav"),
  };
  if (button < 1 || button > kButtons) ElementOutOfRange();
  return *sounds[button - 1];
}

Text CategoryPicture(int button, int picture) {
  return GBK("\\配置图片\\分类\\菜单") + NumberText(button) + NumberText(picture) + ".png";
}

void BuildCategoryButtons(Program& program) {
  SpriteTemplate& tmpl = program.mainWindow.动画物体_分类;
  SpriteBoardModel& bar = program.mainWindow.动画框_分类.model;
  double x = tmpl.settings.left;
  const double y = kButtonTop;
  for (int k = 1; k <= kButtons; ++k) {
    SetTemplatePicture(tmpl.settings, ReadFileBytes(RunDirectory() + CategoryPicture(k, 1)));
    program.state.categoryButtons.push_back(bar.CreateObject(&tmpl.settings, x, y));
    x = x + bar.TemplateWidth(tmpl.settings) + kButtonGap;
  }
}

void CategoryEntered(Program& program, int sprite, int) {
  int k = ButtonOf(program, sprite);
  if (k == 0) return;
  program.mainWindow.动画框_分类.model.SetObjectPicture(sprite,
                                                     ReadFileBytes(RunDirectory() + CategoryPicture(k, 2)));
  PlayProgramSound(program, CategorySound(k));
}

void CategoryLeft(Program& program, int sprite, int) {
  int k = ButtonOf(program, sprite);
  if (k == 0) return;
  program.mainWindow.动画框_分类.model.SetObjectPicture(sprite,
                                                     ReadFileBytes(RunDirectory() + CategoryPicture(k, 1)));
}

void CategoryPressed(Program& program, int sprite) {
  int k = ButtonOf(program, sprite);
  if (k == 0) return;
  ForgetSearch(program);  // the chosen category replaces the search, which gives nothing back
  SelectCategory(program, k - 1);
}
