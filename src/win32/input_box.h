#pragma once
// The parts of the input box, for tests that drive it.

#include <windows.h>

inline constexpr int kInputPromptId = 100;
inline constexpr int kInputEditId = 101;
// The buttons are the dialog's own IDOK ("确认输入(&O)") and IDCANCEL ("取消(&C)").

// The dialog's size in dialog units (宋体 9 point): 252 x 92 with a prompt, 214 x 56 without.
SIZE InputBoxDialogUnits(bool withPrompt);
