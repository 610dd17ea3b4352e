#pragma once
// The message box and input box as the program calls them, on top of the services.

#include "base/text.h"
#include "ui/services.h"

// The caption "信息：" applies when none is given.
const Text& DefaultMessageCaption();
// "请输入：", when an input box is given no title or an empty one.
const Text& DefaultInputTitle();

int MessageBox(Services& services, const Text& text, int flags);
int MessageBox(Services& services, const Text& text, int flags, const Text& caption);
// A number or a truth value is converted to text first ("真" / "假").
int MessageBox(Services& services, long long number, int flags);
int MessageBox(Services& services, bool value, int flags);

// The flags as the box really shows them: task-modal (0x2000) unless system-modal
// (0x1000) was asked for.
int EffectiveMessageFlags(int flags);
// Input modes above 4 count as 4, 0 or less as 1; 4 masks the entry.
int ClampInputMode(int mode);

// True when confirmed, with the typed text in `target`; false leaves it as it was.
bool InputBox(Services& services, const Text* prompt, const Text* title, const Text& initial,
              Text& target, int inputMode = 1);
// An integer variable takes the typed text's leading digits (an optional sign first).
bool InputBox(Services& services, const Text* prompt, const Text* title, const Text& initial,
              int& target, int inputMode = 1);
// The leading-digit conversion: "12ab" -> 12, "ab" -> 0, "-3" -> -3.
int LeadingInteger(const Text& text);
