#include "qt/qt_backend.h"

#include <algorithm>
#include <QWindow>
#include <thread>

namespace {
// The classic Windows fixed dialog frame and caption the layouts were drawn with.
constexpr int kDialogFrame = 3;
constexpr int kCaption = 19;

void ForgetPeers(Window& window) {
  window.peerUpdate = nullptr;
  window.onDestroyed = nullptr;
  for (Control* c : window.controls()) c->peerUpdate = nullptr;
}
}  // namespace

QtWindowBackend::QtWindowBackend()
    : backendAlive_(std::make_shared<bool>(true)),
      mailbox_(std::make_shared<Mailbox>()),
      receiver_(std::make_unique<QObject>()) {
  mailbox_->receiver = receiver_.get();
}

QtWindowBackend::~QtWindowBackend() {
  {
    std::lock_guard<std::mutex> lock(mailbox_->mutex);
    mailbox_->receiver = nullptr;
  }
  // The models may be gone already: touch only the peers. Hooks left in models that
  // outlive the backend check these flags and do nothing.
  *backendAlive_ = false;
  for (auto& o : open_) {
    *o->alive = false;
    for (auto& w : o->ownWindows) delete w.data();
    delete o->peer.data();
  }
  // Destroyed windows whose deferred deletion no loop ran any more.
  for (auto& w : dying_) delete w.data();
}

QSize QtWindowBackend::DialogClientSize(int outerWidth, int outerHeight) {
  return QSize(outerWidth - 2 * kDialogFrame, outerHeight - 2 * kDialogFrame - kCaption);
}

QtWindowBackend::Open* QtWindowBackend::Find(const Window& window) const {
  for (auto& o : open_)
    if (o->model == &window) return o.get();
  return nullptr;
}

WindowPeer* QtWindowBackend::PeerOf(const Window& window) const {
  Open* o = Find(window);
  return o ? o->peer.data() : nullptr;
}

QWidget* QtWindowBackend::TopWindow() const {
  for (auto o = open_.rbegin(); o != open_.rend(); ++o)
    if (*(*o)->alive && (*o)->peer) return (*o)->peer.data();
  return nullptr;
}

void QtWindowBackend::ShowWindow(Window& window, bool modal) {
  if (window.destroyed() || Find(window)) return;
  auto open = std::make_unique<Open>();
  open->model = &window;
  open->alive = std::make_shared<bool>(true);
  open->modal = modal;
  auto* peer = new WindowPeer(window, open->alive);
  open->peer = peer;

  if (window.border == WindowBorder::None) {
    peer->setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    peer->setFixedSize(window.width(), window.height());
  } else {
    peer->setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                         Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    peer->setFixedSize(DialogClientSize(window.width(), window.height()));
  }
  peer->move(window.left(), window.top());
  for (QWidget* w : CreateControlPeers(window, peer, open->alive, &rasterizer_))
    open->ownWindows.push_back(w);

  Liveness alive = open->alive;
  QPointer<WindowPeer> p = peer;
  window.peerUpdate = [p, alive, &window] {
    if (!*alive || !p) return;
    p->Sync();
    if (p->pos() != QPoint(window.left(), window.top())) p->move(window.left(), window.top());
  };
  window.onDestroyed = [this, backendAlive = backendAlive_, &window] {
    if (*backendAlive) Destroyed(window);
  };
  peer->Sync();

  if (modal) {
    peer->setWindowModality(Qt::ApplicationModal);
    // Owned by the window it blocks: it stays above it, and the desktop places it there.
    if (QWidget* owner = TopWindow()) {
      peer->winId();  // makes the native windows, so they can be tied
      owner->winId();
      peer->windowHandle()->setTransientParent(owner->windowHandle());
    }
    for (auto& o : open_) ++o->model->modalBlocks;
  } else if (!main_) {
    main_ = &window;
  }
  open_.push_back(std::move(open));
  peer->show();
  peer->raise();
  peer->activateWindow();
}

void QtWindowBackend::Destroyed(Window& window) {
  Open* o = Find(window);
  if (!o) return;
  *o->alive = false;
  ForgetPeers(window);
  if (o->peer) {
    o->peer->hide();
    o->peer->deleteLater();
    dying_.push_back(o->peer.data());
  }
  // These read the model on their own timers: they go before the model can.
  for (auto& w : o->ownWindows) delete w.data();
  o->ownWindows.clear();
  if (o->modal)
    for (auto& other : open_)
      if (other.get() != o && other->model->modalBlocks > 0) --other->model->modalBlocks;
  if (o->loop) o->loop->exit(0);
  const bool wasMain = &window == main_;
  if (!o->loop) {
    // Nobody waits for it: forget it now.
    open_.erase(std::find_if(open_.begin(), open_.end(), [o](auto& x) { return x.get() == o; }));
  }
  if (wasMain) {
    main_ = nullptr;
    // The program is ending: every other window goes with the main one.
    std::vector<Window*> others;
    for (auto& x : open_)
      if (x->model != &window && !x->model->destroyed()) others.push_back(x->model);
    for (Window* w : others) w->Destroy();
  }
}

void QtWindowBackend::RunUntilDestroyed(Window& window) {
  Open* o = Find(window);
  if (!o || window.destroyed()) {
    if (o) open_.erase(std::find_if(open_.begin(), open_.end(), [o](auto& x) { return x.get() == o; }));
    return;
  }
  QEventLoop loop;
  o->loop = &loop;
  loop.exec();
  o = Find(window);
  if (o) open_.erase(std::find_if(open_.begin(), open_.end(), [o](auto& x) { return x.get() == o; }));
}

void QtWindowBackend::RunAside(std::function<int()> work, std::function<void(int)> done) {
  // Detached: a program that ends while the network still keeps the thread waiting
  // must not wait for it. The work owns all it reads.
  std::thread([work = std::move(work), done = std::move(done), mailbox = mailbox_]() mutable {
    const int result = work();
    std::lock_guard<std::mutex> lock(mailbox->mutex);
    if (mailbox->receiver)
      QMetaObject::invokeMethod(
          mailbox->receiver, [done = std::move(done), result] { done(result); }, Qt::QueuedConnection);
  }).detach();
}
