#pragma once
// A Program with scripted services on a fixture run directory, for driving the editor's
// handlers directly (the main window shown, no start-up sequence).

#include "program/program.h"
#include "forms/scripted_backend.h"
#include "forms/user_actions.h"
#include "storage/edit_tables_fixture.h"
#include "ui/scripted_services.h"

namespace editor_test {

using namespace edit_fixture;

struct Harness {
  Harness() {
    program.services = fake.bundle();
    program.windows = &windows;
    windows.ShowWindow(program.mainWindow, false);
  }
  MainWindow& w() { return program.mainWindow; }
  const std::vector<MessageBoxCall>& messages() const { return fake.messageBox.log; }
  bool Ended() const { return program.mainWindow.destroyed(); }
  bool BoardsDisabled() { return w().动画框1.disabled() && w().动画框_分类.disabled(); }
  bool BoardsEnabled() { return !w().动画框1.disabled() && !w().动画框_分类.disabled(); }

  FixtureRunDir dir;
  ScriptedServices fake;
  ScriptedWindowBackend windows;
  Program program;
};

inline bool NoCaption(const MessageBoxCall& m) { return !m.captionGiven; }

}  // namespace editor_test
