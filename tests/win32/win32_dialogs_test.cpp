// The input box and the message box, driven from inside their own modal loops.

#include <gtest/gtest.h>

#include "base/text.h"
#include "base/wide_text.h"
#include "win32/dialog_driver.h"
#include "ui/services.h"
#include "win32/input_box.h"
#include "win32/parts.h"

using dialog_driver::Click;
using dialog_driver::OnNextDialog;
using dialog_driver::TextOf;

namespace {

TEST(Win32InputBox, ReturnsWhatWasTypedWithOk) {
  const Text prompt = Utf8ToGbk("请输入程序密码");
  const Text title = Utf8ToGbk("密码");
  std::wstring shownTitle, shownPrompt, shownInitial;
  DWORD selStart = 99, selEnd = 0;
  OnNextDialog([&](HWND dlg) {
    shownTitle = TextOf(dlg);
    shownPrompt = TextOf(GetDlgItem(dlg, kInputPromptId));
    HWND edit = GetDlgItem(dlg, kInputEditId);
    shownInitial = TextOf(edit);
    SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&selStart), reinterpret_cast<LPARAM>(&selEnd));
    SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"abc 你好"));
    // Typed on, key by key, at the end.
    SendMessageW(edit, EM_SETSEL, 100, 100);
    SendMessageW(edit, WM_CHAR, L'9', 0);
    Click(dlg, IDOK);
  });
  Text target = "old";
  Win32InputBox box;
  EXPECT_TRUE(box.Ask(&prompt, &title, "start", target, 1));
  EXPECT_EQ(target, Utf8ToGbk("abc 你好9"));
  EXPECT_EQ(shownTitle, L"密码");
  EXPECT_EQ(shownPrompt, L"请输入程序密码");
  EXPECT_EQ(shownInitial, L"start");
  EXPECT_EQ(selStart, 0u);  // the initial text selected whole
  EXPECT_EQ(selEnd, 5u);
}

TEST(Win32InputBox, PasswordModeMasksTheEntry) {
  for (int mode : {4, 9, 1, 0}) {
    LONG style = 0;
    WPARAM mask = 0;
    OnNextDialog([&](HWND dlg) {
      HWND edit = GetDlgItem(dlg, kInputEditId);
      style = GetWindowLongW(edit, GWL_STYLE);
      mask = SendMessageW(edit, EM_GETPASSWORDCHAR, 0, 0);
      SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"secret"));
      Click(dlg, IDOK);
    });
    Text target;
    Win32InputBox box;
    EXPECT_TRUE(box.Ask(nullptr, nullptr, "", target, mode));
    EXPECT_EQ(target, "secret");
    const bool masked = mode >= 4;
    EXPECT_EQ((style & ES_PASSWORD) != 0, masked) << "mode " << mode;
    if (masked) {
      EXPECT_EQ(mask, static_cast<WPARAM>(L'*'));
    }
  }
}

TEST(Win32InputBox, CancelOrCloseLeavesTheTarget) {
  for (bool close : {false, true}) {
    OnNextDialog([close](HWND dlg) {
      SendMessageW(GetDlgItem(dlg, kInputEditId), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"typed"));
      if (close) SendMessageW(dlg, WM_SYSCOMMAND, SC_CLOSE, 0);
      else Click(dlg, IDCANCEL);
    });
    Text target = "kept";
    Win32InputBox box;
    EXPECT_FALSE(box.Ask(nullptr, nullptr, "x", target, 1));
    EXPECT_EQ(target, "kept");
  }
}

TEST(Win32InputBox, SizesTitleAndButtonsAsDrawn) {
  for (bool withPrompt : {true, false}) {
    RECT client{}, expected{};
    std::wstring title, ok, cancel;
    bool hasPrompt = false;
    OnNextDialog([&](HWND dlg) {
      GetClientRect(dlg, &client);
      const SIZE du = InputBoxDialogUnits(withPrompt);
      expected = RECT{0, 0, du.cx, du.cy};
      MapDialogRect(dlg, &expected);
      title = TextOf(dlg);
      ok = TextOf(GetDlgItem(dlg, IDOK));
      cancel = TextOf(GetDlgItem(dlg, IDCANCEL));
      hasPrompt = GetDlgItem(dlg, kInputPromptId) != nullptr;
      Click(dlg, IDCANCEL);
    });
    const Text prompt = "p";
    const Text emptyTitle;
    Text target;
    Win32InputBox box;
    box.Ask(withPrompt ? &prompt : nullptr, &emptyTitle, "", target, 1);
    EXPECT_EQ(client.right, expected.right);
    EXPECT_EQ(client.bottom, expected.bottom);
    EXPECT_EQ(title, L"请输入：");  // empty title: the default one
    EXPECT_EQ(ok, L"确认输入(&O)");
    EXPECT_EQ(cancel, L"取消(&C)");
    EXPECT_EQ(hasPrompt, withPrompt);
  }
  EXPECT_EQ(InputBoxDialogUnits(true).cx, 252);
  EXPECT_EQ(InputBoxDialogUnits(true).cy, 92);
  EXPECT_EQ(InputBoxDialogUnits(false).cx, 214);
  EXPECT_EQ(InputBoxDialogUnits(false).cy, 56);
}

TEST(Win32InputBox, BlocksTheProgramsWindowsWhileOpenAndGivesThemBack) {
  auto make = [](const wchar_t* title, int x) {
    return CreateWindowExW(0, L"STATIC", title, WS_OVERLAPPEDWINDOW | WS_VISIBLE, x, 10, 200, 100, nullptr,
                           nullptr, GetModuleHandleW(nullptr), nullptr);
  };
  HWND main = make(L"main", 10), other = make(L"other", 300);
  SetActiveWindow(main);
  ASSERT_EQ(GetActiveWindow(), main);
  bool mainEnabled = true, otherEnabled = true;
  HWND owner = nullptr;
  OnNextDialog([&](HWND dlg) {
    mainEnabled = IsWindowEnabled(main);
    otherEnabled = IsWindowEnabled(other);
    owner = GetWindow(dlg, GW_OWNER);
    Click(dlg, IDOK);
  });
  Text target;
  Win32InputBox box;
  EXPECT_TRUE(box.Ask(nullptr, nullptr, "", target, 1));
  EXPECT_FALSE(mainEnabled);
  EXPECT_FALSE(otherEnabled);
  EXPECT_EQ(owner, main);
  EXPECT_TRUE(IsWindowEnabled(main));
  EXPECT_TRUE(IsWindowEnabled(other));
  EXPECT_EQ(GetActiveWindow(), main) << "the user is back where they were";
  DestroyWindow(main);
  DestroyWindow(other);
}

TEST(Win32MessageBox, DefaultCaptionAndTheAnswerOfTheButtonPressed) {
  std::wstring caption, text;
  OnNextDialog([&](HWND dlg) {
    caption = TextOf(dlg);
    Click(dlg, IDCANCEL);
  });
  Win32MessageBox box;
  EXPECT_EQ(box.Show(Utf8ToGbk("真的删除吗？"), 0x31, nullptr), kMbCancel);
  EXPECT_EQ(caption, L"信息：");

  OnNextDialog([&](HWND dlg) {
    caption = TextOf(dlg);
    Click(dlg, IDNO);
  });
  const Text own = Utf8ToGbk("错误");
  EXPECT_EQ(box.Show("?", 0x24, &own), kMbNo);
  EXPECT_EQ(caption, L"错误");

  OnNextDialog([&](HWND dlg) { Click(dlg, IDOK); });
  EXPECT_EQ(box.Show("done", 0x40, nullptr), kMbOk);
}

}  // namespace
