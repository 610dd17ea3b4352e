#include "browser/site_board.h"

#include "base/paths.h"
#include "browser/favorite_icon.h"
#include "browser/list_access.h"

namespace {

constexpr int kColumns = 6;
constexpr int kTileWidth = 110;
constexpr int kTileHeight = 80;
constexpr int kPageButtons = 4;
constexpr int kFirstPageButtonX = 320;
constexpr int kPageButtonGap = 70;
constexpr int kPageButtonY = 448;
constexpr int kPageLabelX = 280;
constexpr int kPageLabelY = 455;

void LayOutTile(Program& program, const FavoriteRecord& r, int x, int y) {
  MainWindow& w = program.mainWindow;
  SpriteBoardModel& board = w.动画框1.model;
  const Text run = RunDirectory();
  SiteTile tile;

  SpriteTemplateSettings& icon = w.动画物体_图标.settings;
  SetTemplatePicture(icon, ReadFavoriteIcon(r.iconPath));
  tile.iconSprite = board.CreateObject(&icon, x + 55, y + 25);
  FitIconToTemplate(program, tile.iconSprite, icon.width, icon.height);

  SpriteTemplateSettings& name = w.动画物体_网站.settings;
  name.text = r.siteName;
  tile.nameSprite = board.CreateObject(&name, x + 55, y + 80);

  // The two button pictures are read again for every tile: nothing is cached.
  SpriteTemplateSettings& account = w.动画物体_帐号.settings;
  SetTemplatePicture(account, ReadFileBytes(run + GBK("\\配置图片\\帐号.gif")));
  tile.accountSprite = board.CreateObject(&account, x + 110, y + 54);

  SpriteTemplateSettings& modify = w.动画物体_修改.settings;
  SetTemplatePicture(modify, ReadFileBytes(run + GBK("\\配置图片\\修改.jpg")));
  tile.modifySprite = board.CreateObject(&modify, x + 110, y + 25);

  program.state.tiles.push_back(tile);
}

// `count` tiles row by row from record `first` (1-based) of categoryRecords.
void LayOutTiles(Program& program, long long first, int count) {
  for (int i = 0; i < count; ++i) {
    int x = kTileWidth * (i % kColumns);
    int y = kTileHeight * (i / kColumns);
    LayOutTile(program, ElementAt(program.state.categoryRecords, first + i), x, y);
  }
}

void WritePageLabel(Program& program) {
  const AppState& s = program.state;
  program.mainWindow.动画框1.model.SetObjectText(
      s.pageLabel, NumberText(PageCount(s)) + "/" + NumberText(s.currentPage));
}

}  // namespace

int PageCount(const AppState& state) {
  return state.lastPageCount == 0 ? state.fullPages : state.fullPages + 1;
}

const FavoriteRecord& HoveredRecord(const AppState& state) {
  long long element = static_cast<long long>(state.currentPage - 1) * TilesPerPage + state.hoveredTile;
  return ElementAt(state.categoryRecords, element);
}

int TileSlotOf(const AppState& state, int sprite) {
  for (size_t i = 0; i < state.tiles.size(); ++i) {
    const SiteTile& t = state.tiles[i];
    if (t.iconSprite == sprite || t.nameSprite == sprite || t.accountSprite == sprite ||
        t.modifySprite == sprite)
      return static_cast<int>(i) + 1;
  }
  return 0;
}

void BuildPageControls(Program& program) {
  MainWindow& w = program.mainWindow;
  SpriteBoardModel& board = w.动画框1.model;
  SpriteTemplateSettings& button = w.动画物体_翻页.settings;
  for (int k = 1; k <= kPageButtons; ++k) {
    SetTemplatePicture(button, ReadFileBytes(RunDirectory() + GBK("\\配置图片\\翻页\\ye") + NumberText(k) + "1.png"));
    program.state.pageButtons.push_back(
        board.CreateObject(&button, kFirstPageButtonX + kPageButtonGap * (k - 1), kPageButtonY));
  }
  // Shows the template's "0/0" until the first page is laid out.
  program.state.pageLabel = board.CreateObject(&w.动画物体_显示页数.settings, kPageLabelX, kPageLabelY);
}

void SelectCategory(Program& program, int button) {
  if (button < 0 || button > 7) return;
  AppState& s = program.state;
  s.categoryRecords.clear();
  for (const FavoriteRecord& r : s.allRecords) {
    bool listed = button == 0 ? r.common == 1 : r.category == button - 1;
    if (listed) s.categoryRecords.push_back(r);
  }
  const int n = static_cast<int>(s.categoryRecords.size());
  s.fullPages = n / TilesPerPage;
  s.lastPageCount = n % TilesPerPage;
  ShowPage(program, 1);
}

void ShowPage(Program& program, int page) {
  AppState& s = program.state;
  const long long first = static_cast<long long>(page - 1) * TilesPerPage + 1;
  if (page >= 1 && page <= s.fullPages) {
    ClearBoard(program);
    s.currentPage = page;
    LayOutTiles(program, first, TilesPerPage);
  } else if (s.lastPageCount > 0 && page == s.fullPages + 1) {
    ClearBoard(program);
    s.currentPage = page;
    LayOutTiles(program, first, s.lastPageCount);
  } else if (s.categoryRecords.empty()) {
    // An empty list must not leave the tiles of the list before it on show: their
    // presses would reach records that are no longer there.
    ClearBoard(program);
    s.currentPage = 0;
  } else {
    return;  // no such page
  }
  WritePageLabel(program);
}

void ClearBoard(Program& program) {
  SpriteBoardModel& board = program.mainWindow.动画框1.model;
  for (const SiteTile& t : program.state.tiles)
    board.DeleteObjects({t.nameSprite, t.iconSprite, t.accountSprite, t.modifySprite});
  program.state.tiles.clear();
}

void FitIconToTemplate(Program& program, int sprite, int width, int height) {
  SpriteBoardModel& board = program.mainWindow.动画框1.model;
  const int w = board.PictureWidth(sprite);
  const int h = board.PictureHeight(sprite);
  if (w <= 0 || h <= 0) return;
  const float fx = static_cast<float>(static_cast<double>(width) / w);
  const float fy = static_cast<float>(static_cast<double>(height) / h);
  board.SetScale(sprite, static_cast<int>(static_cast<double>(fx) * 1000),
                 static_cast<int>(static_cast<double>(fy) * 1000));
}
