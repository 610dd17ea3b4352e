#pragma once
// A click on a window that a modal window blocks gives that window the focus on
// compositors that do not keep a child window above its parent (sway): the blocked
// window then covers the modal one and takes no input. The focus goes back to the
// modal window, after Qt's own activation of the clicked window.

class QGuiApplication;

void KeepModalWindowsFocused(QGuiApplication& app);
