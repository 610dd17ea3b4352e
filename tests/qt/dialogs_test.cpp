// The real message box and input box, shown offscreen and answered by clicking their
// buttons from a timer, as a user would.

#include <gtest/gtest.h>

#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "base/fatal_error.h"
#include "base/paths.h"
#include "qt/qt_application.h"
#include "qt/qt_dialogs.h"
#include "qt_test_support.h"
#include "ui/dialogs.h"
#include "ui/scripted_services.h"

namespace {

struct SeenBox {
  QString title, text;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  std::vector<QString> buttons;
  bool modal = false;
};

// Shows a box and clicks the button whose text is `press` (empty: closes it with Escape).
int ShowAndAnswer(const Text& text, int flags, const Text* caption, const QString& press, SeenBox& seen) {
  TestApp();
  WhenModalShows([&](QWidget* w) {
    auto* box = qobject_cast<QMessageBox*>(w);
    ASSERT_NE(box, nullptr);
    seen.title = box->windowTitle();
    seen.text = box->text();
    seen.icon = box->icon();
    seen.modal = box->windowModality() == Qt::ApplicationModal;
    QAbstractButton* target = nullptr;
    for (QAbstractButton* b : box->buttons()) {
      seen.buttons.push_back(b->text());
      if (b->text() == press) target = b;
    }
    if (press.isEmpty()) {
      box->reject();  // the close button / Escape
    } else {
      ASSERT_NE(target, nullptr) << press.toStdString();
      target->click();
    }
  });
  QtMessageBox service;
  return service.Show(text, flags, caption);
}

std::vector<std::string> Sorted(std::vector<QString> v) {
  std::vector<std::string> out;
  for (auto& s : v) out.push_back(s.toStdString());
  std::sort(out.begin(), out.end());
  return out;
}

TEST(QtMessageBoxTest, DefaultCaptionTextAndOk) {
  SeenBox seen;
  EXPECT_EQ(ShowAndAnswer(GBK("打开数据库失败"), 0, nullptr, "确定", seen), kMbOk);
  EXPECT_EQ(seen.title.toStdString(), "信息：");
  EXPECT_EQ(seen.text.toStdString(), "打开数据库失败");
  EXPECT_EQ(seen.icon, QMessageBox::NoIcon);
  EXPECT_EQ(Sorted(seen.buttons), (std::vector<std::string>{"确定"}));
  EXPECT_TRUE(seen.modal) << "task-modal: every window of the program is blocked";
}

TEST(QtMessageBoxTest, StopIconWithCaption) {
  SeenBox seen;
  const Text caption = GBK("提示");
  EXPECT_EQ(ShowAndAnswer(GBK("密码错误"), 0x10, &caption, "确定", seen), kMbOk);
  EXPECT_EQ(seen.title.toStdString(), "提示");
  EXPECT_EQ(seen.icon, QMessageBox::Critical);
}

TEST(QtMessageBoxTest, WindowsLineEndsShowAsLines) {
  SeenBox seen;
  ShowAndAnswer(FatalErrorMessage(3, GBK("没有当前数据库")), 0x10, nullptr, "确定", seen);
  EXPECT_EQ(seen.text.toStdString(), "运行时出错!\n\n错误代码：3\n\n错误信息：没有当前数据库");
}

TEST(QtMessageBoxTest, DeleteQuestionOkAndCancel) {
  SeenBox seen;
  EXPECT_EQ(ShowAndAnswer(GBK("确定删除?"), 0x31, nullptr, "取消", seen), kMbCancel);
  EXPECT_EQ(seen.icon, QMessageBox::Warning);
  EXPECT_EQ(Sorted(seen.buttons), Sorted({"确定", "取消"}));
  SeenBox again;
  EXPECT_EQ(ShowAndAnswer(GBK("确定删除?"), 0x31, nullptr, "确定", again), kMbOk);
  SeenBox closed;
  EXPECT_EQ(ShowAndAnswer(GBK("确定删除?"), 0x31, nullptr, "", closed), kMbCancel)
      << "closing answers Cancel";
}

TEST(QtMessageBoxTest, OtherButtonSetsMapToTheirResults) {
  SeenBox a, b, c;
  EXPECT_EQ(ShowAndAnswer(GBK("x"), 0x24, nullptr, "否(&N)", a), kMbNo);
  EXPECT_EQ(a.icon, QMessageBox::Question);
  EXPECT_EQ(ShowAndAnswer(GBK("x"), 0x2, nullptr, "重试(&R)", b), kMbRetry);
  EXPECT_EQ(ShowAndAnswer(GBK("x"), 0x40, nullptr, "", c), kMbOk) << "OK alone: closing is OK";
  EXPECT_EQ(c.icon, QMessageBox::Information);
}

// ---- input box ----

struct SeenInput {
  QString title, prompt, text, selected, okText, cancelText;
  bool masked = false, hasPrompt = false;
  QString maskedShown;
  QSize size;
};

bool AskAndAnswer(const Text* prompt, const Text* title, const Text& initial, Text& target, int mode,
                  const QString& typeOver, const char* press, SeenInput& seen) {
  TestApp();
  WhenModalShows([&](QWidget* w) {
    seen.title = w->windowTitle();
    seen.size = w->size();
    auto* edit = w->findChild<QLineEdit*>(kInputEditName);
    auto* ok = w->findChild<QPushButton*>(kInputOkName);
    auto* cancel = w->findChild<QPushButton*>(kInputCancelName);
    ASSERT_TRUE(edit && ok && cancel);
    if (auto* label = w->findChild<QLabel*>(kInputPromptName)) {
      seen.hasPrompt = true;
      seen.prompt = label->text();
    }
    seen.text = edit->text();
    seen.selected = edit->selectedText();
    seen.masked = edit->echoMode() == QLineEdit::Password;
    seen.okText = ok->text();
    seen.cancelText = cancel->text();
    if (!typeOver.isNull()) TypeText(edit, typeOver);  // replaces the selected text
    seen.maskedShown = edit->displayText();
    if (std::string(press) == "ok") ok->click();
    else if (std::string(press) == "cancel") cancel->click();
    else w->close();
  });
  QtInputBox service;
  return service.Ask(prompt, title, initial, target, mode);
}

TEST(QtInputBoxTest, PasswordPromptConfirmed) {
  const Text prompt = GBK("请输入密码"), title = GBK("验证");
  Text target = GBK("旧");
  SeenInput seen;
  EXPECT_TRUE(AskAndAnswer(&prompt, &title, GBK("abc"), target, 4, "pw1", "ok", seen));
  EXPECT_EQ(target, "pw1");
  EXPECT_EQ(seen.title.toStdString(), "验证");
  EXPECT_TRUE(seen.hasPrompt);
  EXPECT_EQ(seen.prompt.toStdString(), "请输入密码");
  EXPECT_EQ(seen.text.toStdString(), "abc");
  EXPECT_EQ(seen.selected.toStdString(), "abc") << "initial text selected whole";
  EXPECT_TRUE(seen.masked);
  EXPECT_EQ(seen.maskedShown.toStdString(), "***") << "every character shown as *";
  EXPECT_EQ(seen.okText.toStdString(), "确认输入(&O)");
  EXPECT_EQ(seen.cancelText.toStdString(), "取消(&C)");
}

TEST(QtInputBoxTest, CancelAndCloseLeaveTheVariable) {
  Text target = GBK("原来的");
  SeenInput a, b;
  EXPECT_FALSE(AskAndAnswer(nullptr, nullptr, {}, target, 1, "typed", "cancel", a));
  EXPECT_FALSE(AskAndAnswer(nullptr, nullptr, {}, target, 1, "typed", "close", b));
  EXPECT_EQ(target, GBK("原来的"));
  EXPECT_EQ(a.title.toStdString(), "请输入：");
  EXPECT_FALSE(a.hasPrompt);
  EXPECT_FALSE(a.masked);
  EXPECT_EQ(a.maskedShown.toStdString(), "typed");
}

TEST(QtInputBoxTest, EmptyTitleDefaultsAndModesClamp) {
  const Text empty;
  Text target;
  SeenInput high, low;
  EXPECT_TRUE(AskAndAnswer(nullptr, &empty, {}, target, 9, "x", "ok", high));
  EXPECT_EQ(high.title.toStdString(), "请输入：");
  EXPECT_TRUE(high.masked) << "above 4 counts as 4";
  EXPECT_TRUE(AskAndAnswer(nullptr, nullptr, {}, target, -3, "x", "ok", low));
  EXPECT_FALSE(low.masked) << "0 or less counts as 1";
}

TEST(QtInputBoxTest, DialogSizeFollowsThePrompt) {
  TestApp();
  const QSize with = QtInputBox::DialogSize(true), without = QtInputBox::DialogSize(false);
  EXPECT_GT(with.width(), without.width());
  EXPECT_GT(with.height(), without.height());
  // 252 x 92 against 214 x 56 dialog units: the ratios hold whatever the font.
  EXPECT_NEAR(double(with.width()) / without.width(), 252.0 / 214, 0.02);
  EXPECT_NEAR(double(with.height()) / without.height(), 92.0 / 56, 0.05);
  const Text prompt = GBK("p");
  Text target;
  SeenInput seen;
  AskAndAnswer(&prompt, nullptr, {}, target, 1, QString(), "ok", seen);
  EXPECT_EQ(seen.size, with);
}

TEST(InputBoxHelper, IntegerVariablesTakeTheLeadingDigits) {
  ScriptedServices fake;
  Services services = fake.bundle();
  int value = 7;
  fake.inputBox.answers.push_back({true, "12ab"});
  EXPECT_TRUE(InputBox(services, nullptr, nullptr, {}, value));
  EXPECT_EQ(value, 12);
  fake.inputBox.answers.push_back({true, "abc"});
  EXPECT_TRUE(InputBox(services, nullptr, nullptr, {}, value));
  EXPECT_EQ(value, 0);
  fake.inputBox.answers.push_back({false, "99"});
  EXPECT_FALSE(InputBox(services, nullptr, nullptr, {}, value));
  EXPECT_EQ(value, 0);
  EXPECT_EQ(LeadingInteger("-42x"), -42);
  EXPECT_EQ(LeadingInteger("99999999999999"), 2147483647);
}

TEST(MessageBoxHelper, NumbersAndTruthValuesBecomeText) {
  ScriptedServices fake;
  Services services = fake.bundle();
  MessageBox(services, 42LL, 0);
  MessageBox(services, true, 0x40);
  ASSERT_EQ(fake.messageBox.log.size(), 2u);
  EXPECT_EQ(fake.messageBox.log[0].text, "42");
  EXPECT_EQ(fake.messageBox.log[1].text, GBK("真"));
  EXPECT_EQ(fake.messageBox.log[1].caption, GBK("信息："));
  EXPECT_EQ(EffectiveMessageFlags(0x10), 0x2010);
  EXPECT_EQ(EffectiveMessageFlags(0x1010), 0x1010) << "system-modal stays as it is";
}

TEST(FatalErrorDeathTest, ShowsTheMessageBoxAndEndsWithMinusOne) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        ScriptedMessageBox box;
        box.onShow = [](const MessageBoxCall& call) {
          fprintf(stderr, "[%s|%d]\n", GbkToUtf8(call.text).c_str(), call.flags);
        };
        InstallFatalErrorMessageBox(box);
        FatalRunTimeError(3, GBK("没有当前数据库"));
      },
      ::testing::ExitedWithCode(255), "运行时出错!.*错误代码：3.*错误信息：没有当前数据库\\|16\\]");
}

}  // namespace

