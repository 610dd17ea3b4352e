#include "protection/password_gate.h"

#include "protection/password.h"
#include "protection/unreadable_settings.h"
#include "ui/dialogs.h"

namespace {
constexpr int kPasswordInputMode = 4;  // every typed character masked
}

bool PasswordGate(Program& program, const Text& prompt, const Text& title, const Text& refusalCaption,
                  int refusalFlags) {
  // An unread main copy holds 0 in the check: that must not mean "no password".
  if (RefusedWithoutSettings(program)) return false;
  const ProtectionSettings& settings = program.state.protection;
  if (settings.passwordCheck == 0) return true;
  Text typed;
  if (!InputBox(program.services, &prompt, &title, Text(), typed, kPasswordInputMode)) return false;
  if (!VerifyPassword(typed, settings.password)) {
    MessageBox(program.services, GBK("密码错误"), refusalFlags, refusalCaption);
    return false;
  }
  return true;
}
