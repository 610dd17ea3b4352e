#include "qt/control_peers.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QMoveEvent>
#include <QPainter>
#include <QPointer>
#include <QResizeEvent>
#include <QStyleOptionButton>
#include <QStyleOptionFocusRect>
#include <QStyleOptionFrame>
#include <QStyleOptionTabWidgetFrame>
#include <QTabBar>
#include <QUrl>
#include <QWindow>

#include "qt/board_widget.h"
#if __has_include("qt/balloon_widget.h")
#include "qt/balloon_widget.h"
#define VK_HAVE_BALLOON_WIDGET 1
#endif
#include "qt/qt_images.h"
#include "qt/qt_text_rasterizer.h"
#include "qt/web_box_view.h"

namespace {
QString U(const Text& gbk) { return QString::fromStdString(GbkToUtf8(gbk)); }
Text G(const QString& s) { return Utf8ToGbk(s.toStdString()); }

// Geometry, visibility and the disabled state, common to every peer. A page child is
// placed relative to its page widget, which starts where the page area does.
void PlaceCommon(QWidget* w, const Control& c, const TabPeer* tab) {
  int top = c.top() - (tab ? tab->PageTop() : 0);
  w->setGeometry(c.left(), top, c.width(), c.height());
  w->setEnabled(!c.disabled());
  w->setVisible(c.visible());
}

void Name(QWidget* w, const Control& c) { w->setObjectName(QString::fromUtf8(c.name())); }
}  // namespace

int ModifierKeys(Qt::KeyboardModifiers m) {
  return (m & Qt::ControlModifier ? 1 : 0) | (m & Qt::ShiftModifier ? 2 : 0) |
         (m & Qt::AltModifier ? 4 : 0);
}

QColor ToQColor(Colour c) { return QColor(ColourRed(c), ColourGreen(c), ColourBlue(c)); }

QFont ToQFont(const ControlFont& font, const QFont& base) {
  QFont f = base;
  if (!font.face.empty()) {
    SpriteFont sf;
    sf.name = font.face;
    f.setFamily(QtFontFamily(sf));
  }
  if (font.height > 0) f.setPixelSize(font.height);
  if (font.bold) f.setBold(true);
  return f;
}

// ---- window ----

WindowPeer::WindowPeer(Window& model, Liveness alive) : model_(model), alive_(std::move(alive)) {
  setObjectName(QString::fromUtf8(model.titleUtf8()));
  setWindowTitle(QString::fromUtf8(model.titleUtf8()));
  setAttribute(Qt::WA_DeleteOnClose, false);
  if (model.backColour() != kDefaultColour) {
    QPalette p = palette();
    p.setColor(QPalette::Window, ToQColor(model.backColour()));
    setPalette(p);
    setAutoFillBackground(true);
  }
}

void WindowPeer::Sync() {
  if (!*alive_) return;
  setEnabled(!model_.disabled());
  if (backgroundVersion_ != model_.backgroundVersion()) {
    backgroundVersion_ = model_.backgroundVersion();
    background_ = DecodeToQImage(model_.backgroundPicture());
    update();
  }
}

void WindowPeer::paintEvent(QPaintEvent*) {
  if (background_.isNull()) return;
  QPainter p(this);
  p.drawImage(rect(), background_);
}

void WindowPeer::moveEvent(QMoveEvent* event) {
  QWidget::moveEvent(event);
  // Where the window manager put it or the user dragged it is where it is: tips and
  // positions count from there, and the window is not pulled back.
  if (*alive_) model_.UserMoved(pos().x(), pos().y());
}

void WindowPeer::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton || model_.border != WindowBorder::None || !windowHandle()) {
    QWidget::mousePressEvent(event);
    return;
  }
  event->accept();
  // The window system moves it where it can (a window manager, any Wayland compositor);
  // a bare X server has nobody who would, so the window follows the pointer itself.
  if (windowHandle()->startSystemMove()) return;
  dragging_ = true;
  dragOffset_ = event->globalPosition().toPoint() - pos();
}

void WindowPeer::mouseMoveEvent(QMouseEvent* event) {
  if (!dragging_) return QWidget::mouseMoveEvent(event);
  move(event->globalPosition().toPoint() - dragOffset_);
}

