#pragma once
// The fatal run-time error: a programming error (a field access without a current
// record file, a missing field, a value of the wrong kind, an index outside a list)
// is not returned to the caller. The user is shown what went wrong and the program
// ends with exit code -1.

#include <functional>

#include "base/text.h"

// "运行时出错!", an empty line, then "错误代码：" with the code (when not 0) and an
// empty line, then "错误信息：" with the text (when not empty).
Text FatalErrorMessage(int code, const Text& message);

// Shows the message through the installed presenter and ends the process with -1.
[[noreturn]] void FatalRunTimeError(int code, const Text& message);

// The window layer installs a presenter that shows a message box; without one the
// message goes to stderr. A presenter may throw to stop the process from ending
// (tests do, to see the error).
using FatalErrorPresenter = std::function<void(const Text& message)>;
void SetFatalErrorPresenter(FatalErrorPresenter presenter);
