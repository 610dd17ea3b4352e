#include "qt/balloon_widget.h"

#include <QCursor>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <QStyle>
#include <QWindow>
#include <chrono>

namespace {

constexpr int kPadding = 6;
constexpr int kIconSide = 16;
constexpr int kRadius = 6;

QString Unicode(const Text& gbk) { return QString::fromUtf8(GbkToUtf8(gbk).c_str()); }

QRect Extent(const BalloonLayout& l) {
  QRect body(l.body.left, l.body.top, l.body.width, l.body.height);
  return body.united(QRect(l.tipX, l.tipY, 1, 1)).adjusted(-1, -1, 1, 1);
}

}  // namespace

std::int64_t SteadyClockMs() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

BalloonWidget::BalloonWidget(BalloonTipModel& model, QRect screen, std::function<std::int64_t()> clock)
    // An empty input region, set by the window system itself: a showing balloon never
    // takes a click or a move from what lies below it (the hovered icon, the modify
    // buttons), whatever the window manager does with the window.
    : QWidget(nullptr, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                           Qt::WindowTransparentForInput | Qt::WindowDoesNotAcceptFocus),
      model_(model),
      clock_(clock ? std::move(clock) : SteadyClockMs) {
  setAttribute(Qt::WA_TranslucentBackground);
  setAttribute(Qt::WA_ShowWithoutActivating);
  setAttribute(Qt::WA_TransparentForMouseEvents);
  // The balloon's 宋体 9 point: a Simplified Chinese face at 12 pixels.
  font_.setFamilies({"SimSun", "NSimSun", "WenQuanYi Zen Hei", "Noto Sans CJK SC"});
  font_.setPixelSize(12);
  if (screen.isEmpty()) {
    // No fixed area: each pop-up keeps to the screen its point is on.
    if (QGuiApplication::primaryScreen()) screen = QGuiApplication::primaryScreen()->geometry();
    model_.screenAt = [](int x, int y) {
      QScreen* s = QGuiApplication::screenAt(QPoint(x, y));
      if (!s) return BalloonRect{};
      QRect g = s->geometry();
      return BalloonRect{g.x(), g.y(), g.width(), g.height()};
    };
  }
  if (!screen.isEmpty()) model_.screen = {screen.x(), screen.y(), screen.width(), screen.height()};
  model_.measure = [this](const Text& text, int icon) {
    QFontMetrics fm(font_);
    QRect r = fm.boundingRect(QRect(0, 0, 4000, 4000), Qt::AlignLeft | Qt::AlignTop, Unicode(text));
    int iconRoom = icon >= 0 ? kIconSide + kPadding : 0;
    return BalloonSize{r.width() + 2 * kPadding + iconRoom,
                       std::max(r.height(), icon >= 0 ? kIconSide : 0) + 2 * kPadding};
  };
  lastPointer_ = QCursor::pos();
  // The timer runs only while a pop-up waits or shows.
  timer_.setInterval(15);
  QObject::connect(&timer_, &QTimer::timeout, this, [this] { Tick(); });
  model_.poppedUp = [this] {
    lastPointer_ = QCursor::pos();
    if (!timer_.isActive()) timer_.start();
  };
  if (model_.phase != BalloonTipModel::kIdle) timer_.start();
}