void WindowPeer::mouseReleaseEvent(QMouseEvent* event) {
  if (!dragging_) return QWidget::mouseReleaseEvent(event);
  dragging_ = false;
}

void WindowPeer::closeEvent(QCloseEvent* event) {
  // Closed by its frame (or the window manager): the window is destroyed as if the
  // program had done it; the backend then hides and deletes this widget.
  event->ignore();
  if (*alive_) model_.Destroy();
}

// ---- tab control ----

TabPeer::TabPeer(TabControl& model, Liveness alive, QWidget* parent)
    : QWidget(parent), model_(model), alive_(std::move(alive)), bar_(new QTabBar(this)) {
  bar_->setDrawBase(false);
  bar_->setExpanding(false);
  // A title wider than the control is cut, as on Windows, not scrolled.
  bar_->setUsesScrollButtons(false);
  bar_->setElideMode(Qt::ElideNone);
  for (const Text& title : model.pages()) {
    bar_->addTab(U(title));
    auto* page = new QWidget(this);
    pages_.push_back(page);
  }
  QObject::connect(bar_, &QTabBar::tabBarClicked, this, [this](int i) {
    if (*alive_) model_.UserSelectPage(i);
  });
}

int TabPeer::PageTop() const {
  return model_.containerMode() == 0 ? bar_->sizeHint().height() : 0;
}

void TabPeer::Sync() {
  if (!*alive_) return;
  const int pageTop = PageTop();
  bar_->setVisible(model_.containerMode() == 0);
  bar_->setGeometry(2, 0, std::max(0, width() - 4), pageTop);
  {
    QSignalBlocker block(bar_);
    if (model_.currentPage() < bar_->count()) bar_->setCurrentIndex(model_.currentPage());
  }
  for (int i = 0; i < static_cast<int>(pages_.size()); ++i) {
    pages_[i]->setGeometry(0, pageTop, width(), std::max(0, height() - pageTop));
    pages_[i]->setVisible(i == model_.currentPage());
  }
  if (pageTop != lastPageTop_) {
    lastPageTop_ = pageTop;
    for (auto& f : childSyncs) f();
  }
  update();
}

void TabPeer::paintEvent(QPaintEvent*) {
  QPainter p(this);
  QStyleOptionTabWidgetFrame opt;
  opt.initFrom(this);
  opt.rect = QRect(0, PageTop(), width(), height() - PageTop());
  opt.lineWidth = 2;
  // The page area is opaque button face; beside the titles the parent shows through.
  p.fillRect(opt.rect, palette().button());
  style()->drawPrimitive(QStyle::PE_FrameTabWidget, &opt, &p, this);
}

// ---- buttons ----

ButtonPeer::ButtonPeer(Button& model, Liveness alive, QWidget* parent)
    : QPushButton(parent), model_(model), alive_(std::move(alive)) {
  setMouseTracking(true);
  setFocusPolicy(Qt::TabFocus);
  QObject::connect(this, &QPushButton::clicked, this, [this] {
    if (*alive_) model_.UserClick();
  });
}

void ButtonPeer::Sync() {
  if (pictureVersion_ != model_.pictureVersion()) {
    pictureVersion_ = model_.pictureVersion();
    picture_ = DecodeToQImage(model_.picture());
    update();
  }
  // A picture takes the place of the caption.
  setText(picture_.isNull() ? U(model_.caption()) : QString());
}

bool ButtonPeer::KeyboardFocusCue() const {
  return hasFocus() && window()->testAttribute(Qt::WA_KeyboardFocusChange);
}

void ButtonPeer::paintEvent(QPaintEvent*) {
  QPainter p(this);
  if (!picture_.isNull()) {
    // Only the picture, centred as Windows shows a bitmap button's; what it does not
    // cover shows the window behind.
    p.drawImage(QPoint((width() - picture_.width()) / 2, (height() - picture_.height()) / 2), picture_);
    if (KeyboardFocusCue()) {
      QStyleOptionFocusRect focus;
      focus.initFrom(this);
      focus.rect = rect().adjusted(2, 2, -2, -2);
      style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &p, this);
    }
    return;
  }
  QStyleOptionButton option;
  initStyleOption(&option);
  if (!KeyboardFocusCue()) option.state &= ~QStyle::State_HasFocus;
  style()->drawControl(QStyle::CE_PushButton, &option, &p, this);
}

