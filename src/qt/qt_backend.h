#pragma once
// The Qt window backend: each window of the model becomes a top-level widget with one
// peer per control, and each message loop is a QEventLoop that ends when its window
// is destroyed. Destroying the main window (the first window shown that is not modal)
// destroys every other open window too, so every loop returns and the program ends.

#include <QEventLoop>
#include <QPointer>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "forms/window_backend.h"
#include "qt/control_peers.h"
#include "qt/qt_text_rasterizer.h"

class QtWindowBackend : public WindowBackend {
 public:
  QtWindowBackend();
  ~QtWindowBackend() override;
  void ShowWindow(Window& window, bool modal) override;
  void RunUntilDestroyed(Window& window) override;
  // `work` on a thread of its own; `done` queued back to the loop's thread.
  void RunAside(std::function<int()> work, std::function<void(int)> done) override;

  // The top-level widget of an open window (tests look at it); null when not open.
  WindowPeer* PeerOf(const Window& window) const;

  // The window opened last that is still open: the one a dialog shown now blocks and
  // belongs to (null when none is).
  QWidget* TopWindow() const;

  // Client size of a window with a fixed dialog frame of the given outer size.
  static QSize DialogClientSize(int outerWidth, int outerHeight);

 private:
  struct Open {
    Window* model = nullptr;
    QPointer<WindowPeer> peer;
    Liveness alive;
    bool modal = false;
    QEventLoop* loop = nullptr;
    std::vector<QPointer<QWidget>> ownWindows;  // peers with windows of their own
  };
  Open* Find(const Window& window) const;
  void Destroyed(Window& window);

  std::vector<std::unique_ptr<Open>> open_;
  Window* main_ = nullptr;
  QtTextRasterizer rasterizer_;
  std::shared_ptr<bool> backendAlive_;
  std::vector<QPointer<QWidget>> dying_;  // destroyed, deletion deferred
  // Where finished work posts its result; emptied when the backend goes, so a thread
  // still waiting on the network then finds nobody to tell.
  struct Mailbox {
    std::mutex mutex;
    QObject* receiver = nullptr;
  };
  std::shared_ptr<Mailbox> mailbox_;
  std::unique_ptr<QObject> receiver_;
};
