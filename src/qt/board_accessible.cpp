#include "qt/board_accessible.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QApplication>
#include <QPointer>
#include <QTimer>
#include <map>
#include <optional>

#include "qt/board_widget.h"
#include "qt/control_peers.h"
#include "ui/sprite_board.h"

namespace {

QString U(const Text& gbk) { return QString::fromStdString(GbkToUtf8(gbk)); }

std::optional<BoardItem> ItemOf(const BoardWidget* board, int sprite) {
  SpriteBoardModel* m = board ? board->Model() : nullptr;
  if (!m) return std::nullopt;
  for (BoardItem& item : ShownItems(*m))
    if (item.sprite == sprite) return std::move(item);
  return std::nullopt;
}

// One sprite of a board. It holds only the sprite's id (ids are never reused on a
// board) and asks the program what the sprite means each time, so it never tells a
// page that is gone.
class SpriteAccessible final : public QAccessibleInterface,
                         public QAccessibleActionInterface,
                         public QAccessibleTextInterface {
 public:
  SpriteAccessible(BoardWidget* board, int sprite) : board_(board), sprite_(sprite) {}

  bool isValid() const override { return ItemOf(board_, sprite_).has_value(); }
  QObject* object() const override { return nullptr; }
  QWindow* window() const override { return board_ ? board_->window()->windowHandle() : nullptr; }
  QAccessibleInterface* parent() const override {
    return board_ ? QAccessible::queryAccessibleInterface(board_.data()) : nullptr;
  }
  QAccessibleInterface* child(int) const override { return nullptr; }
  int childCount() const override { return 0; }
  int indexOfChild(const QAccessibleInterface*) const override { return -1; }
  QAccessibleInterface* childAt(int, int) const override { return nullptr; }

  QString text(QAccessible::Text t) const override {
    const std::optional<BoardItem> item = ItemOf(board_, sprite_);
    if (!item) return {};
    if (t == QAccessible::Name) return U(item->name);
    if (t == QAccessible::Description) return U(item->description);
    return {};
  }
  void setText(QAccessible::Text, const QString&) override {}

  QRect rect() const override {
    SpriteBoardModel* m = board_ ? board_->Model() : nullptr;
    const Sprite* s = m ? m->Find(sprite_) : nullptr;
    if (!s) return {};
    const BoardRect r = s->Rect();
    return QRect(board_->mapToGlobal(QPoint(r.left, r.top)), QSize(r.width, r.height));
  }

  QAccessible::Role role() const override {
    const std::optional<BoardItem> item = ItemOf(board_, sprite_);
    return item && item->role == BoardItemRole::Text ? QAccessible::StaticText : QAccessible::Button;
  }

  QAccessible::State state() const override {
    QAccessible::State st;
    SpriteBoardModel* m = board_ ? board_->Model() : nullptr;
    if (!m || !ItemOf(board_, sprite_)) {
      st.invisible = true;
      return st;
    }
    st.disabled = m->disabled || !board_->isEnabled();
    st.invisible = !board_->isVisible();
    return st;
  }

  void* interface_cast(QAccessible::InterfaceType type) override {
    if (type == QAccessible::ActionInterface) return static_cast<QAccessibleActionInterface*>(this);
    if (type == QAccessible::TextInterface && role() == QAccessible::StaticText)
      return static_cast<QAccessibleTextInterface*>(this);
    return nullptr;
  }

  // --- the press ---
  QStringList actionNames() const override {
    if (role() != QAccessible::Button) return {};
    return {pressAction()};
  }
  QStringList keyBindingsForAction(const QString&) const override { return {}; }
  void doAction(const QString& name) override {
    if (name != pressAction() || !board_ || role() != QAccessible::Button) return;
    // After the caller has its answer, from the event loop as a click comes: a handler
    // may open a modal box, and the screen reader must not wait for it to close.
    QPointer<BoardWidget> board = board_;
    const int sprite = sprite_;
    QMetaObject::invokeMethod(
        board_.data(),
        [board, sprite] {
          if (!board || !board->isEnabled() || !board->isVisible()) return;
          // A modal box open elsewhere takes every click of this window too.
          QWidget* modal = QApplication::activeModalWidget();
          if (modal && modal != board->window()) return;
          if (SpriteBoardModel* m = board->Model()) PressSprite(*m, sprite);
        },
        Qt::QueuedConnection);
  }

  // --- the page label read as text ---
  void selection(int, int* start, int* end) const override { *start = *end = 0; }
  int selectionCount() const override { return 0; }
  void addSelection(int, int) override {}
  void removeSelection(int) override {}
  void setSelection(int, int, int) override {}
  int cursorPosition() const override { return 0; }
  void setCursorPosition(int) override {}
  QString text(int start, int end) const override {
    return text(QAccessible::Name).mid(start, end - start);
  }
  int characterCount() const override { return static_cast<int>(text(QAccessible::Name).size()); }
  QRect characterRect(int) const override { return {}; }
  int offsetAtPoint(const QPoint&) const override { return -1; }
  void scrollToSubstring(int, int) override {}
  QString attributes(int offset, int* start, int* end) const override {
    *start = *end = offset;
    return {};
  }

 private:
  QPointer<BoardWidget> board_;
  int sprite_;
};

// The board itself: a panel whose children are its described sprites.
class BoardAccessible final : public QAccessibleWidget {
 public:
  explicit BoardAccessible(BoardWidget* board) : QAccessibleWidget(board, QAccessible::Grouping) {
    told_ = Items();
  }
  ~BoardAccessible() override {
    for (const auto& [sprite, id] : ids_) QAccessible::deleteAccessibleInterface(id);
  }

