#include "qt/qt_application.h"

#include <QApplication>
#include <QCoreApplication>
#include <QFont>
#include <QLibraryInfo>
#include <QNetworkProxyFactory>
#include <QStyleFactory>

#include "base/fatal_error.h"
#include "qt/modal_focus.h"
#include "qt/qt_text_rasterizer.h"
#include "ui/services.h"

void RestrictQtPlugins() {
  // Set before construction, this list replaces the one Qt would build (the
  // application's folder and QT_PLUGIN_PATH's folders) for the whole run.
  QCoreApplication::setLibraryPaths({QLibraryInfo::path(QLibraryInfo::PluginsPath)});
}

void SetUpQtApplication(QApplication& app) {
  if (QStyle* style = QStyleFactory::create("Windows")) app.setStyle(style);
  SpriteFont songti;
  songti.name = GBK("宋体");
  QFont font(QtFontFamily(songti));
  font.setPixelSize(12);
  app.setFont(font);
  // The web box goes through the desktop's proxy settings, as the connectivity test does.
  QNetworkProxyFactory::setUseSystemConfiguration(true);
  // The program ends when its main window is destroyed, not when the last window closes.
  app.setQuitOnLastWindowClosed(false);
  // The app id (Wayland) matches the menu entry, so the desktop shows its icon and
  // groups the window with its launcher.
  QGuiApplication::setDesktopFileName(QStringLiteral("com.vinkabo.Vinkabo"));
  KeepModalWindowsFocused(app);
}

void InstallFatalErrorMessageBox(MessageBoxService& messageBox) {
  SetFatalErrorPresenter([&messageBox](const Text& message) { messageBox.Show(message, 0x10, nullptr); });
}
