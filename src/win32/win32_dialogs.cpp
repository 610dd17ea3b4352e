// The program's dialogs through the system's own: the message box, an input box built
// in memory, the open-file dialog and the pointer position.

#include <windows.h>

#include <commdlg.h>

#include <cstddef>
#include <cstdint>
#include <cwchar>
#include <string>
#include <vector>

#include "base/paths.h"
#include "base/wide_text.h"
#include "ui/dialogs.h"
#include "win32/input_box.h"
#include "win32/parts.h"

namespace {

// A dialog of the program blocks every window of the program, as the task-modal message
// box does. The dialog is owned by the window the user was in, if any: the system
// disables that one and gives it back the focus when the dialog closes; the others are
// disabled here and enabled again just before the dialog goes (with every window
// disabled at that moment the system would activate another program instead).
class ProgramWindowsBlocked {
 public:
  ProgramWindowsBlocked() {
    HWND active = GetActiveWindow();
    if (active && GetWindowThreadProcessId(active, nullptr) == GetCurrentThreadId()) owner_ = active;
    EnumThreadWindows(GetCurrentThreadId(), &ProgramWindowsBlocked::Add, reinterpret_cast<LPARAM>(this));
    for (HWND w : blocked_) EnableWindow(w, FALSE);
  }
  ~ProgramWindowsBlocked() { Release(); }
  ProgramWindowsBlocked(const ProgramWindowsBlocked&) = delete;
  ProgramWindowsBlocked& operator=(const ProgramWindowsBlocked&) = delete;

  HWND owner() const { return owner_; }
  void Release() {
    for (HWND w : blocked_)
      if (IsWindow(w)) EnableWindow(w, TRUE);
    blocked_.clear();
  }

 private:
  static BOOL CALLBACK Add(HWND w, LPARAM p) {
    auto* self = reinterpret_cast<ProgramWindowsBlocked*>(p);
    if (w != self->owner_ && IsWindowVisible(w) && IsWindowEnabled(w)) self->blocked_.push_back(w);
    return TRUE;
  }
  HWND owner_ = nullptr;
  std::vector<HWND> blocked_;
};

// What the box answers when it could not be shown: the refusing answer of its buttons,
// never a confirmation (a delete question answered OK by a failure would delete).
int UnshownAnswer(int flags) {
  switch (flags & 0xF) {
    case MB_OK: return kMbOk;
    case MB_ABORTRETRYIGNORE: return kMbAbort;
    case MB_YESNO: return kMbNo;
    default: return kMbCancel;
  }
}

// ---- the input box ----

// A dialog template in memory: words, strings and items DWORD-aligned as the system
// reads them.
class DialogTemplate {
 public:
  DialogTemplate(DWORD style, short cx, short cy, const wchar_t* face, WORD pointSize) {
    DLGTEMPLATE t{};
    t.style = style | DS_SETFONT;
    t.cx = cx;
    t.cy = cy;
    Put(&t, sizeof t);
    Word(0);  // no menu
    Word(0);  // the dialog class
    String(L"");
    Word(pointSize);
    String(face);
    countAt_ = offsetof(DLGTEMPLATE, cdit);
  }

  void Item(WORD atom, int id, DWORD style, short x, short y, short cx, short cy, const wchar_t* text) {
    Align();
    DLGITEMTEMPLATE item{};
    item.style = style | WS_CHILD | WS_VISIBLE;
    item.x = x;
    item.y = y;
    item.cx = cx;
    item.cy = cy;
    item.id = static_cast<WORD>(id);
    Put(&item, sizeof item);
    Word(0xFFFF);
    Word(atom);
    String(text);
    Word(0);  // no creation data
    WORD& count = *reinterpret_cast<WORD*>(bytes_.data() + countAt_);
    ++count;
  }

  const DLGTEMPLATE* get() {
    return reinterpret_cast<const DLGTEMPLATE*>(bytes_.data());
  }

 private:
  void Put(const void* p, size_t n) {
    const auto* b = static_cast<const std::uint8_t*>(p);
    bytes_.insert(bytes_.end(), b, b + n);
  }
  void Word(WORD w) { Put(&w, sizeof w); }
  void String(const wchar_t* s) { Put(s, (std::wcslen(s) + 1) * sizeof(wchar_t)); }
  void Align() {
    while (bytes_.size() % 4) bytes_.push_back(0);
  }
  // DWORD-aligned storage: the items are read in place.
  std::vector<std::uint8_t> bytes_;
  size_t countAt_ = 0;
};

constexpr WORD kButtonAtom = 0x0080, kEditAtom = 0x0081, kStaticAtom = 0x0082;

struct InputBoxRun {
  ProgramWindowsBlocked* blocked = nullptr;
  std::wstring title, prompt, initial;
  bool withPrompt = false;
  bool masked = false;
  std::wstring typed;
};

INT_PTR CALLBACK InputBoxProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_INITDIALOG: {
      auto* run = reinterpret_cast<InputBoxRun*>(lp);
      SetWindowLongPtrW(dlg, DWLP_USER, lp);
      SetWindowTextW(dlg, run->title.c_str());
      if (run->withPrompt) SetDlgItemTextW(dlg, kInputPromptId, run->prompt.c_str());
      HWND edit = GetDlgItem(dlg, kInputEditId);
      if (run->masked) SendMessageW(edit, EM_SETPASSWORDCHAR, L'*', 0);
      SetWindowTextW(edit, run->initial.c_str());
      // The initial text is selected whole, ready to be typed over.
      SendMessageW(edit, EM_SETSEL, 0, -1);
      SetFocus(edit);
      return FALSE;  // focus set here
    }
    case WM_COMMAND: {
      const int id = LOWORD(wp);
      if (id == IDOK) {
        auto* run = reinterpret_cast<InputBoxRun*>(GetWindowLongPtrW(dlg, DWLP_USER));
        HWND edit = GetDlgItem(dlg, kInputEditId);
        const int n = GetWindowTextLengthW(edit);
        run->typed.assign(static_cast<size_t>(n) + 1, L'\0');
        run->typed.resize(GetWindowTextW(edit, run->typed.data(), n + 1));
        run->blocked->Release();
        EndDialog(dlg, IDOK);
        return TRUE;
      }
      if (id == IDCANCEL) {  // the cancel button, Esc and the close box
        reinterpret_cast<InputBoxRun*>(GetWindowLongPtrW(dlg, DWLP_USER))->blocked->Release();
        EndDialog(dlg, IDCANCEL);
        return TRUE;
      }
      return FALSE;
    }
    default:
      return FALSE;
  }
}

}  // namespace

