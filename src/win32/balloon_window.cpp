// The balloon tip: a layered tool window that never activates and lets every click
// through, cut to the bubble's shape and faded through its window alpha. While a
// pop-up waits or shows, a timer asks the model for its view and feeds it the
// pointer's movements.

#include "win32/balloon_window.h"

#include <algorithm>
#include <chrono>
#include <string>

#include "base/wide_text.h"
#include "win32/gdi_font.h"
#include "win32/window_class.h"

namespace {

constexpr wchar_t kBalloonClass[] = L"VinkaboBalloonTip";
constexpr UINT_PTR kTickTimer = 1;
constexpr UINT kTickMs = 15;
constexpr int kPadding = 6;
constexpr int kIconSide = 16;
constexpr int kRadius = 12;  // ellipse width of the rounded corners
constexpr COLORREF kFill = RGB(0xFF, 0xFF, 0xE1);  // the classic tip yellow
constexpr COLORREF kBorder = RGB(0x76, 0x76, 0x76);
constexpr UINT kTextFormat = DT_LEFT | DT_TOP | DT_NOPREFIX | DT_EXPANDTABS;

RECT Extent(const BalloonLayout& l) {
  RECT r{std::min(l.body.left, l.tipX), std::min(l.body.top, l.tipY),
         std::max(l.body.right(), l.tipX + 1), std::max(l.body.bottom(), l.tipY + 1)};
  InflateRect(&r, 1, 1);
  return r;
}

// The bubble and its pointer, in the window's coordinates when it sits at `origin`.
HRGN Shape(const BalloonLayout& l, POINT origin) {
  const int dx = -origin.x, dy = -origin.y;
  HRGN bubble = CreateRoundRectRgn(l.body.left + dx, l.body.top + dy, l.body.right() + dx + 1,
                                   l.body.bottom() + dy + 1, kRadius, kRadius);
  POINT pointer[3] = {{l.baseX1 + dx, l.baseY1 + dy}, {l.tipX + dx, l.tipY + dy}, {l.baseX2 + dx, l.baseY2 + dy}};
  HRGN tip = CreatePolygonRgn(pointer, 3, WINDING);
  CombineRgn(bubble, bubble, tip, RGN_OR);
  DeleteObject(tip);
  return bubble;
}

HFONT BalloonFont() {
  // The balloon's 宋体 9 point: a Simplified Chinese face at 12 pixels.
  SpriteFont songti;
  return CreateSpriteFont(songti);
}

RECT MonitorArea(POINT p, DWORD fallback) {
  MONITORINFO info{};
  info.cbSize = sizeof(info);
  HMONITOR monitor = MonitorFromPoint(p, fallback);
  if (!monitor || !GetMonitorInfoW(monitor, &info)) return RECT{0, 0, 0, 0};
  return info.rcMonitor;
}

bool SameView(const BalloonView& a, const BalloonView& b) {
  return a.visible == b.visible && a.opacity == b.opacity && a.text == b.text && a.icon == b.icon &&
         a.layout.placement == b.layout.placement && a.layout.tipX == b.layout.tipX &&
         a.layout.tipY == b.layout.tipY && a.layout.body.left == b.layout.body.left &&
         a.layout.body.top == b.layout.body.top && a.layout.body.width == b.layout.body.width &&
         a.layout.body.height == b.layout.body.height;
}

bool RegisterBalloonClass(WNDPROC proc) {
  static const bool registered = RegisterProgramClass(kBalloonClass, proc);
  return registered;
}

}  // namespace

std::int64_t SteadyClockMs() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

Win32BalloonWindow::Win32BalloonWindow(BalloonTipModel& model, std::function<std::int64_t()> clock, HWND owner)
    : model_(model), clock_(clock ? std::move(clock) : SteadyClockMs) {
  font_ = BalloonFont();
  if (RegisterBalloonClass(&Win32BalloonWindow::Proc)) {
    // Layered for the fades, a tool window kept off the task bar, never activated, above
    // everything, and transparent to the pointer: a showing balloon never takes a click
    // or a move from what lies below it (the hovered icon, the modify buttons).
    hwnd_ = CreateWindowExW(WS_EX_LAYERED | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE | WS_EX_TOPMOST |
                                WS_EX_TRANSPARENT,
                            kBalloonClass, L"", WS_POPUP, 0, 0, 1, 1, owner, nullptr,
                            GetModuleHandleW(nullptr), this);
    if (hwnd_) SetLayeredWindowAttributes(hwnd_, 0, 0, LWA_ALPHA);
  }
  // Each pop-up keeps to the screen its point is on.
  POINT origin{0, 0};
  RECT primary = MonitorArea(origin, MONITOR_DEFAULTTOPRIMARY);
  if (primary.right > primary.left)
    model_.screen = {primary.left, primary.top, primary.right - primary.left, primary.bottom - primary.top};
  model_.screenAt = [](int x, int y) {
    RECT r = MonitorArea(POINT{x, y}, MONITOR_DEFAULTTONULL);
    return BalloonRect{r.left, r.top, r.right - r.left, r.bottom - r.top};
  };
  model_.measure = [this](const Text& text, int icon) {
    std::wstring wide = WideFromGbk(text);
    RECT r{0, 0, 4000, 4000};
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font_);
    DrawTextW(dc, wide.c_str(), static_cast<int>(wide.size()), &r, kTextFormat | DT_CALCRECT);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    const int iconRoom = icon >= 0 ? kIconSide + kPadding : 0;
    return BalloonSize{static_cast<int>(r.right - r.left) + 2 * kPadding + iconRoom,
                       std::max(static_cast<int>(r.bottom - r.top), icon >= 0 ? kIconSide : 0) + 2 * kPadding};
  };
  GetCursorPos(&lastPointer_);
  model_.poppedUp = [this] {
    GetCursorPos(&lastPointer_);
    StartTimer();
  };
  if (model_.phase != BalloonTipModel::kIdle) StartTimer();
}

