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
