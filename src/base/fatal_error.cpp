#include "base/fatal_error.h"

#include <cstdio>
#include <cstdlib>

namespace {
FatalErrorPresenter& Presenter() {
  static FatalErrorPresenter p;
  return p;
}
}  // namespace

Text FatalErrorMessage(int code, const Text& message) {
  const Text line = "\r\n";
  Text out = GBK("运行时出错!") + line + line;
  if (code != 0) out += GBK("错误代码：") + NumberText(code) + line + line;
  if (!message.empty()) out += GBK("错误信息：") + message;
  return out;
}

void SetFatalErrorPresenter(FatalErrorPresenter presenter) { Presenter() = std::move(presenter); }

void FatalRunTimeError(int code, const Text& message) {
  Text full = FatalErrorMessage(code, message);
  if (Presenter()) {
    Presenter()(full);
  } else {
    std::fprintf(stderr, "%s\n", GbkToUtf8(full).c_str());
  }
  std::exit(-1);
}
