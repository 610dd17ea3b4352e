#pragma once
// Opening an address with the desktop's default handler: the address goes, as one
// argument and never through a shell, to xdg-open, which is not waited for.

#include <sys/types.h>

#include "base/text.h"
#include "ui/services.h"

// Starts `xdg-open <address>` (found on PATH) and returns its process id, or -1 when
// it could not be started. The address is the program's GBK text; the OS gets it in
// UTF-8. The child is reaped in the background, so no zombie is left behind.
pid_t StartXdgOpen(const Text& address);

class XdgShellService : public ShellService {
 public:
  void OpenAddress(const Text& address) override { StartXdgOpen(address); }
};
