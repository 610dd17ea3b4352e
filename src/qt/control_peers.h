#pragma once
// The Qt peers of the control model: one widget per control at the layout's geometry,
// mirroring the model whenever it changes, and handing user input back to the model
// as its User... actions. Page children are children of their page's widget.

#include <QAbstractButton>
#include <QImage>
#include <QLineEdit>
#include <QPushButton>
#include <QWidget>
#include <functional>
#include <memory>
#include <vector>

#include "forms/controls.h"

class QTabBar;
class TextRasterizer;

// Shared by every peer of one window: false once the window's model is destroyed, after
// which no peer touches the model again.
using Liveness = std::shared_ptr<bool>;

// The top-level widget of a window.
class WindowPeer : public QWidget {
 public:
  WindowPeer(Window& model, Liveness alive);
  void Sync();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void moveEvent(QMoveEvent* event) override;
  // A press on the bare skin of a frameless window (no control, no board: those take
  // their presses) starts moving the window.
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  Window& model_;
  Liveness alive_;
  QImage background_;
  int backgroundVersion_ = -1;
  // Set while the window follows the pointer itself (no window manager to move it).
  bool dragging_ = false;
  QPoint dragOffset_;
};

// A tab control: its row of titles (only in container mode 0), a frame, and one page
// widget per page. A page child's left and top count from the tab control's own
// top-left corner, so page widgets begin at the tab control's top and the children
// are placed by subtracting where the page area starts.
class TabPeer : public QWidget {
 public:
  TabPeer(TabControl& model, Liveness alive, QWidget* parent);
  void Sync();
  QWidget* page(int i) const { return pages_.at(i); }
  int PageTop() const;  // where the page area begins, in the tab control
  QTabBar* bar() const { return bar_; }
  // Children re-place themselves when the page area moves.
  std::vector<std::function<void()>> childSyncs;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  TabControl& model_;
  Liveness alive_;
  QTabBar* bar_;
  std::vector<QWidget*> pages_;
  int lastPageTop_ = -1;
};

// A push button with its caption, or only its picture when the program gave it one
// (no bevel, no frame). Focus cues show only once the keyboard has been used.
class ButtonPeer : public QPushButton {
 public:
  ButtonPeer(Button& model, Liveness alive, QWidget* parent);
  void Sync();

 protected:
  void mouseMoveEvent(QMouseEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  bool KeyboardFocusCue() const;

  Button& model_;
  Liveness alive_;
  QImage picture_;
  int pictureVersion_ = -1;
};

// An edit box whose one line of text fits the layout's small heights whole.
class EditBoxPeer : public QLineEdit {
 public:
  explicit EditBoxPeer(QWidget* parent);

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  void FitLine();
};

class GraphicButtonPeer : public QAbstractButton {
 public:
  GraphicButtonPeer(GraphicButton& model, Liveness alive, QWidget* parent);
  void Sync();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void enterEvent(QEnterEvent* event) override;
  void leaveEvent(QEvent* event) override;

 private:
  GraphicButton& model_;
  Liveness alive_;
  QImage normal_, hover_, pressed_;
  int pictureVersion_ = -1;
};

// Creates the peers of every control of `window` under `top` in stacking order and
// connects them. `rasterizer` renders the boards' sprite texts. Returns the peers that
// are windows of their own (the balloon tip), which the caller deletes with `top`.
std::vector<QWidget*> CreateControlPeers(Window& window, WindowPeer* top, const Liveness& alive,
                                         TextRasterizer* rasterizer);

// The widget of a control, once created (tests look at it); null for the invisible kinds.
QWidget* PeerWidget(QWidget* top, const Control& control);

// Modifier keys as the program reads them: 1 Ctrl, 2 Shift, 4 Alt.
int ModifierKeys(Qt::KeyboardModifiers modifiers);

// The program's colour (0x00BBGGRR) as Qt's.
QColor ToQColor(Colour colour);
// A control font as Qt's: the face through fontconfig, the height in pixels.
QFont ToQFont(const ControlFont& font, const QFont& base);