namespace {

// Acts on the open file dialog at every tick until it has closed: the dialog fills its
// directory list in the background, and an Open pressed too early is not taken.
class FileDialogDriver {
 public:
  explicit FileDialogDriver(std::function<void(QFileDialog*)> act) {
    timer_.setInterval(20);
    QObject::connect(&timer_, &QTimer::timeout, [this, act] {
      if (auto* d = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) {
        // A dialog that will not close is cancelled, so a fault shows as a failure.
        if (++ticks_ > 250) d->reject();
        else act(d);
      }
    });
    timer_.start();
  }

 private:
  QTimer timer_;
  int ticks_ = 0;
};

TEST(QtFileDialogTest, OpensInTheInitialDirectoryAndGivesTheFullPath) {
  TestApp();
  const std::filesystem::path dir =
      std::filesystem::temp_directory_path() / ("vk_file_dialog_" + std::to_string(getpid()));
  std::filesystem::create_directories(dir / "网站图标");
  std::ofstream(dir / "网站图标" / "新浪.png") << "x";
  const Text initial = ProgramPath((dir / "网站图标").string());
  QtFileDialog service;
  QString shownIn;
  Text fileName = GBK("旧的");
  {
    FileDialogDriver choose([&](QFileDialog* d) {
      shownIn = d->directory().absolutePath();
      // The user types the name into the file name box; the list may still be loading.
      if (auto* name = d->findChild<QLineEdit*>("fileNameEdit")) name->setText(QString::fromUtf8("新浪.png"));
      QMetaObject::invokeMethod(d, "accept");  // the Open button
    });
    EXPECT_TRUE(service.Open(initial, fileName));
  }
  EXPECT_EQ(shownIn.toStdString(), (dir / "网站图标").string());
  EXPECT_EQ(fileName, initial + GBK("\\新浪.png"));
  {
    FileDialogDriver cancel([](QFileDialog* d) { d->reject(); });
    Text kept = GBK("旧的");
    EXPECT_FALSE(service.Open(initial, kept));
    EXPECT_EQ(kept, GBK("旧的"));
  }
  std::filesystem::remove_all(dir);
}

// A file whose name GBK cannot hold would come back with '?' in its path: a path to no
// file, stored as the favorite's icon or sound. Such a choice is refused like a cancel.
TEST(QtFileDialogTest, RefusesAFileWhoseNameGbkCannotHold) {
  TestApp();
  const std::filesystem::path dir =
      std::filesystem::temp_directory_path() / ("vk_file_dialog_gbk_" + std::to_string(getpid()));
  std::filesystem::create_directories(dir);
  const std::string name = "icon-\xF0\x9F\x98\x80.png";  // an emoji: no GBK for it
  std::ofstream(dir / name) << "x";
  QtFileDialog service;
  Text kept = GBK("旧的");
  {
    FileDialogDriver choose([&](QFileDialog* d) {
      if (auto* edit = d->findChild<QLineEdit*>("fileNameEdit")) edit->setText(QString::fromUtf8(name.c_str()));
      QMetaObject::invokeMethod(d, "accept");
    });
    EXPECT_FALSE(service.Open(ProgramPath(dir.string()), kept));
  }
  EXPECT_EQ(kept, GBK("旧的"));
  std::filesystem::remove_all(dir);
}

}  // namespace