Win32BalloonWindow::~Win32BalloonWindow() {
  model_.measure = nullptr;
  model_.screenAt = nullptr;
  model_.poppedUp = nullptr;
  if (hwnd_) {
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
    DestroyWindow(hwnd_);
  }
  if (font_) DeleteObject(font_);
}

void Win32BalloonWindow::StartTimer() {
  if (ticking_ || !hwnd_) return;
  ticking_ = SetTimer(hwnd_, kTickTimer, kTickMs, nullptr) != 0;
}

void Win32BalloonWindow::StopTimer() {
  if (!ticking_) return;
  KillTimer(hwnd_, kTickTimer);
  ticking_ = false;
}

void Win32BalloonWindow::Tick() {
  const std::int64_t now = clock_();
  POINT pointer{};
  if (GetCursorPos(&pointer) && (pointer.x != lastPointer_.x || pointer.y != lastPointer_.y)) {
    lastPointer_ = pointer;
    BalloonPointerMoved(model_, now);
  }
  BalloonView v = BalloonTick(model_, now);
  const bool changed = !SameView(v, view_);
  view_ = v;
  if (!hwnd_) return;
  if (!v.visible) {
    if (IsWindowVisible(hwnd_)) ShowWindow(hwnd_, SW_HIDE);
    if (model_.phase == BalloonTipModel::kIdle) StopTimer();
    return;
  }
  if (changed) {
    const RECT extent = Extent(v.layout);
    // The window takes the bubble's shape: nothing around it is drawn or covered.
    SetWindowRgn(hwnd_, Shape(v.layout, POINT{extent.left, extent.top}), FALSE);
    SetLayeredWindowAttributes(hwnd_, 0, static_cast<BYTE>(std::clamp(v.opacity, 0, 100) * 255 / 100),
                               LWA_ALPHA);
    SetWindowPos(hwnd_, HWND_TOPMOST, extent.left, extent.top, extent.right - extent.left,
                 extent.bottom - extent.top, SWP_NOACTIVATE | SWP_SHOWWINDOW);
    InvalidateRect(hwnd_, nullptr, TRUE);
  } else if (!IsWindowVisible(hwnd_)) {
    ShowWindow(hwnd_, SW_SHOWNOACTIVATE);
  }
}

void Win32BalloonWindow::Paint() {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd_, &ps);
  if (view_.visible) {
    const BalloonLayout& l = view_.layout;
    const RECT extent = Extent(l);
    const POINT origin{extent.left, extent.top};
    HRGN shape = Shape(l, origin);
    HBRUSH fill = CreateSolidBrush(kFill);
    HBRUSH border = CreateSolidBrush(kBorder);
    FillRgn(dc, shape, fill);
    FrameRgn(dc, shape, border, 1, 1);
    DeleteObject(border);
    DeleteObject(fill);
    DeleteObject(shape);

    RECT inner{l.body.left - origin.x + kPadding, l.body.top - origin.y + kPadding,
               l.body.right() - origin.x - kPadding, l.body.bottom() - origin.y - kPadding};
    if (view_.icon >= 0) {
      // No image list is loaded: icons 0, 1, 2 are the system's information, warning
      // and error icons.
      static const LPCWSTR kIcons[] = {IDI_INFORMATION, IDI_WARNING, IDI_ERROR};
      if (view_.icon < 3)
        if (HICON icon = LoadIconW(nullptr, kIcons[view_.icon]))
          DrawIconEx(dc, inner.left, inner.top, icon, kIconSide, kIconSide, 0, nullptr, DI_NORMAL);
      inner.left += kIconSide + kPadding;
    }
    const std::wstring text = WideFromGbk(view_.text);
    HGDIOBJ old = SelectObject(dc, font_);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(0, 0, 0));
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &inner, kTextFormat);
    SelectObject(dc, old);
  }
  EndPaint(hwnd_, &ps);
}

LRESULT CALLBACK Win32BalloonWindow::Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NCCREATE) {
    auto* cs = reinterpret_cast<CREATESTRUCTW*>(lp);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
    return DefWindowProcW(hwnd, msg, wp, lp);
  }
  auto* self = reinterpret_cast<Win32BalloonWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  switch (msg) {
    case WM_MOUSEACTIVATE:
      return MA_NOACTIVATE;
    case WM_NCHITTEST:
      return HTTRANSPARENT;
    case WM_TIMER:
      if (self && wp == kTickTimer) self->Tick();
      return 0;
    case WM_PAINT:
      if (self) {
        self->Paint();
        return 0;
      }
      break;
    case WM_ERASEBKGND:
      return 1;  // the paint fills the whole shape
    case WM_NCDESTROY:
      // Gone with its owner: the object no longer touches the handle.
      if (self) self->hwnd_ = nullptr, self->ticking_ = false;
      break;
    default:
      break;
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

std::unique_ptr<BalloonWindow> CreateBalloonWindow(BalloonTip& tip, HWND owner) {
  return std::make_unique<Win32BalloonWindow>(tip.model, nullptr, owner);
}
