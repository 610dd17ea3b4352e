#include "win32/win32_backend.h"

#include <algorithm>
#include <thread>

#include "base/wide_text.h"
#include "win32/board_keys_win32.h"
#include "win32/control_peers.h"
#include "win32/window_class.h"

namespace {
const wchar_t kWindowClass[] = L"VinkaboWindow";

OpenWindow* RecordOf(HWND hwnd) {
  return reinterpret_cast<OpenWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
}

void ForgetPeers(Window& window) {
  window.peerUpdate = nullptr;
  window.onDestroyed = nullptr;
  for (Control* c : window.controls()) c->peerUpdate = nullptr;
}

void PaintBackground(OpenWindow& o, HDC dc) {
  RECT rc;
  GetClientRect(o.hwnd, &rc);
  if (!o.background.empty()) {
    o.background.DrawStretched(dc, rc);
    return;
  }
  const Colour back = o.model && *o.alive ? o.model->backColour() : kDefaultColour;
  if (back == kDefaultColour) {
    FillRect(dc, &rc, GetSysColorBrush(COLOR_BTNFACE));
  } else {
    HBRUSH brush = CreateSolidBrush(ToColorRef(back));
    FillRect(dc, &rc, brush);
    DeleteObject(brush);
  }
}

void SyncWindow(OpenWindow& o) {
  if (!*o.alive || !o.hwnd) return;
  Window& m = *o.model;
  if (o.backgroundVersion != m.backgroundVersion()) {
    o.backgroundVersion = m.backgroundVersion();
    o.background = DibPicture::Decode(m.backgroundPicture());
    InvalidateRect(o.hwnd, nullptr, FALSE);
    // Labels and picture buttons show the background through.
    RedrawWindow(o.hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
  }
  RECT rc;
  GetWindowRect(o.hwnd, &rc);
  if (rc.left != m.left() || rc.top != m.top())
    SetWindowPos(o.hwnd, nullptr, m.left(), m.top(), 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
    auto* o = static_cast<OpenWindow*>(create->lpCreateParams);
    o->hwnd = hwnd;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(o));
  }
  OpenWindow* o = RecordOf(hwnd);
  if (!o) return DefWindowProcW(hwnd, message, wParam, lParam);
  DepthGuard guard(o);
  LRESULT result = 0;
  switch (message) {
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd, &ps);
      PaintBackground(*o, dc);
      EndPaint(hwnd, &ps);
      return 0;
    }
    case kPaintBackgroundMessage:
      PaintBackground(*o, reinterpret_cast<HDC>(wParam));
      return 0;
    case WM_NCHITTEST:
      // The frameless skin is its own caption: a drag on any bare part of it (no control,
      // no board) moves the window, as the system moves it.
      result = DefWindowProcW(hwnd, message, wParam, lParam);
      if (result == HTCLIENT && *o->alive && o->model->border == WindowBorder::None) return HTCAPTION;
      return result;
    case WM_MOVE:
      // Where the user dragged it or the system put it is where it is: tips and
      // positions count from there, and the window is not pulled back.
      if (*o->alive) {
        RECT rc;
        GetWindowRect(hwnd, &rc);
        o->model->UserMoved(rc.left, rc.top);
      }
      return 0;
    case WM_SETFOCUS:
      // The window's keys go to the board that hears them (find by typing, the arrows).
      if (HWND board = static_cast<HWND>(GetPropW(hwnd, kKeyBoardProperty)); board && IsWindowVisible(board)) {
        SetFocus(board);
        return 0;
      }
      break;
    case WM_CLOSE:
      // Closed by its frame (or Alt+F4): the window is destroyed as if the program had
      // done it; the backend then hides and destroys the HWND.
      if (*o->alive) o->model->Destroy();
      return 0;
    case WM_NCDESTROY:
      SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
      o->hwnd = nullptr;
      break;
    default:
      if (HandleChildMessage(message, wParam, lParam, result)) return result;
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

const wchar_t kMailboxClass[] = L"VinkaboMailbox";

struct AsideDone {
  std::function<void(int)> done;
  int result = 0;
};

LRESULT CALLBACK MailboxProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == kAsideDoneMessage) {
    std::unique_ptr<AsideDone> d(reinterpret_cast<AsideDone*>(lParam));
    d->done(d->result);
    return 0;
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

void RegisterWindowClass() {
  static bool done = false;
  if (done) return;
  done = true;
  // Resource 1 is the program's icon.
  RegisterProgramClass(kWindowClass, &WindowProc, 0, LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1)));
}
}  // namespace

