#pragma once
// The peer of a sprite board: shows the board's composed surface and feeds the
// pointer (presses, releases, moves, mouse tracking on) to the board model.
//
// The widget never owns the model. A board handler may destroy the window, and with it
// the model, in the middle of an event: the widget then stops touching the model and
// goes on showing the last picture until it is deleted itself.
//
// Keys pressed anywhere in its window (but in a text box) go to the board first, when
// the program listens for them there.

#include <QWidget>
#include <memory>

#include "ui/compositor.h"
#include "ui/sprite_board.h"

class BoardWidget : public QWidget {
 public:
  explicit BoardWidget(SpriteBoardModel& model, QWidget* parent = nullptr);
  ~BoardWidget() override;

  // What the board looks like, as last painted.
  const Surface& surface() const { return surface_; }
  SpriteBoardModel* Model() const;  // null once the model is gone

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void leaveEvent(QEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  SpriteBoardModel* model_;
  std::weak_ptr<void> alive_;
  Surface surface_;
};
