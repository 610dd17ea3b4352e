#include "qt/qt_dialogs.h"

#include <QCursor>
#include <QDialog>
#include <QFileDialog>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <algorithm>
#include <vector>

#include "base/paths.h"
#include "qt/qt_text_rasterizer.h"
#include "ui/dialogs.h"

namespace {
// Windows line ends (CR LF) become Qt's.
QString U(const Text& gbk) {
  return QString::fromStdString(GbkToUtf8(gbk)).replace(QLatin1String("\r\n"), QLatin1String("\n"));
}

// The buttons of the low four flag bits, left to right, with their results.
struct BoxButton {
  const char* text;
  int result;
  QMessageBox::ButtonRole role;
};

std::vector<BoxButton> ButtonsOf(int flags) {
  const BoxButton ok{"确定", kMbOk, QMessageBox::AcceptRole};
  const BoxButton cancel{"取消", kMbCancel, QMessageBox::RejectRole};
  const BoxButton abort{"中止(&A)", kMbAbort, QMessageBox::RejectRole};
  const BoxButton retry{"重试(&R)", kMbRetry, QMessageBox::AcceptRole};
  const BoxButton ignore{"忽略(&I)", kMbIgnore, QMessageBox::AcceptRole};
  const BoxButton yes{"是(&Y)", kMbYes, QMessageBox::YesRole};
  const BoxButton no{"否(&N)", kMbNo, QMessageBox::NoRole};
  switch (flags & 0xF) {
    case 1: return {ok, cancel};
    case 2: return {abort, retry, ignore};
    case 3: return {yes, no, cancel};
    case 4: return {yes, no};
    case 5: return {retry, cancel};
    default: return {ok};
  }
}

QMessageBox::Icon IconOf(int flags) {
  switch (flags & 0xF0) {
    case 0x10: return QMessageBox::Critical;
    case 0x20: return QMessageBox::Question;
    case 0x30: return QMessageBox::Warning;
    case 0x40: return QMessageBox::Information;
    default: return QMessageBox::NoIcon;
  }
}

QWidget* OwnerOf(const DialogOwner& owner) { return owner ? owner() : nullptr; }

QFont DialogFont() {
  SpriteFont songti;
  songti.name = GBK("宋体");
  QFont f(QtFontFamily(songti));
  f.setPointSize(9);
  return f;
}
}  // namespace

int QtMessageBox::Show(const Text& text, int flags, const Text* caption) {
  flags = EffectiveMessageFlags(flags);
  QMessageBox box(IconOf(flags), U(caption ? *caption : DefaultMessageCaption()), U(text),
                  QMessageBox::NoButton, OwnerOf(owner));
  // Task-modal: it blocks every window of the program, not only its owner.
  box.setWindowModality(Qt::ApplicationModal);
  std::vector<BoxButton> buttons = ButtonsOf(flags);
  std::vector<QPushButton*> made;
  for (const BoxButton& b : buttons) made.push_back(box.addButton(QString::fromUtf8(b.text), b.role));
  const int defaultIndex = (flags >> 8) & 0xF;  // 0x100 second, 0x200 third
  box.setDefaultButton(made[defaultIndex < static_cast<int>(made.size()) ? defaultIndex : 0]);
  // Closing the box answers Cancel where there is one, OK where OK is alone.
  QPushButton* escape = nullptr;
  for (size_t i = 0; i < buttons.size(); ++i)
    if (buttons[i].result == kMbCancel) escape = made[i];
  if (!escape && buttons.size() == 1) escape = made[0];
  if (escape) box.setEscapeButton(escape);
  box.exec();
  QAbstractButton* clicked = box.clickedButton();
  for (size_t i = 0; i < made.size(); ++i)
    if (made[i] == clicked) return buttons[i].result;
  return escape ? buttons[std::find(made.begin(), made.end(), escape) - made.begin()].result
                : buttons[0].result;
}

