#include "browser/find_by_typing.h"

#include "browser/favorite_match.h"
#include "browser/site_board.h"

namespace {

// Where the typed text stands: below the fifth row of tiles, above the page buttons and
// clear of the add button, which lies over the board's bottom left corner.
constexpr int kTypedX = 10;
constexpr int kTypedY = 424;

void ShowTyped(Program& program) {
  MainWindow& w = program.mainWindow;
  KeyboardState& k = program.state.keyboard;
  SpriteBoardModel& board = w.动画框1.model;
  if (k.typedSprite == 0 || !board.Find(k.typedSprite))
    k.typedSprite = board.CreateObject(&w.动画物体_显示页数.settings, kTypedX, kTypedY);
  board.SetObjectText(k.typedSprite, GBK("查找：") + k.typed);
}

void HideTyped(Program& program) {
  KeyboardState& k = program.state.keyboard;
  if (k.typedSprite != 0) program.mainWindow.动画框1.model.DeleteObject(k.typedSprite);
  k.typedSprite = 0;
  k.typed.clear();
  k.savedRecords.clear();
}

void ShowList(Program& program, std::vector<FavoriteRecord> records, int page) {
  AppState& s = program.state;
  s.categoryRecords = std::move(records);
  const int n = static_cast<int>(s.categoryRecords.size());
  s.fullPages = n / TilesPerPage;
  s.lastPageCount = n % TilesPerPage;
  ShowPage(program, page);
}

void ShowMatches(Program& program) {
  AppState& s = program.state;
  ShowList(program, FindFavorites(s, s.keyboard.typed), 1);
  ShowTyped(program);
}

// The length of the last GBK character of `text`.
size_t LastCharacterLength(const Text& text) {
  size_t i = 0, last = 0;
  for (; i < text.size(); i += last) last = GbkCharLength(std::string_view(text).substr(i));
  return last;
}

}  // namespace

bool Searching(const AppState& state) { return !state.keyboard.typed.empty(); }

std::vector<FavoriteRecord> FindFavorites(AppState& state, const Text& typed) {
  KeyboardState& k = state.keyboard;
  if (!k.keysMade) {
    k.keys.reserve(state.allRecords.size());
    for (const FavoriteRecord& r : state.allRecords) k.keys.push_back(MakeSearchKeys(r));
    k.keysMade = true;
  }
  const std::string query = SearchQuery(typed);
  std::vector<FavoriteRecord> found;
  for (size_t i = 0; i < state.allRecords.size(); ++i)
    if (SearchMatches(k.keys[i], query)) found.push_back(state.allRecords[i]);
  return found;
}

bool TypeSearchText(Program& program, const Text& text) {
  AppState& s = program.state;
  KeyboardState& k = s.keyboard;
  if (text.empty() || k.typed.size() + text.size() > kMostTypedBytes) return false;
  if (k.typed.empty()) {
    if (text == " ") return false;
    k.savedRecords = s.categoryRecords;
    k.savedPage = s.currentPage;
  }
  k.typed += text;
  ShowMatches(program);
  return true;
}

bool EraseSearchCharacter(Program& program) {
  KeyboardState& k = program.state.keyboard;
  if (k.typed.empty()) return false;
  k.typed.resize(k.typed.size() - LastCharacterLength(k.typed));
  if (k.typed.empty()) return EndSearch(program) || true;
  ShowMatches(program);
  return true;
}

bool EndSearch(Program& program) {
  AppState& s = program.state;
  KeyboardState& k = s.keyboard;
  if (k.typed.empty() && k.typedSprite == 0) return false;
  std::vector<FavoriteRecord> saved = std::move(k.savedRecords);
  const int page = k.savedPage;
  HideTyped(program);
  ShowList(program, std::move(saved), page >= 1 ? page : 1);
  return true;
}

void ForgetSearch(Program& program) { HideTyped(program); }
