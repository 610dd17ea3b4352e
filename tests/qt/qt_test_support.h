#pragma once
// Small helpers for the offscreen Qt tests: the application, real mouse and key
// events sent to widgets, and a driver for modal dialogs.

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>

inline QApplication& TestApp() {
  static int argc = 1;
  static char name[] = "test_qt";
  static char* argv[] = {name, nullptr};
  // Never destroyed: tearing Qt down from a static destructor at exit crashes.
  if (!QCoreApplication::instance()) new QApplication(argc, argv);
  return *qobject_cast<QApplication*>(QCoreApplication::instance());
}

// A left click at `pos` (the centre when null), press and release as the user makes it.
inline void ClickWidget(QWidget* w, QPoint pos = QPoint(-1, -1)) {
  if (pos == QPoint(-1, -1)) pos = w->rect().center();
  const QPointF local(pos), global(w->mapToGlobal(pos));
  QMouseEvent press(QEvent::MouseButtonPress, local, global, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(w, &press);
  QMouseEvent release(QEvent::MouseButtonRelease, local, global, Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
  QCoreApplication::sendEvent(w, &release);
}

inline void MovePointer(QWidget* w, QPoint pos, Qt::KeyboardModifiers mods = Qt::NoModifier) {
  QMouseEvent move(QEvent::MouseMove, QPointF(pos), QPointF(w->mapToGlobal(pos)), Qt::NoButton,
                   Qt::NoButton, mods);
  QCoreApplication::sendEvent(w, &move);
}

// Types the characters of `text` one key at a time.
inline void TypeText(QWidget* w, const QString& text) {
  for (QChar ch : text) {
    QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(ch));
    QCoreApplication::sendEvent(w, &press);
    QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, QString(ch));
    QCoreApplication::sendEvent(w, &release);
  }
}

// Calls `act` with the modal widget once one is showing (polling from the event loop
// the dialog runs), then stops. A dialog that never shows leaves `act` uncalled.
inline void WhenModalShows(std::function<void(QWidget*)> act) {
  auto* timer = new QTimer;
  timer->setInterval(10);
  auto ticks = std::make_shared<int>(0);
  QObject::connect(timer, &QTimer::timeout, [timer, act, ticks] {
    if (++*ticks > 1000) {  // nothing came: give up rather than poll for ever
      timer->stop();
      timer->deleteLater();
      return;
    }
    if (QWidget* modal = QApplication::activeModalWidget()) {
      timer->stop();
      timer->deleteLater();
      act(modal);
    }
  });
  timer->start();
}