bool BalloonWidget::PositionsKnown() {
  return !QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

BalloonRect BalloonWidget::OwnerArea() const {
  if (!owner_) return {};
  const QRect g = owner_->frameGeometry();
  return BalloonRect{g.x(), g.y(), g.width(), g.height()};
}

void BalloonWidget::SetOwner(QWidget* owner) {
  owner_ = owner;
  if (!owner) return;
  // A pop-up of its owner: it neither becomes a window of its own nor takes the focus,
  // whichever program has it.
  winId();  // makes the native windows, so they can be tied
  owner->winId();
  windowHandle()->setTransientParent(owner->windowHandle());
  if (PositionsKnown()) return;
  // Only the owner's own area is known for sure: flipping and keeping inside count
  // from it, where the compositor would slide a balloon that left the screen.
  model_.screenAt = [this](int, int) { return OwnerArea(); };
}

BalloonWidget::~BalloonWidget() {
  model_.measure = nullptr;
  model_.screenAt = nullptr;
  model_.poppedUp = nullptr;
}

void BalloonWidget::Tick() {
  const std::int64_t now = clock_();
  QPoint pointer = QCursor::pos();
  if (pointer != lastPointer_) {
    lastPointer_ = pointer;
    BalloonPointerMoved(model_, now);
  }
  BalloonView v = BalloonTick(model_, now);
  bool changed = v.visible != view_.visible || v.opacity != view_.opacity || v.text != view_.text ||
                 v.layout.tipX != view_.layout.tipX || v.layout.tipY != view_.layout.tipY ||
                 v.layout.body.left != view_.layout.body.left || v.layout.body.top != view_.layout.body.top;
  view_ = v;
  if (!PositionsKnown() && Blocked()) {
    // On Wayland the tip is a pop-up of its window, which the compositor dismisses when a
    // modal window takes the focus; a pop-up shown or moved then is a protocol error that
    // ends the program. A tip of a blocked window points at nothing usable anyway.
    if (isVisible()) hide();
    if (model_.phase == BalloonTipModel::kIdle) timer_.stop();
    return;
  }
  if (!v.visible) {
    if (isVisible()) hide();
    if (model_.phase == BalloonTipModel::kIdle) timer_.stop();
    return;
  }
  QRect extent = Extent(v.layout);
  if (geometry() != extent) {
    // Wayland's pop-ups cannot move: Qt makes a new one in place of the shown one, and a
    // frame can reach the new one before the compositor has configured it. Shown afresh.
    if (!PositionsKnown() && isVisible()) hide();
    setGeometry(extent);
  }
  if (changed && PositionsKnown()) {
    // Without a compositing window manager a translucent window shows black where it
    // is transparent; the mask cuts the window to the balloon's own shape. Not on
    // Wayland: every compositor blends, and there a mask would become an input region
    // that takes the clicks meant for what lies below.
    QPainterPath outline = Shape(v.layout, extent.topLeft());
    QPainterPathStroker stroker;
    stroker.setWidth(2);
    setMask(QRegion(outline.united(stroker.createStroke(outline)).toFillPolygon().toPolygon()));
  }
  if (!isVisible()) {
    show();
    if (!PositionsKnown()) ClearInputRegion();
  }
  if (changed) update();
}

bool BalloonWidget::Blocked() const {
  QWindow* modal = QGuiApplication::modalWindow();
  return owner_ && modal && owner_->windowHandle() != modal;
}

void BalloonWidget::ClearInputRegion() {
  // Qt's Wayland windows (Qt 6.4) send no input region for Qt::WindowTransparentForInput,
  // so the balloon would take the pointer over its whole rectangle. A window's mask is
  // its surface's input region there (nothing else: no drawing is cut), and the
  // compositor clips it to the surface: a mask wholly outside leaves no input at all.
  // (Qt gives each later surface of a shown-again window the same mask.)
  if (QWindow* window = windowHandle()) window->setMask(QRegion(-2, -2, 1, 1));
}

QPainterPath BalloonWidget::Shape(const BalloonLayout& l, QPoint origin) {
  auto local = [&](int x, int y) { return QPointF(x - origin.x() + 0.5, y - origin.y() + 0.5); };
  QPainterPath bubble;
  bubble.addRoundedRect(QRectF(local(l.body.left, l.body.top), QSizeF(l.body.width - 1, l.body.height - 1)),
                        kRadius, kRadius);
  QPainterPath pointer;
  pointer.moveTo(local(l.baseX1, l.baseY1));
  pointer.lineTo(local(l.tipX, l.tipY));
  pointer.lineTo(local(l.baseX2, l.baseY2));
  pointer.closeSubpath();
  return bubble.united(pointer);
}

void BalloonWidget::paintEvent(QPaintEvent*) {
  if (!view_.visible) return;
  const BalloonLayout& l = view_.layout;
  const QPoint origin = geometry().topLeft();
  const QPainterPath shape = Shape(l, origin);

  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  p.setOpacity(view_.opacity / 100.0);
  p.setPen(QPen(QColor(0x76, 0x76, 0x76), 1));
  p.setBrush(QColor(0xFF, 0xFF, 0xE1));  // the classic tip yellow
  p.drawPath(shape);

  QRect inner(l.body.left - origin.x() + kPadding, l.body.top - origin.y() + kPadding,
              l.body.width - 2 * kPadding, l.body.height - 2 * kPadding);
  if (view_.icon >= 0) {
    // No image list is loaded: icons 0, 1, 2 are the style's information, warning
    // and error icons.
    static const QStyle::StandardPixmap kIcons[] = {QStyle::SP_MessageBoxInformation,
                                                    QStyle::SP_MessageBoxWarning,
                                                    QStyle::SP_MessageBoxCritical};
    if (view_.icon < 3) {
      QIcon icon = style()->standardIcon(kIcons[view_.icon]);
      p.drawPixmap(inner.left(), inner.top(), icon.pixmap(kIconSide, kIconSide));
    }
    inner.setLeft(inner.left() + kIconSide + kPadding);
  }
  p.setFont(font_);
  p.setPen(Qt::black);
  p.drawText(inner, Qt::AlignLeft | Qt::AlignTop, Unicode(view_.text));
}
