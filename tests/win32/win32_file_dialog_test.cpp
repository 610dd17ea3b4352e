// The open-file dialog, driven from inside its own loop: the initial directory, the
// chosen file's full path, Cancel, and a name the program's texts cannot hold.

#include <gtest/gtest.h>
#include <windows.h>

#include <dlgs.h>

#include <string>

#include "base/wide_text.h"
#include "win32/dialog_driver.h"
#include "win32/parts.h"

using dialog_driver::Click;
using dialog_driver::OnNextDialog;

namespace {

class FileDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    wchar_t temp[MAX_PATH];
    ASSERT_GT(GetTempPathW(MAX_PATH, temp), 0u);
    dir_ = std::wstring(temp) + L"vinkabo_file_dialog_" + std::to_wstring(GetCurrentProcessId());
    CreateDirectoryW(dir_.c_str(), nullptr);
    Touch(L"图标.png");
  }
  void TearDown() override {
    for (const wchar_t* name : {L"图标.png", L"ð.png"}) DeleteFileW((dir_ + L"\\" + name).c_str());
    RemoveDirectoryW(dir_.c_str());
  }
  void Touch(const std::wstring& name) {
    HANDLE h = CreateFileW((dir_ + L"\\" + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    CloseHandle(h);
  }
  // Types a bare name into the dialog's file name box and presses Open.
  static void Choose(HWND dlg, const wchar_t* name) {
    if (!SetDlgItemTextW(dlg, cmb13, name)) SetDlgItemTextW(dlg, edt1, name);
    Click(dlg, IDOK);
  }

  std::wstring dir_;
};

TEST_F(FileDialogTest, OpensInTheInitialDirectoryAndGivesTheFullPath) {
  bool readOnlyShown = true;
  OnNextDialog([&](HWND dlg) {
    HWND readOnly = GetDlgItem(dlg, chx1);
    readOnlyShown = readOnly && IsWindowVisible(readOnly);
    Choose(dlg, L"图标.png");  // a bare name: found only in the initial directory
  });
  Text name = "before";
  Win32FileDialog dialog;
  ASSERT_TRUE(dialog.Open(GbkFromWide(dir_), name));
  EXPECT_EQ(name, GbkFromWide(dir_ + L"\\图标.png"));
  EXPECT_FALSE(readOnlyShown) << "the read-only box is hidden";
}

TEST_F(FileDialogTest, CancelLeavesTheName) {
  OnNextDialog([](HWND dlg) { Click(dlg, IDCANCEL); });
  Text name = "before";
  Win32FileDialog dialog;
  EXPECT_FALSE(dialog.Open(GbkFromWide(dir_), name));
  EXPECT_EQ(name, "before");
}

TEST_F(FileDialogTest, ANameTheProgramsTextsCannotHoldIsRefused) {
  Touch(L"ð.png");
  OnNextDialog([](HWND dlg) { Choose(dlg, L"ð.png"); });
  Text name = "before";
  Win32FileDialog dialog;
  EXPECT_FALSE(dialog.Open(GbkFromWide(dir_), name));
  EXPECT_EQ(name, "before");
}

}  // namespace