Win32WindowBackend::Win32WindowBackend()
    : backendAlive_(std::make_shared<bool>(true)), mailbox_(std::make_shared<Mailbox>()) {}

Win32WindowBackend::~Win32WindowBackend() {
  {
    std::lock_guard<std::mutex> lock(mailbox_->mutex);
    if (mailbox_->hwnd) DestroyWindow(mailbox_->hwnd);
    mailbox_->hwnd = nullptr;
  }
  // The models may be gone already: touch only the windows. Hooks left in models that
  // outlive the backend check these flags and do nothing.
  *backendAlive_ = false;
  for (auto& o : open_) {
    *o->alive = false;
    o->balloons.clear();
  }
  for (auto& o : open_) {
    o->webBoxes.clear();
    if (o->hwnd) DestroyWindow(o->hwnd);
    o->peers.clear();
  }
}

std::shared_ptr<OpenWindow> Win32WindowBackend::Find(const Window& window) const {
  // A destroyed window's record may linger; a new model at the same address is another window.
  for (auto& o : open_)
    if (o->model == &window && !o->ended) return o;
  return nullptr;
}

HWND Win32WindowBackend::HandleOf(const Window& window) const {
  auto o = Find(window);
  return o ? o->hwnd : nullptr;
}

void Win32WindowBackend::UpdateEnabled(OpenWindow& o) {
  if (!*o.alive || !o.hwnd) return;
  const bool enabled = !o.model->disabled() && o.model->modalBlocks == 0;
  if (!IsWindowEnabled(o.hwnd) != !enabled) EnableWindow(o.hwnd, enabled);
}

void Win32WindowBackend::ShowWindow(Window& window, bool modal) {
  if (window.destroyed() || Find(window)) return;
  RegisterWindowClass();
  auto open = std::make_shared<OpenWindow>();
  open->model = &window;
  open->modal = modal;

  DWORD style = WS_POPUP | WS_CLIPCHILDREN | WS_SYSMENU;
  DWORD exStyle = WS_EX_CONTROLPARENT;
  if (window.border == WindowBorder::None) {
    // Frameless and skinned; the taskbar still shows it, with its system menu.
    style |= WS_MINIMIZEBOX;
    exStyle |= WS_EX_APPWINDOW;
  } else {
    style |= WS_CAPTION;
    exStyle |= WS_EX_DLGMODALFRAME;
  }
  // A modal window stays over the window it blocks.
  HWND owner = nullptr;
  if (modal && main_)
    if (auto m = Find(*main_)) owner = m->hwnd;
  std::wstring title = WideFromGbk(window.title());
  // The model's size is the outer size, frame and caption included.
  CreateWindowExW(exStyle, kWindowClass, title.c_str(), style, window.left(), window.top(), window.width(),
                  window.height(), owner, nullptr, GetModuleHandleW(nullptr), open.get());
  if (!open->hwnd) return;

  CreateControlPeers(*open, fonts_, &rasterizer_);

  std::weak_ptr<OpenWindow> weak = open;
  Liveness alive = open->alive;
  window.peerUpdate = [this, weak, alive] {
    auto o = weak.lock();
    if (!o || !*alive) return;
    SyncWindow(*o);
    UpdateEnabled(*o);
  };
  window.onDestroyed = [this, backendAlive = backendAlive_, &window] {
    if (*backendAlive) Destroyed(window);
  };
  SyncWindow(*open);

  if (modal) {
    for (auto& o : open_) {
      if (o->ended) continue;
      ++o->model->modalBlocks;
      UpdateEnabled(*o);
    }
  } else if (!main_) {
    main_ = &window;
  }
  open_.push_back(open);
  UpdateEnabled(*open);
  ::ShowWindow(open->hwnd, SW_SHOW);
  SetForegroundWindow(open->hwnd);
  UpdateWindow(open->hwnd);
}

