#pragma once
// What the program sets up in Qt before its first window: the classic "Windows" style
// the layouts were drawn for, the default font (宋体 9 point through fontconfig), and
// the fatal run-time error shown in a message box before the program ends with -1.

class QApplication;
class MessageBoxService;

void SetUpQtApplication(QApplication& app);
void InstallFatalErrorMessageBox(MessageBoxService& messageBox);
