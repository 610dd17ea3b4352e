#include "app/headless_program.h"

#include "app/program_entry.h"
#include "base/paths.h"

HeadlessProgram::HeadlessProgram(const Text& runDirectory) {
  if (!runDirectory.empty()) SetRunDirectory(runDirectory);
  program.services = fake.bundle();
  program.windows = &windows;
}

HeadlessProgram::~HeadlessProgram() {
  if (started_) ReleaseApplicationState(program);
  if (onEnd) onEnd(program);
}

void HeadlessProgram::Start() {
  if (started_) return;
  started_ = true;
  InitApplicationState(program.state);
  StartMainWindow(program);
}