void Win32WindowBackend::Destroyed(Window& window) {
  auto o = Find(window);
  if (!o) return;
  *o->alive = false;
  o->ended = true;
  ForgetPeers(window);
  // These read the model on their own timers: they go before the model can.
  o->balloons.clear();
  if (o->modal) {
    // The blocked windows come back first, so activation returns to them.
    for (auto& other : open_) {
      if (other == o || other->ended || other->model->modalBlocks <= 0) continue;
      --other->model->modalBlocks;
      UpdateEnabled(*other);
    }
  }
  if (o->hwnd) ::ShowWindow(o->hwnd, SW_HIDE);
  if (&window == main_) {
    main_ = nullptr;
    // The program is ending: every other window goes with the main one.
    std::vector<Window*> others;
    for (auto& x : open_)
      if (!x->ended && !x->model->destroyed()) others.push_back(x->model);
    for (Window* w : others) w->Destroy();
  }
  // Wake the loop that waits for this window, wherever the destroying came from.
  PostMessageW(nullptr, kWakeMessage, 0, 0);
}

void Win32WindowBackend::Reap() {
  std::vector<std::shared_ptr<OpenWindow>> done;
  for (auto& o : open_)
    if (o->ended && o->depth == 0) done.push_back(o);
  for (auto& o : done) {
    o->webBoxes.clear();
    if (o->hwnd) DestroyWindow(o->hwnd);
    o->peers.clear();
    open_.erase(std::find(open_.begin(), open_.end(), o));
  }
}

bool Win32WindowBackend::DialogMessage(MSG& msg) {
  // Tab and the arrow keys move between the controls of our windows, as in a dialog.
  if (!msg.hwnd) return false;
  HWND root = GetAncestor(msg.hwnd, GA_ROOT);
  for (auto& o : open_)
    if (o->hwnd == root && !o->ended) return IsDialogMessageW(root, &msg);
  return false;
}

void Win32WindowBackend::RunUntilDestroyed(Window& window) {
  auto o = Find(window);
  if (!o) {
    Reap();
    return;
  }
  MSG msg;
  while (!o->ended) {
    const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got <= 0) {
      // Someone asked the thread to quit: the program ends as when its main window goes.
      if (got == 0) PostQuitMessage(static_cast<int>(msg.wParam));
      if (main_) main_->Destroy();
      window.Destroy();
      break;
    }
    if (!DialogMessage(msg)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    Reap();
  }
  Reap();
}

void Win32WindowBackend::RunAside(std::function<int()> work, std::function<void(int)> done) {
  if (!mailbox_->hwnd && RegisterProgramClass(kMailboxClass, &MailboxProc)) {
    std::lock_guard<std::mutex> lock(mailbox_->mutex);
    mailbox_->hwnd = CreateWindowExW(0, kMailboxClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                     GetModuleHandleW(nullptr), nullptr);
  }
  if (!mailbox_->hwnd) return done(work());
  // Detached: a program that ends while the network still keeps the thread waiting
  // must not wait for it. The work owns all it reads.
  std::thread([work = std::move(work), done = std::move(done), mailbox = mailbox_]() mutable {
    auto d = std::make_unique<AsideDone>();
    d->result = work();
    d->done = std::move(done);
    std::lock_guard<std::mutex> lock(mailbox->mutex);
    if (mailbox->hwnd && PostMessageW(mailbox->hwnd, kAsideDoneMessage, 0, reinterpret_cast<LPARAM>(d.get())))
      d.release();
  }).detach();
}
