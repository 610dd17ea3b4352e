#include "qt/board_widget.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QImage>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <cmath>

#include "qt/board_accessible.h"
#include "qt/board_keys_qt.h"

namespace {

// Board pixels are whole pixels; a fractional position lies in the pixel it covers.
int Pixel(double v) { return static_cast<int>(std::floor(v)); }

}  // namespace

BoardWidget::BoardWidget(SpriteBoardModel& model, QWidget* parent)
    : QWidget(parent), model_(&model), alive_(model.Liveness()) {
  InstallBoardAccessibility();
  setMouseTracking(true);
  // Every pixel comes from the surface: Qt need not clear behind it.
  setAttribute(Qt::WA_OpaquePaintEvent);
  resize(model.width, model.height);
  model.areaInvalidated = [this](const BoardRect& r) {
    update(QRect(r.left, r.top, r.width, r.height));
    BoardChanged(this);
  };
  // The window's keys reach whichever of its widgets has the focus, or none.
  if (qApp) qApp->installEventFilter(this);
}

BoardWidget::~BoardWidget() {
  if (SpriteBoardModel* m = Model()) m->areaInvalidated = nullptr;
}

SpriteBoardModel* BoardWidget::Model() const { return alive_.expired() ? nullptr : model_; }

void BoardWidget::paintEvent(QPaintEvent* event) {
  QColor background(Qt::black);
  if (SpriteBoardModel* m = Model()) {
    ComposeDirty(*m, surface_);
    background = QColor(ColourRed(m->background), ColourGreen(m->background),
                        ColourBlue(m->background));
  }
  QPainter painter(this);
  // The board's own size is what it composes; a larger widget shows the background
  // colour beyond it.
  if (event->rect().right() >= surface_.width || event->rect().bottom() >= surface_.height)
    painter.fillRect(event->rect(), background);
  if (surface_.width <= 0 || surface_.height <= 0) return;
  // One copy of the composed pixels to the screen.
  const QImage view(surface_.rgba.data(), surface_.width, surface_.height, surface_.width * 4,
                    QImage::Format_RGBX8888);
  painter.drawImage(event->rect().topLeft(), view, event->rect());
}

// In the handlers below the model call comes last: a board handler may have destroyed
// this widget's window by the time it returns.

void BoardWidget::mousePressEvent(QMouseEvent* event) {
  event->accept();
  SpriteBoardModel* m = Model();
  if (!m) return;
  const int x = Pixel(event->position().x()), y = Pixel(event->position().y());
  if (event->button() == Qt::LeftButton) {
    // Qt sends no move when the pointer got here while the window took no input (a
    // modal box was open) or while something above the board went away; the program
    // must hear which sprite the pointer is on before it hears the press.
    if (!m->PointerAt(x, y) || !(m = Model())) return;
    m->LeftButtonDown(x, y);
  } else if (event->button() == Qt::RightButton) {
    m->RightButtonDown(x, y);
  }
}

void BoardWidget::mouseReleaseEvent(QMouseEvent* event) {
  event->accept();
  SpriteBoardModel* m = Model();
  if (!m) return;
  const int x = Pixel(event->position().x()), y = Pixel(event->position().y());
  if (event->button() == Qt::LeftButton) m->LeftButtonUp(x, y);
  else if (event->button() == Qt::RightButton) m->RightButtonUp(x, y);
}

void BoardWidget::mouseDoubleClickEvent(QMouseEvent* event) {
  event->accept();
  SpriteBoardModel* m = Model();
  if (!m) return;
  const int x = Pixel(event->position().x()), y = Pixel(event->position().y());
  if (event->button() == Qt::LeftButton) {
    if (!m->PointerAt(x, y) || !(m = Model())) return;
    m->LeftDoubleClick(x, y);
  } else if (event->button() == Qt::RightButton) {
    m->RightButtonDown(x, y);
  }
}

void BoardWidget::mouseMoveEvent(QMouseEvent* event) {
  event->accept();
  SpriteBoardModel* m = Model();
  if (!m) return;
  const int x = Pixel(event->position().x()), y = Pixel(event->position().y());
  // While a button is held Qt keeps sending moves from outside the widget; out there
  // the pointer is off the board.
  if (x >= 0 && y >= 0 && x < m->width && y < m->height && rect().contains(x, y))
    m->PointerMove(x, y, (event->buttons() & Qt::LeftButton) != 0);
  else
    m->PointerLeftBoard();
}

bool BoardWidget::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::KeyPress) return false;
  auto* target = qobject_cast<QWidget*>(watched);
  if (!target || target->window() != window() || !isVisible()) return false;
  // Text typed into a box is the box's; the web box only shows a page.
  auto* textEdit = qobject_cast<QTextEdit*>(target);
  if (qobject_cast<QLineEdit*>(target) || (textEdit && !textEdit->isReadOnly()) ||
      qobject_cast<QPlainTextEdit*>(target) || qobject_cast<QAbstractSpinBox*>(target) ||
      qobject_cast<QComboBox*>(target))
    return false;
  SpriteBoardModel* m = Model();
  if (!m || !m->events.keyPressed) return false;
  const BoardKey key = BoardKeyOf(*static_cast<QKeyEvent*>(event));
  return key.code != BoardKeyCode::kNone && m->KeyPressed(key);
}

void BoardWidget::leaveEvent(QEvent* event) {
  QWidget::leaveEvent(event);
  if (SpriteBoardModel* m = Model()) m->PointerLeftBoard();
}