int Win32MessageBox::Show(const Text& text, int flags, const Text* caption) {
  flags = EffectiveMessageFlags(flags);
  const std::wstring body = WideFromGbk(text);
  const std::wstring title = WideFromGbk(caption ? *caption : DefaultMessageCaption());
  int answer;
  {
    // Owned by the window it blocks, so it stays above it; every other window of the
    // program is blocked too, as task-modal would with no owner.
    ProgramWindowsBlocked blocked;
    answer = MessageBoxW(blocked.owner(), body.c_str(), title.c_str(), static_cast<UINT>(flags));
  }
  switch (answer) {
    case IDOK: return kMbOk;
    case IDCANCEL: return kMbCancel;
    case IDABORT: return kMbAbort;
    case IDRETRY: return kMbRetry;
    case IDIGNORE: return kMbIgnore;
    case IDYES: return kMbYes;
    case IDNO: return kMbNo;
    default: return UnshownAnswer(flags);
  }
}

SIZE InputBoxDialogUnits(bool withPrompt) { return withPrompt ? SIZE{252, 92} : SIZE{214, 56}; }

bool Win32InputBox::Ask(const Text* prompt, const Text* title, const Text& initial, Text& target,
                        int inputMode) {
  InputBoxRun run;
  run.withPrompt = prompt != nullptr;
  run.title = WideFromGbk((title && !title->empty()) ? *title : DefaultInputTitle());
  if (prompt) run.prompt = WideFromGbk(*prompt);
  run.initial = WideFromGbk(initial);
  run.masked = ClampInputMode(inputMode) == 4;

  const SIZE size = InputBoxDialogUnits(run.withPrompt);
  DialogTemplate t(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_CENTER, static_cast<short>(size.cx),
                   static_cast<short>(size.cy), L"宋体", 9);
  short editY = 7, buttonY = 31, width = 200;
  if (run.withPrompt) {
    width = 238;
    t.Item(kStaticAtom, kInputPromptId, SS_LEFT | SS_SUNKEN | SS_NOPREFIX, 7, 7, width, 38, L"");
    editY = 50;
    buttonY = 70;
  }
  DWORD editStyle = WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL | ES_LEFT;
  if (run.masked) editStyle |= ES_PASSWORD;
  t.Item(kEditAtom, kInputEditId, editStyle, 7, editY, width, 12, L"");
  const short right = static_cast<short>(7 + width);
  t.Item(kButtonAtom, IDOK, BS_DEFPUSHBUTTON | WS_TABSTOP, static_cast<short>(right - 56 - 6 - 56), buttonY, 56, 14,
         L"确认输入(&O)");
  t.Item(kButtonAtom, IDCANCEL, BS_PUSHBUTTON | WS_TABSTOP, static_cast<short>(right - 56), buttonY, 56, 14,
         L"取消(&C)");

  INT_PTR answer;
  {
    ProgramWindowsBlocked blocked;
    run.blocked = &blocked;
    answer = DialogBoxIndirectParamW(GetModuleHandleW(nullptr), t.get(), blocked.owner(), InputBoxProc,
                                     reinterpret_cast<LPARAM>(&run));
  }
  if (answer != IDOK) return false;
  target = GbkFromWide(run.typed);
  return true;
}

bool Win32FileDialog::Open(const Text& initialDirectory, Text& fileName) {
  std::wstring chosen(32768, L'\0');
  const std::wstring directory = WidePath(initialDirectory);
  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof(ofn);
  ofn.lpstrFilter = nullptr;  // no filter: every file is listed
  ofn.lpstrFile = chosen.data();
  ofn.nMaxFile = static_cast<DWORD>(chosen.size());
  ofn.lpstrInitialDir = directory.empty() ? nullptr : directory.c_str();
  ofn.lpstrTitle = nullptr;  // the system's own title
  ofn.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
  BOOL ok;
  {
    ProgramWindowsBlocked blocked;
    ofn.hwndOwner = blocked.owner();
    ok = GetOpenFileNameW(&ofn);
  }
  if (!ok) return false;
  chosen.resize(std::wcslen(chosen.c_str()));
  if (chosen.empty()) return false;
  const Text path = GbkFromWide(chosen);
  // A name GBK cannot hold would come back with '?' in it: a path to no file. Such a
  // choice is refused rather than stored.
  if (WideFromGbk(path) != chosen) return false;
  fileName = ProgramPath(path);
  return true;
}

int Win32Pointer::PointerX() {
  POINT p{};
  GetCursorPos(&p);
  return p.x;
}

int Win32Pointer::PointerY() {
  POINT p{};
  GetCursorPos(&p);
  return p.y;
}
