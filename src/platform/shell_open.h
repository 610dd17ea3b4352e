#pragma once
// Opening an address with the system's default handler, not waited for: the shell's
// "open" verb on Windows (ShellExecuteW); elsewhere xdg-open, with the address as one
// argument and never through a shell.

#include "base/text.h"

class ShellService {
 public:
  virtual ~ShellService() = default;
  // Hands the address, unchanged, to the desktop's default handler; does not wait.
  virtual void OpenAddress(const Text& address) = 0;
};

// The address is the program's GBK text; the OS gets it in its own encoding. Nothing is
// reported back: an address no program opens shows nothing. An address the address rule
// refuses (an option, a control character, a network share) is never handed on, whoever
// calls: false then.
bool OpenWithDefaultHandler(const Text& address);

class SystemShellService : public ShellService {
 public:
  void OpenAddress(const Text& address) override { OpenWithDefaultHandler(address); }
};

#ifndef _WIN32
#include <sys/types.h>

// Starts `xdg-open <address>` (found on PATH) and returns its process id, or -1 when
// it could not be started or the address is refused. The child is reaped in the background, so no zombie is left.
pid_t StartXdgOpen(const Text& address);
#endif
