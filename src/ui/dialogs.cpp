#include "ui/dialogs.h"

#include <climits>

const Text& DefaultMessageCaption() { return GBK("信息："); }
const Text& DefaultInputTitle() { return GBK("请输入："); }

int MessageBox(Services& services, const Text& text, int flags) {
  return services.messageBox->Show(text, flags, nullptr);
}

int MessageBox(Services& services, const Text& text, int flags, const Text& caption) {
  return services.messageBox->Show(text, flags, &caption);
}

int MessageBox(Services& services, long long number, int flags) {
  return MessageBox(services, NumberText(number), flags);
}

int MessageBox(Services& services, bool value, int flags) {
  return MessageBox(services, value ? GBK("真") : GBK("假"), flags);
}

int EffectiveMessageFlags(int flags) { return (flags & 0x1000) ? flags : (flags | 0x2000); }

int ClampInputMode(int mode) { return mode > 4 ? 4 : (mode < 1 ? 1 : mode); }

bool InputBox(Services& services, const Text* prompt, const Text* title, const Text& initial,
              Text& target, int inputMode) {
  return services.inputBox->Ask(prompt, title, initial, target, ClampInputMode(inputMode));
}

int LeadingInteger(const Text& text) {
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
  long long v = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    v = v * 10 + (text[i] - '0');
    if (v > INT_MAX) v = static_cast<long long>(INT_MAX) + 1;  // saturate, no overflow
  }
  if (negative) v = -v;
  if (v > INT_MAX) v = INT_MAX;
  if (v < INT_MIN) v = INT_MIN;
  return static_cast<int>(v);
}

bool InputBox(Services& services, const Text* prompt, const Text* title, const Text& initial,
              int& target, int inputMode) {
  Text typed;
  if (!InputBox(services, prompt, title, initial, typed, inputMode)) return false;
  target = LeadingInteger(typed);
  return true;
}