  // Tells the screen reader what changed since it was last told: sprites gone, sprites
  // new (a page turned), names changed (the page label).
  void TellChanges() {
    const std::vector<BoardItem> now = ShownItemsNow();
    for (const BoardItem& old : told_) {
      auto it = ids_.find(old.sprite);
      if (Find(now, old.sprite) || it == ids_.end()) continue;
      if (QAccessibleInterface* child = QAccessible::accessibleInterface(it->second)) {
        QAccessibleEvent gone(child, QAccessible::ObjectDestroyed);
        QAccessible::updateAccessibility(&gone);
      }
    }
    for (const BoardItem& item : now) {
      const BoardItem* old = Find(told_, item.sprite);
      if (!old) {
        QAccessibleEvent added(ChildFor(item.sprite), QAccessible::ObjectCreated);
        QAccessible::updateAccessibility(&added);
      } else if (old->name != item.name) {
        QAccessibleEvent renamed(ChildFor(item.sprite), QAccessible::NameChanged);
        QAccessible::updateAccessibility(&renamed);
      }
    }
    told_ = Items();
  }

  int childCount() const override { return static_cast<int>(Items().size()); }
  QAccessibleInterface* child(int index) const override {
    const std::vector<BoardItem> items = Items();
    if (index < 0 || index >= static_cast<int>(items.size())) return nullptr;
    return ChildFor(items[index].sprite);
  }
  int indexOfChild(const QAccessibleInterface* child) const override {
    const std::vector<BoardItem> items = Items();
    for (std::size_t i = 0; i < items.size(); ++i) {
      auto it = ids_.find(items[i].sprite);
      if (it != ids_.end() && QAccessible::accessibleInterface(it->second) == child)
        return static_cast<int>(i);
    }
    return -1;
  }
  QAccessibleInterface* childAt(int x, int y) const override {
    SpriteBoardModel* m = Board()->Model();
    if (!m) return nullptr;
    const QPoint p = Board()->mapFromGlobal(QPoint(x, y));
    const int hit = m->HitTest(p.x(), p.y());
    for (const BoardItem& item : Items())
      if (item.sprite == hit) return ChildFor(hit);
    return nullptr;
  }

 private:
  BoardWidget* Board() const { return static_cast<BoardWidget*>(widget()); }
  std::vector<BoardItem> ShownItemsNow() const {
    SpriteBoardModel* m = Board()->Model();
    return m ? ShownItems(*m) : std::vector<BoardItem>{};
  }
  static const BoardItem* Find(const std::vector<BoardItem>& items, int sprite) {
    for (const BoardItem& item : items)
      if (item.sprite == sprite) return &item;
    return nullptr;
  }

  // The items now; children of sprites that are gone are let go here.
  std::vector<BoardItem> Items() const {
    std::vector<BoardItem> items = ShownItemsNow();
    for (auto it = ids_.begin(); it != ids_.end();) {
      bool shown = false;
      for (const BoardItem& item : items) shown = shown || item.sprite == it->first;
      if (shown) {
        ++it;
      } else {
        QAccessible::deleteAccessibleInterface(it->second);
        it = ids_.erase(it);
      }
    }
    return items;
  }

  QAccessibleInterface* ChildFor(int sprite) const {
    auto it = ids_.find(sprite);
    if (it != ids_.end()) return QAccessible::accessibleInterface(it->second);
    auto* child = new SpriteAccessible(Board(), sprite);
    ids_[sprite] = QAccessible::registerAccessibleInterface(child);
    return child;
  }

  mutable std::map<int, QAccessible::Id> ids_;  // sprite id -> registered child
  std::vector<BoardItem> told_;                  // as the screen reader last heard them
};

QAccessibleInterface* Factory(const QString&, QObject* object) {
  if (auto* board = dynamic_cast<BoardWidget*>(object)) return new BoardAccessible(board);
  // A skinned window without a frame of its own is still the user's window: a frame
  // named by its title, not a filler.
  if (auto* window = dynamic_cast<WindowPeer*>(object); window && window->isWindow())
    return new QAccessibleWidget(window, QAccessible::Window);
  return nullptr;
}

}  // namespace

void BoardChanged(BoardWidget* board) {
  static const char kPending[] = "vkAccessibleChangePending";
  if (!QAccessible::isActive() || board->property(kPending).toBool()) return;
  // A page turn changes a hundred sprites: they are told once, when it is done.
  board->setProperty(kPending, true);
  QPointer<BoardWidget> b = board;
  QTimer::singleShot(0, board, [b] {
    if (!b) return;
    b->setProperty(kPending, false);
    if (auto* iface = dynamic_cast<BoardAccessible*>(QAccessible::queryAccessibleInterface(b.data())))
      iface->TellChanges();
  });
}

void InstallBoardAccessibility() {
  static const bool installed = [] {
    QAccessible::installFactory(Factory);
    return true;
  }();
  (void)installed;
}
