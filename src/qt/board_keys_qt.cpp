#include "qt/board_keys_qt.h"

#include <QKeyEvent>

BoardKey BoardKeyOf(const QKeyEvent& event) {
  BoardKey key;
  const Qt::KeyboardModifiers mods = event.modifiers() & ~(Qt::KeypadModifier | Qt::ShiftModifier);
  const int k = event.key();
  if (mods == Qt::ControlModifier) {
    if (k >= Qt::Key_1 && k <= Qt::Key_8) {
      key.code = BoardKeyCode::kCtrlDigit;
      key.digit = k - Qt::Key_0;
    }
    return key;
  }
  if (mods != Qt::NoModifier) return key;  // Alt and Meta chords belong to the desktop
  switch (k) {
    case Qt::Key_Left: key.code = BoardKeyCode::kLeft; return key;
    case Qt::Key_Right: key.code = BoardKeyCode::kRight; return key;
    case Qt::Key_Up: key.code = BoardKeyCode::kUp; return key;
    case Qt::Key_Down: key.code = BoardKeyCode::kDown; return key;
    case Qt::Key_Return:
    case Qt::Key_Enter: key.code = BoardKeyCode::kReturn; return key;
    case Qt::Key_Escape: key.code = BoardKeyCode::kEscape; return key;
    case Qt::Key_Backspace: key.code = BoardKeyCode::kBackspace; return key;
    case Qt::Key_PageUp: key.code = BoardKeyCode::kPageUp; return key;
    case Qt::Key_PageDown: key.code = BoardKeyCode::kPageDown; return key;
    case Qt::Key_Home: key.code = BoardKeyCode::kHome; return key;
    case Qt::Key_End: key.code = BoardKeyCode::kEnd; return key;
    default: break;
  }
  const QString text = event.text();
  if (text.isEmpty()) return key;
  for (const QChar c : text)
    if (!c.isPrint()) return key;
  key.code = BoardKeyCode::kText;
  key.text = Utf8ToGbk(text.toStdString());
  return key;
}
