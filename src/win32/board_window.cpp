// The sprite board's window: shows the composed surface and feeds the pointer to the
// board model, as the Linux peer does.

#include <windowsx.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "ui/board_items.h"
#include "ui/compositor.h"
#include "win32/board_accessible.h"
#include "win32/board_keys_win32.h"
#include "win32/parts.h"
#include "win32/window_class.h"

namespace {

constexpr wchar_t kBoardClass[] = L"VinkaboSpriteBoard";

struct BoardState {
  SpriteBoard* board;
  std::shared_ptr<bool> alive;     // the window model's
  std::weak_ptr<void> modelAlive;  // the board model's own
  Surface surface;
  bool trackingLeave = false;
};
using StateRef = std::shared_ptr<BoardState>;

// Null once the window model or the board model is gone.
SpriteBoardModel* Model(const StateRef& s) {
  if (!s || (s->alive && !*s->alive) || s->modelAlive.expired()) return nullptr;
  return &s->board->model;
}

// The model, when it may take pointer input now.
SpriteBoardModel* InputModel(HWND hwnd, const StateRef& s) {
  SpriteBoardModel* m = Model(s);
  if (!m || m->disabled || s->board->disabled() || !IsWindowEnabled(hwnd)) return nullptr;
  return m;
}

// The state is shared: a handler the model calls may destroy this window (and free its
// holder) while the message is still being handled.
StateRef StateOf(HWND hwnd) {
  auto* holder = reinterpret_cast<StateRef*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  return holder ? *holder : nullptr;
}

void Paint(HWND hwnd, const StateRef& s) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd, &ps);
  COLORREF background = RGB(0, 0, 0);
  if (SpriteBoardModel* m = Model(s)) {
    ComposeDirty(*m, s->surface);
    background = m->background;  // packed as COLORREF already
  }
  const RECT area = ps.rcPaint;
  const Surface& surface = s->surface;
  // Beyond the composed size a larger window shows the background colour.
  if (area.right > surface.width || area.bottom > surface.height) {
    HBRUSH brush = CreateSolidBrush(background);
    RECT right{surface.width, area.top, area.right, area.bottom};
    RECT below{area.left, surface.height, area.right, area.bottom};
    if (right.left < right.right) FillRect(dc, &right, brush);
    if (below.top < below.bottom) FillRect(dc, &below, brush);
    DeleteObject(brush);
  }
  const int left = area.left < 0 ? 0 : static_cast<int>(area.left);
  const int top = area.top < 0 ? 0 : static_cast<int>(area.top);
  const int right = area.right > surface.width ? surface.width : static_cast<int>(area.right);
  const int bottom = area.bottom > surface.height ? surface.height : static_cast<int>(area.bottom);
  if (right > left && bottom > top) {
    // The surface is R, G, B, A; a 32-bit DIB wants B, G, R, X. Only the repainted
    // rectangle is converted and copied, top-down.
    const int w = right - left, h = bottom - top;
    std::vector<std::uint8_t> bgrx(static_cast<size_t>(w) * h * 4);
    for (int y = 0; y < h; ++y) {
      const std::uint8_t* src = surface.rgba.data() + (static_cast<size_t>(top + y) * surface.width + left) * 4;
      std::uint8_t* dst = bgrx.data() + static_cast<size_t>(y) * w * 4;
      for (int x = 0; x < w; ++x, src += 4, dst += 4) {
        dst[0] = src[2];
        dst[1] = src[1];
        dst[2] = src[0];
        dst[3] = 0;
      }
    }
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    StretchDIBits(dc, left, top, w, h, 0, 0, w, h, bgrx.data(), &bi, DIB_RGB_COLORS, SRCCOPY);
  }
  EndPaint(hwnd, &ps);
}

