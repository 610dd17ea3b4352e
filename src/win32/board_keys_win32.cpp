#include "win32/board_keys_win32.h"

#include "base/wide_text.h"

BoardKey BoardKeyOfKeyDown(WPARAM virtualKey, bool ctrlHeld) {
  BoardKey key;
  if (ctrlHeld) {
    if (virtualKey >= '1' && virtualKey <= '8') {
      key.code = BoardKeyCode::kCtrlDigit;
      key.digit = static_cast<int>(virtualKey - '0');
    } else if (virtualKey >= VK_NUMPAD1 && virtualKey <= VK_NUMPAD8) {
      key.code = BoardKeyCode::kCtrlDigit;
      key.digit = static_cast<int>(virtualKey - VK_NUMPAD0);
    }
    return key;
  }
  switch (virtualKey) {
    case VK_LEFT: key.code = BoardKeyCode::kLeft; break;
    case VK_RIGHT: key.code = BoardKeyCode::kRight; break;
    case VK_UP: key.code = BoardKeyCode::kUp; break;
    case VK_DOWN: key.code = BoardKeyCode::kDown; break;
    case VK_RETURN: key.code = BoardKeyCode::kReturn; break;
    case VK_ESCAPE: key.code = BoardKeyCode::kEscape; break;
    case VK_BACK: key.code = BoardKeyCode::kBackspace; break;
    case VK_PRIOR: key.code = BoardKeyCode::kPageUp; break;
    case VK_NEXT: key.code = BoardKeyCode::kPageDown; break;
    case VK_HOME: key.code = BoardKeyCode::kHome; break;
    case VK_END: key.code = BoardKeyCode::kEnd; break;
    default: break;
  }
  return key;
}

BoardKey BoardKeyOfChar(WPARAM character, bool ctrlHeld) {
  BoardKey key;
  // Controls (Return, Escape, Backspace came as WM_KEYDOWN) and surrogate halves, which
  // GBK cannot hold anyway, type nothing.
  if (ctrlHeld || character < 0x20 || character == 0x7F || (character >= 0xD800 && character <= 0xDFFF))
    return key;
  const wchar_t wide[1] = {static_cast<wchar_t>(character)};
  key.code = BoardKeyCode::kText;
  key.text = GbkFromWide(std::wstring_view(wide, 1));
  return key;
}
