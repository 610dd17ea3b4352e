#pragma once
// What the web box lets its browser control do: it shows the start address only.

#include <string>

// An http or https address, in any case.
bool WebAddress(const std::wstring& url);

enum class Navigation {
  kAllow,   // the box's own load, or what a frame of its page loads from the web
  kCancel,  // the page acting by itself (a script, a refresh), or no web address
  kHandOn,  // a link the user clicked: the program opens it elsewhere, the box stays
};

// A navigation the browser control is about to start: in the page's top frame or one
// of its frames, the box's own load or not, and right after the user's press or key.
Navigation JudgeNavigation(bool topFrame, bool ownLoad, const std::wstring& url, bool byUser);

// A new window the page asks for: never opened; a user's link is handed on.
Navigation JudgeNewWindow(const std::wstring& url, bool byUser);

// A navigation counts as the user's only right after a mouse button went down or up on
// the box's own windows (input anywhere else, or long ago, makes nothing theirs).
constexpr unsigned long kUserClickMs = 1500;
struct BoxClick {
  bool pending = false;        // a click not yet spent on a navigation
  unsigned long tick = 0;      // when, in the system's wrapping millisecond count
};
// Whether `click` makes a navigation at `now` the user's. One click makes one
// navigation theirs: a script cannot ride on it afterwards.
bool SpendClick(BoxClick& click, unsigned long now);

// What the browser control may fetch and run (the ambient download control): pictures
// only; no script, Java, ActiveX control, frame, behaviour, refresh or download, and
// none of its own dialogs.
unsigned long WebBoxDownloadControl();
