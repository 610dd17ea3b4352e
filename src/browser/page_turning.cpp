#include "browser/page_turning.h"

#include "browser/list_access.h"
#include "browser/program_sound.h"
#include "browser/site_board.h"

void TurnPage(Program& program, int sprite) {
  AppState& s = program.state;
  int button = 0;
  for (int k = 1; k <= static_cast<int>(s.pageButtons.size()) && button == 0; ++k)
    if (ElementAt(s.pageButtons, k) == sprite) button = k;
  if (button == 0) return;

  const int pages = PageCount(s);
  switch (button) {
    case 1:
      ShowPage(program, 1);
      break;
    case 2:
      ShowPage(program, s.currentPage > 1 ? s.currentPage - 1 : 1);
      break;
    case 3:
      if (s.currentPage < pages) ShowPage(program, s.currentPage + 1);
      break;
    case 4:
      if (s.currentPage < pages) ShowPage(program, pages);
      break;
  }
  PlayProgramSound(program, GBK("\\声音\\翻页.wav"));
}
