#include "ui/scripted_services.h"

#include "ui/dialogs.h"

int ScriptedMessageBox::Show(const Text& text, int flags, const Text* caption) {
  MessageBoxCall call{text, flags, caption != nullptr, caption ? *caption : DefaultMessageCaption()};
  log.push_back(call);
  if (onShow) onShow(call);
  if (answers.empty()) return kMbOk;
  int answer = answers.front();
  answers.pop_front();
  return answer;
}

bool ScriptedInputBox::Ask(const Text* prompt, const Text* title, const Text& initial,
                           Text& target, int inputMode) {
  InputBoxCall call;
  call.promptGiven = prompt != nullptr;
  if (prompt) call.prompt = *prompt;
  call.title = (title && !title->empty()) ? *title : DefaultInputTitle();
  call.initial = initial;
  call.inputMode = inputMode;
  call.masked = ClampInputMode(inputMode) == 4;
  log.push_back(call);
  if (answers.empty()) return false;
  InputAnswer answer = answers.front();
  answers.pop_front();
  if (!answer.confirm) return false;
  target = answer.typed;
  return true;
}

bool ScriptedFileDialog::Open(const Text& initialDirectory, Text& fileName) {
  initialDirectories.push_back(initialDirectory);
  if (answers.empty()) return false;
  std::optional<Text> answer = answers.front();
  answers.pop_front();
  if (!answer) return false;
  fileName = *answer;
  return true;
}

bool ScriptedSound::PlayFile(const Text& programPath, bool loop) {
  played.push_back({true, programPath, {}, loop});
  return result;
}

bool ScriptedSound::PlayBytes(const Bytes& data, bool loop) {
  played.push_back({false, {}, data, loop});
  return result;
}

Services ScriptedServices::bundle() {
  Services s;
  s.messageBox = &messageBox;
  s.inputBox = &inputBox;
  s.fileDialog = &fileDialog;
  s.sound = &sound;
  s.shell = &shell;
  s.network = &network;
  s.pointer = &pointer;
  s.clock = &clock;
  return s;
}