QSize QtInputBox::DialogSize(bool withPrompt) {
  // Dialog units: a quarter of the font's average character width, an eighth of its height.
  QFontMetrics m(DialogFont());
  const int baseX = m.averageCharWidth(), baseY = m.height();
  const int du_w = withPrompt ? 252 : 214, du_h = withPrompt ? 92 : 56;
  return QSize(du_w * baseX / 4, du_h * baseY / 8);
}

bool QtInputBox::Ask(const Text* prompt, const Text* title, const Text& initial, Text& target,
                     int inputMode) {
  const bool withPrompt = prompt != nullptr;
  const Text& shownTitle = (title && !title->empty()) ? *title : DefaultInputTitle();
  QDialog dialog(OwnerOf(owner));
  dialog.setObjectName(kInputBoxName);
  dialog.setFont(DialogFont());
  dialog.setWindowTitle(U(shownTitle));
  dialog.setWindowModality(Qt::ApplicationModal);
  dialog.setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                        Qt::WindowCloseButtonHint);
  const QSize size = DialogSize(withPrompt);
  dialog.setFixedSize(size);
  QFontMetrics m(dialog.font());
  auto du = [&](int x, int y, int w, int h) {
    const int bx = m.averageCharWidth(), by = m.height();
    return QRect(x * bx / 4, y * by / 8, w * bx / 4, h * by / 8);
  };
  int editY = 7, buttonY = 31, width = 200;
  if (withPrompt) {
    width = 238;
    auto* frame = new QLabel(U(*prompt), &dialog);
    frame->setObjectName(kInputPromptName);
    frame->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    frame->setWordWrap(true);
    frame->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    frame->setGeometry(du(7, 7, width, 38));
    editY = 50;
    buttonY = 70;
  }
  auto* edit = new QLineEdit(&dialog);
  edit->setObjectName(kInputEditName);
  edit->setGeometry(du(7, editY, width, 12));
  if (ClampInputMode(inputMode) == 4) {
    edit->setEchoMode(QLineEdit::Password);
    edit->setStyleSheet("QLineEdit { lineedit-password-character: 42; }");
  }
  edit->setText(U(initial));
  edit->selectAll();
  auto* ok = new QPushButton(QString::fromUtf8("确认输入(&O)"), &dialog);
  ok->setObjectName(kInputOkName);
  ok->setDefault(true);
  auto* cancel = new QPushButton(QString::fromUtf8("取消(&C)"), &dialog);
  cancel->setObjectName(kInputCancelName);
  const int right = 7 + width;
  cancel->setGeometry(du(right - 56, buttonY, 56, 14));
  ok->setGeometry(du(right - 56 - 6 - 56, buttonY, 56, 14));
  QObject::connect(ok, &QPushButton::clicked, &dialog, &QDialog::accept);
  QObject::connect(cancel, &QPushButton::clicked, &dialog, &QDialog::reject);
  edit->setFocus();
  if (dialog.exec() != QDialog::Accepted) return false;
  target = Utf8ToGbk(edit->text().toStdString());
  return true;
}

bool QtFileDialog::Open(const Text& initialDirectory, Text& fileName) {
  QFileDialog dialog(OwnerOf(owner), QString(), QString::fromStdString(HostPath(initialDirectory)));
  dialog.setFileMode(QFileDialog::ExistingFile);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setOption(QFileDialog::DontUseNativeDialog, true);
  dialog.setOption(QFileDialog::ReadOnly, false);
  dialog.setWindowModality(Qt::ApplicationModal);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return false;
  const std::string chosen = dialog.selectedFiles().first().toStdString();
  // A name GBK cannot hold would come back with '?' in it: a path to no file. Such a
  // choice is refused rather than stored.
  if (GbkToUtf8(Utf8ToGbk(chosen)) != chosen) return false;
  fileName = ProgramPath(chosen);
  return true;
}

int QtPointer::PointerX() { return QCursor::pos().x(); }
int QtPointer::PointerY() { return QCursor::pos().y(); }
