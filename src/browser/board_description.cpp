#include "browser/board_description.h"

#include "browser/list_access.h"

namespace {

BoardItem ButtonItem(int sprite, Text name, Text description = {}) {
  return {sprite, BoardItemRole::Button, std::move(name), std::move(description)};
}

// The lists' names, as the buttons' pictures and sounds carry them.
const Text& CategoryName(int button) {
  static const Text* names[] = {&GBK("常用"), &GBK("学习"), &GBK("论坛"), &GBK("资源"),
                                &GBK("影音"), &GBK("购物"), &GBK("游戏"), &GBK("手机")};
  if (button < 1 || button > 8) ElementOutOfRange();
  return *names[button - 1];
}

const Text& PageButtonName(int button) {
  static const Text* names[] = {&GBK("首页"), &GBK("上一页"), &GBK("下一页"), &GBK("尾页")};
  if (button < 1 || button > 4) ElementOutOfRange();
  return *names[button - 1];
}

bool AllDigits(const Text& t) {
  if (t.empty()) return false;
  for (char c : t)
    if (c < '0' || c > '9') return false;
  return true;
}

}  // namespace

std::vector<BoardItem> CategoryBarItems(const Program& program) {
  std::vector<BoardItem> items;
  const std::vector<int>& buttons = program.state.categoryButtons;
  for (int k = 1; k <= 8 && k <= static_cast<int>(buttons.size()); ++k)
    items.push_back(ButtonItem(ElementAt(buttons, k), CategoryName(k)));
  return items;
}

std::vector<BoardItem> SiteBoardItems(const Program& program) {
  const AppState& s = program.state;
  std::vector<BoardItem> items;
  const long long first = static_cast<long long>(s.currentPage - 1) * TilesPerPage;
  for (std::size_t slot = 0; slot < s.tiles.size(); ++slot) {
    const long long element = first + static_cast<long long>(slot) + 1;
    if (s.currentPage < 1 || element > static_cast<long long>(s.categoryRecords.size())) break;
    const FavoriteRecord& r = ElementAt(s.categoryRecords, element);
    const SiteTile& tile = s.tiles[slot];
    items.push_back(ButtonItem(tile.iconSprite, r.siteName, r.address));
    items.push_back(ButtonItem(tile.accountSprite, GBK("帐号：") + r.siteName));
    items.push_back(ButtonItem(tile.modifySprite, GBK("修改：") + r.siteName));
  }
  for (int k = 1; k <= 4 && k <= static_cast<int>(s.pageButtons.size()); ++k)
    items.push_back(ButtonItem(ElementAt(s.pageButtons, k), PageButtonName(k)));
  if (s.pageLabel > 0) {
    const Sprite* label = program.mainWindow.动画框1.model.Find(s.pageLabel);
    if (label) items.push_back({s.pageLabel, BoardItemRole::Text, PageLabelWords(label->text), {}});
  }
  return items;
}

Text PageLabelWords(const Text& labelText) {
  const std::size_t slash = labelText.find('/');
  if (slash == Text::npos) return labelText;
  const Text count = labelText.substr(0, slash), current = labelText.substr(slash + 1);
  if (!AllDigits(count) || !AllDigits(current)) return labelText;
  return GBK("第") + current + GBK("页，共") + count + GBK("页");
}
