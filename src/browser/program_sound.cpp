#include "browser/program_sound.h"

#include "base/paths.h"
#include "base/run_path_rule.h"

void PlayProgramSound(Program& program, const Text& relative) {
  if (program.state.protection.soundOn != 1 || program.services.sound == nullptr) return;
  // Click sounds come from the favorites table: nothing from outside the run directory.
  if (!IsInsideRunDirectory(relative)) return;
  program.services.sound->PlayFile(RunDirectory() + relative);
}
