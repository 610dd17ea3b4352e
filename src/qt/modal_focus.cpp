#include "qt/modal_focus.h"

#include <QGuiApplication>
#include <QPointer>
#include <QTimer>
#include <QWindow>

void KeepModalWindowsFocused(QGuiApplication& app) {
  QObject::connect(&app, &QGuiApplication::focusWindowChanged, &app, [](QWindow* focused) {
    QWindow* modal = QGuiApplication::modalWindow();
    if (!focused || !modal || focused == modal || modal->isAncestorOf(focused)) return;
    // Deferred: Qt asks to activate the newly focused window itself while it handles
    // the change; the modal window's request must come after those.
    QTimer::singleShot(0, modal, [modal = QPointer<QWindow>(modal)] {
      if (modal && modal->isVisible() && QGuiApplication::modalWindow() == modal) modal->requestActivate();
    });
  });
}