void ButtonPeer::mouseMoveEvent(QMouseEvent* event) {
  QPushButton::mouseMoveEvent(event);
  if (*alive_) {
    QPoint pos = event->position().toPoint();
    model_.UserPointerMove(pos.x(), pos.y(), ModifierKeys(event->modifiers()));
  }
}

GraphicButtonPeer::GraphicButtonPeer(GraphicButton& model, Liveness alive, QWidget* parent)
    : QAbstractButton(parent), model_(model), alive_(std::move(alive)) {
  setMouseTracking(true);
  setAccessibleName(U(model_.spokenName()));
  QObject::connect(this, &QAbstractButton::clicked, this, [this] {
    if (*alive_) model_.UserClick();
  });
}

void GraphicButtonPeer::Sync() {
  if (pictureVersion_ == model_.pictureVersion()) return;
  pictureVersion_ = model_.pictureVersion();
  normal_ = DecodeToQImage(model_.normalPicture());
  hover_ = DecodeToQImage(model_.hoverPicture());
  pressed_ = DecodeToQImage(model_.pressedPicture());
  update();
}

void GraphicButtonPeer::paintEvent(QPaintEvent*) {
  const QImage* img = &normal_;
  if (isDown() && !pressed_.isNull()) img = &pressed_;
  else if (underMouse() && !hover_.isNull()) img = &hover_;
  if (img->isNull()) return;
  QPainter p(this);
  p.drawImage(QPoint(0, 0), *img);
}

void GraphicButtonPeer::enterEvent(QEnterEvent* event) {
  QAbstractButton::enterEvent(event);
  update();
}

void GraphicButtonPeer::leaveEvent(QEvent* event) {
  QAbstractButton::leaveEvent(event);
  update();
}

// ---- edit boxes ----

EditBoxPeer::EditBoxPeer(QWidget* parent) : QLineEdit(parent) {}

void EditBoxPeer::resizeEvent(QResizeEvent* event) {
  QLineEdit::resizeEvent(event);
  FitLine();
}

void EditBoxPeer::changeEvent(QEvent* event) {
  QLineEdit::changeEvent(event);
  if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange) FitLine();
}

// The layouts' 16-pixel boxes keep 12 rows inside a sunken frame, and one line of the
// CJK face inks 13 of them: ideographs reach 10 rows above the baseline, Latin
// descenders 2 below. Centring the font's whole height (16 rows) in there cuts the
// descenders, so "jd.com" reads "id.com". The baseline goes where the tallest glyph
// just fits under the frame's top instead (in taller boxes the inked rows are centred);
// descenders that still do not fit reach into the frame's light inner line below,
// never past the box.
void EditBoxPeer::FitLine() {
  QStyleOptionFrame option;
  initStyleOption(&option);
  setTextMargins(0, 0, 0, 0);
  const QRect inside = style()->subElementRect(QStyle::SE_LineEditContents, &option, this);
  const QFontMetrics fm(font());
  const QRect ideographs = fm.tightBoundingRect(QString::fromUtf8("网站图标添加"));
  const QRect latin = fm.tightBoundingRect(QStringLiteral("bdfhkltgjpqy"));
  const int above = -std::min(ideographs.top(), latin.top());  // rows above the baseline
  const int below = std::max(ideographs.bottom(), latin.bottom());
  const int inked = above + 1 + below;
  int baseline = inside.top() + std::max(0, (inside.height() - inked) / 2) + above;
  baseline = std::min(baseline, height() - 1 - below);  // descenders stay in the box
  // Qt centres its line (ascent + descent rows) in the text rectangle, which is also
  // where it clips: that rectangle spans exactly the line around the chosen baseline.
  const int lineTop = baseline - fm.ascent();
  const int lineBottom = lineTop + fm.height();
  setTextMargins(0, lineTop - inside.top(), 0, inside.top() + inside.height() - lineBottom);
}

// ---- the rest, made here ----