// The button went down here: hold the pointer until it comes up, as the Linux peer
// does, so the release is heard outside the board too. Only when the handler left the
// window and the button is still held (a modal box it opened has taken both).
void CaptureIfHeld(HWND hwnd, const StateRef& s, int button) {
  if (Model(s) && IsWindow(hwnd) && GetKeyState(button) < 0) SetCapture(hwnd);
}

// In the handlers below the model call comes last, or is followed only by checks of
// the shared state: a board handler may have destroyed this window by then.

void ButtonDown(HWND hwnd, const StateRef& s, int x, int y, bool left, bool doubleClick) {
  SpriteBoardModel* m = InputModel(hwnd, s);
  if (!m) return;
  if (left) {
    // A press that no move came before (a modal box closed under the pointer, a panel
    // went away) must first hear which sprite the pointer is on.
    if (!m->PointerAt(x, y) || !(m = InputModel(hwnd, s))) return;
    if (doubleClick) m->LeftDoubleClick(x, y);
    else m->LeftButtonDown(x, y);
    CaptureIfHeld(hwnd, s, VK_LBUTTON);
  } else {
    m->RightButtonDown(x, y);
    CaptureIfHeld(hwnd, s, VK_RBUTTON);
  }
}

void ButtonUp(HWND hwnd, const StateRef& s, int x, int y, bool left) {
  if (GetCapture() == hwnd) ReleaseCapture();
  SpriteBoardModel* m = InputModel(hwnd, s);
  if (!m) return;
  if (left) m->LeftButtonUp(x, y);
  else m->RightButtonUp(x, y);
}

void Move(HWND hwnd, const StateRef& s, int x, int y, WPARAM buttons) {
  if (!s->trackingLeave) {
    TRACKMOUSEEVENT track{sizeof(track), TME_LEAVE, hwnd, 0};
    s->trackingLeave = TrackMouseEvent(&track) != FALSE;
  }
  SpriteBoardModel* m = InputModel(hwnd, s);
  if (!m) return;
  RECT client;
  GetClientRect(hwnd, &client);
  // While the button is held the window has the pointer and hears moves from outside;
  // out there the pointer is off the board.
  if (x >= 0 && y >= 0 && x < m->width && y < m->height && x < client.right && y < client.bottom)
    m->PointerMove(x, y, (buttons & MK_LBUTTON) != 0);
  else
    m->PointerLeftBoard();
}

void Leave(HWND hwnd, const StateRef& s) {
  s->trackingLeave = false;
  if (GetCapture() == hwnd) return;  // still held: the moves say where it is
  if (SpriteBoardModel* m = Model(s)) m->PointerLeftBoard();
}

bool CtrlHeld() { return GetKeyState(VK_CONTROL) < 0; }

// A key for the board: true when the program used it.
bool Key(HWND hwnd, const StateRef& s, const BoardKey& key) {
  SpriteBoardModel* m = InputModel(hwnd, s);
  return m && key.code != BoardKeyCode::kNone && m->KeyPressed(key);
}

bool HearsKeys(const StateRef& s) {
  SpriteBoardModel* m = Model(s);
  return m && m->events.keyPressed;
}

