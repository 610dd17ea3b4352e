#include "browser/program_sound.h"

#include "base/paths.h"

void PlayProgramSound(Program& program, const Text& relative) {
  if (program.state.protection.soundOn != 1 || program.services.sound == nullptr) return;
  program.services.sound->PlayFile(RunDirectory() + relative);
}