namespace {

void ApplyColours(QWidget* w, Colour text, Colour back, QPalette::ColorRole backRole) {
  QPalette p = w->palette();
  if (text != kDefaultColour) {
    p.setColor(QPalette::Text, ToQColor(text));
    p.setColor(QPalette::WindowText, ToQColor(text));
  }
  if (back != kDefaultColour) p.setColor(backRole, ToQColor(back));
  w->setPalette(p);
}

QWidget* MakeLabel(Label& m, QWidget* parent) {
  auto* w = new QLabel(parent);
  // Only a label tall enough for two lines wraps; a one-line label cuts its text.
  const int lineHeight = m.font.height > 0 ? m.font.height : 12;
  w->setWordWrap(m.height() >= 2 * lineHeight + 4);
  w->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  w->setFont(ToQFont(m.font, w->font()));
  ApplyColours(w, m.textColour, m.backColour, QPalette::Window);
  if (m.backColour != kDefaultColour) w->setAutoFillBackground(true);
  if (m.gradient.mode == 1) {
    QLinearGradient g(0, 0, 0, m.height());
    for (int i = 0; i < 3; ++i)
      g.setColorAt(i / 2.0, m.gradient.colours[i] == kDefaultColour ? QColor(Qt::white)
                                                                     : ToQColor(m.gradient.colours[i]));
    QPalette p = w->palette();
    p.setBrush(QPalette::Window, QBrush(g));
    w->setPalette(p);
    w->setAutoFillBackground(true);
  }
  return w;
}

void SyncLabel(QLabel* w, const Label& m) { w->setText(U(m.caption())); }

QWidget* MakeEditBox(EditBox& m, QWidget* parent, const Liveness& alive) {
  auto* w = new EditBoxPeer(parent);
  w->setFont(ToQFont(m.font, w->font()));
  w->setFrame(m.border != Border::None);
  ApplyColours(w, m.textColour, m.backColour, QPalette::Base);
  // Windows masks with '*'; Qt's own mask is a dot unless the style sheet says so.
  QString sheet = "QLineEdit { lineedit-password-character: 42; ";
  if (m.border == Border::Single) sheet += "border: 1px solid black; background: white; ";
  w->setStyleSheet(sheet + "}");
  QObject::connect(w, &QLineEdit::textEdited, w, [&m, alive](const QString& text) {
    if (*alive) m.UserType(G(text));
  });
  return w;
}

void SyncEditBox(QLineEdit* w, const EditBox& m) {
  w->setEchoMode(m.masked() ? QLineEdit::Password : QLineEdit::Normal);
  QString text = U(m.content());
  if (w->text() != text) w->setText(text);
}

QWidget* MakeCheckBox(CheckBox& m, QWidget* parent, const Liveness& alive) {
  auto* w = new QCheckBox(U(m.caption()), parent);
  QObject::connect(w, &QCheckBox::clicked, w, [&m, alive] {
    if (*alive) m.UserClick();
  });
  return w;
}

void SyncCheckBox(QCheckBox* w, const CheckBox& m) {
  QSignalBlocker block(w);
  w->setChecked(m.ticked());
}

QWidget* MakeComboBox(ComboBox& m, QWidget* parent, const Liveness& alive) {
  auto* w = new QComboBox(parent);
  for (const Text& item : m.items()) w->addItem(U(item));
  QObject::connect(w, &QComboBox::activated, w, [&m, alive](int i) {
    if (*alive) m.UserChoose(i);
  });
  return w;
}

void SyncComboBox(QComboBox* w, const ComboBox& m) {
  QSignalBlocker block(w);
  w->setCurrentIndex(m.selection());
}

struct Made {
  QWidget* widget = nullptr;
  std::function<void()> sync;  // the kind's own settings
};

Made MakePeer(Control& c, QWidget* parent, const Liveness& alive, TextRasterizer* rasterizer) {
  switch (c.kind()) {
    case ControlKind::Button: {
      auto* w = new ButtonPeer(static_cast<Button&>(c), alive, parent);
      return {w, [w] { w->Sync(); }};
    }
    case ControlKind::GraphicButton: {
      auto* w = new GraphicButtonPeer(static_cast<GraphicButton&>(c), alive, parent);
      return {w, [w] { w->Sync(); }};
    }
    case ControlKind::Label: {
      auto& m = static_cast<Label&>(c);
      auto* w = static_cast<QLabel*>(MakeLabel(m, parent));
      return {w, [w, &m] { SyncLabel(w, m); }};
    }
    case ControlKind::EditBox: {
      auto& m = static_cast<EditBox&>(c);
      auto* w = static_cast<QLineEdit*>(MakeEditBox(m, parent, alive));
      return {w, [w, &m] { SyncEditBox(w, m); }};
    }
    case ControlKind::CheckBox: {
      auto& m = static_cast<CheckBox&>(c);
      auto* w = static_cast<QCheckBox*>(MakeCheckBox(m, parent, alive));
      return {w, [w, &m] { SyncCheckBox(w, m); }};
    }
    case ControlKind::ComboBox: {
      auto& m = static_cast<ComboBox&>(c);
      auto* w = static_cast<QComboBox*>(MakeComboBox(m, parent, alive));
      return {w, [w, &m] { SyncComboBox(w, m); }};
    }
    case ControlKind::SpriteBoard: {
      auto& m = static_cast<SpriteBoard&>(c);
      m.model.rasterizer = rasterizer;
      auto* w = new BoardWidget(m.model, parent);
      return {w, [&m] { m.model.disabled = m.disabled(); }};
    }
    case ControlKind::WebBox: {
      auto& m = static_cast<WebBox&>(c);
      // The view lives as long as its widget.
      auto* view = new WebBoxView(parent);
      QWidget* w = view->widget();
      QObject::connect(w, &QObject::destroyed, [view] { delete view; });
      view->SetFontSize(m.fontSize);
      view->onPageLoaded = [&m, alive] {
        if (*alive) m.PageLoaded();
      };
      view->onLinkClicked = [&m, alive](const QUrl& link) {
        if (*alive) m.LinkClicked(link.toEncoded().toStdString());
      };
      if (!m.startAddress.empty()) view->Load(QUrl(U(m.startAddress)));
      return {w, [view, &m] { view->SetShown(m.visible()); }};
    }
    default:
      return {};  // file dialog, balloon tip, sprite template: nothing on screen
  }
}
}  // namespace