LRESULT CALLBACK BoardProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NCCREATE) {
    auto* cs = reinterpret_cast<CREATESTRUCTW*>(lp);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
    return DefWindowProcW(hwnd, msg, wp, lp);
  }
  if (msg == WM_NCDESTROY) {
    auto* holder = reinterpret_cast<StateRef*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    HWND parent = GetParent(hwnd);
    if (parent && GetPropW(parent, kKeyBoardProperty) == hwnd) RemovePropW(parent, kKeyBoardProperty);
    if (holder) {
      if (SpriteBoardModel* m = Model(*holder)) m->areaInvalidated = nullptr;
      delete holder;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
  }
  StateRef s = StateOf(hwnd);
  if (!s) return DefWindowProcW(hwnd, msg, wp, lp);
  const int x = GET_X_LPARAM(lp), y = GET_Y_LPARAM(lp);
  switch (msg) {
    case WM_PAINT:
      Paint(hwnd, s);
      return 0;
    case WM_ERASEBKGND:
      return 1;  // every pixel comes from the surface
    case WM_LBUTTONDOWN:
      if (HearsKeys(s)) SetFocus(hwnd);  // as a control takes the focus it was clicked for
      ButtonDown(hwnd, s, x, y, true, false);
      return 0;
    case WM_GETDLGCODE:
      // The dialog keys (arrows, Return, Escape) and typed text are the board's own.
      if (HearsKeys(s)) return DLGC_WANTALLKEYS | DLGC_WANTARROWS | DLGC_WANTCHARS;
      return DefWindowProcW(hwnd, msg, wp, lp);
    case WM_KEYDOWN:
      if (Key(hwnd, s, BoardKeyOfKeyDown(wp, CtrlHeld()))) return 0;
      return DefWindowProcW(hwnd, msg, wp, lp);
    case WM_CHAR:
      if (Key(hwnd, s, BoardKeyOfChar(wp, CtrlHeld()))) return 0;
      return DefWindowProcW(hwnd, msg, wp, lp);
    case WM_LBUTTONDBLCLK:
      ButtonDown(hwnd, s, x, y, true, true);
      return 0;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
      ButtonDown(hwnd, s, x, y, false, false);
      return 0;
    case WM_LBUTTONUP:
      ButtonUp(hwnd, s, x, y, true);
      return 0;
    case WM_RBUTTONUP:
      ButtonUp(hwnd, s, x, y, false);
      return 0;
    case WM_MOUSEMOVE:
      Move(hwnd, s, x, y, wp);
      return 0;
    case WM_MOUSELEAVE:
      Leave(hwnd, s);
      return 0;
    case WM_GETOBJECT:
      // A screen reader asks for the sprites behind the surface.
      return AnswerGetObject(hwnd, wp, lp, [weak = std::weak_ptr<BoardState>(s)] { return Model(weak.lock()); });
    case kPressSpriteMessage:
      if (SpriteBoardModel* m = InputModel(hwnd, s)) PressSprite(*m, static_cast<int>(wp));
      return 0;
    default:
      return DefWindowProcW(hwnd, msg, wp, lp);
  }
}

bool RegisterBoardClass() {
  static const bool registered = RegisterProgramClass(kBoardClass, BoardProc, CS_DBLCLKS);
  return registered;
}

GdiTextRasterizer& BoardTexts() {
  static GdiTextRasterizer rasterizer;
  return rasterizer;
}

}  // namespace

HWND CreateBoardWindow(SpriteBoard& board, HWND parent, std::shared_ptr<bool> alive) {
  if (!RegisterBoardClass()) return nullptr;
  auto* holder = new StateRef(std::make_shared<BoardState>());
  BoardState& s = **holder;
  s.board = &board;
  s.alive = std::move(alive);
  s.modelAlive = board.model.Liveness();
  DWORD style = WS_CHILD | WS_CLIPSIBLINGS;
  if (board.visible()) style |= WS_VISIBLE;
  if (board.disabled()) style |= WS_DISABLED;
  HWND hwnd = CreateWindowExW(0, kBoardClass, L"", style, board.left(), board.top(), board.width(),
                              board.height(), parent, nullptr, GetModuleHandleW(nullptr), holder);
  if (!hwnd) {
    delete holder;
    return nullptr;
  }
  // Sprites made before the window existed show their texts once a rasterizer is there.
  if (!board.model.rasterizer) board.model.SetRasterizer(&BoardTexts());
  board.model.areaInvalidated = [hwnd](const BoardRect& r) {
    RECT area{r.left, r.top, r.left + r.width, r.top + r.height};
    InvalidateRect(hwnd, &area, FALSE);
  };
  board.model.InvalidateAll();
  // The window's keys are sent on here when it gets the focus itself.
  if (board.model.events.keyPressed) SetPropW(parent, kKeyBoardProperty, hwnd);
  return hwnd;
}
