#pragma once
// What the program sets up in Qt before its first window: the classic "Windows" style
// the layouts were drawn for, the default font (宋体 9 point through fontconfig), and
// the fatal run-time error shown in a message box before the program ends with -1.

class QApplication;
class MessageBoxService;

// Called before the QApplication is made: Qt then loads plugins (platforms, picture
// formats, styles) from the system's plugin folder only. By default it also looks in
// the program's own folder, the run directory, where a data pack could bring code.
void RestrictQtPlugins();

void SetUpQtApplication(QApplication& app);
void InstallFatalErrorMessageBox(MessageBoxService& messageBox);