std::vector<QWidget*> CreateControlPeers(Window& window, WindowPeer* top, const Liveness& alive,
                                         TextRasterizer* rasterizer) {
  std::vector<QWidget*> ownWindows;
  const auto& controls = window.controls();
  // Tab controls first: their pages are the parents of their children.
  for (Control* c : controls) {
    if (c->kind() != ControlKind::TabControl) continue;
    auto& m = static_cast<TabControl&>(*c);
    auto* w = new TabPeer(m, alive, top);
    Name(w, m);
    auto sync = [w, &m, alive] {
      if (!*alive) return;
      PlaceCommon(w, m, nullptr);
      w->Sync();
    };
    m.peerUpdate = sync;
    sync();
  }
  for (Control* c : controls) {
    if (c->kind() == ControlKind::TabControl) continue;
#ifdef VK_HAVE_BALLOON_WIDGET
    if (c->kind() == ControlKind::BalloonTip) {
      // A window of its own over everything; it only reads the model. Named after its
      // control, as every other peer is.
      auto* balloon = new BalloonWidget(static_cast<BalloonTip*>(c)->model);
      balloon->setWindowTitle(QString::fromUtf8(c->name()));
      balloon->SetOwner(top);
      ownWindows.push_back(balloon);
      continue;
    }
#endif
    TabPeer* tab = nullptr;
    QWidget* parent = top;
    if (TabControl* t = c->parentTab()) {
      tab = top->findChild<TabPeer*>(QString::fromUtf8(t->name()));
      if (tab && c->page() >= 0 && c->page() < static_cast<int>(t->pages().size()))
        parent = tab->page(c->page());
    }
    Made made = MakePeer(*c, parent, alive, rasterizer);
    if (!made.widget) continue;
    Name(made.widget, *c);
    QPointer<QWidget> w = made.widget;
    auto sync = [w, c, tab, alive, own = made.sync] {
      if (!*alive || !w) return;
      PlaceCommon(w, *c, tab);
      if (own) own();
    };
    c->peerUpdate = sync;
    if (tab) tab->childSyncs.push_back(sync);
    sync();
  }
  // Stacking: a control listed earlier lies above those listed after it.
  for (auto it = controls.rbegin(); it != controls.rend(); ++it)
    if (QWidget* w = PeerWidget(top, **it)) w->raise();
  return ownWindows;
}

QWidget* PeerWidget(QWidget* top, const Control& control) {
  return top->findChild<QWidget*>(QString::fromUtf8(control.name()));
}
