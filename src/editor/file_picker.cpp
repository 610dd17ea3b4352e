#include "editor/file_picker.h"

#include "base/paths.h"
#include "ui/dialogs.h"

namespace {

Text IconFolder() { return RunDirectory() + GBK("\\网站图标"); }
Text SoundFolder() { return RunDirectory() + GBK("\\声音\\点击声音"); }

}  // namespace

void PickFile(Program& program, const Text& startFolder, EditBox& target) {
  FileDialog& dialog = program.mainWindow.通用对话框1;
  dialog.SetInitialDirectory(startFolder);
  if (!program.services.fileDialog || !dialog.Open(*program.services.fileDialog)) return;
  const Text& full = dialog.fileName();
  const Text runDirectory = RunDirectory();
  // Only a file below the run directory has a path the board can join to it again.
  const bool inside = full.size() > runDirectory.size() + 1 &&
                      full.compare(0, runDirectory.size(), runDirectory) == 0 &&
                      full[runDirectory.size()] == '\\';
  if (!inside) {
    MessageBox(program.services, GBK("请选择程序目录中的文件"), 0x10);
    return;
  }
  target.SetContent(full.substr(runDirectory.size()));
}

void PickAddIcon(Program& program) { PickFile(program, IconFolder(), program.mainWindow.编辑框_添加_图标); }
void PickAddSound(Program& program) { PickFile(program, SoundFolder(), program.mainWindow.编辑框_添加_点击声音); }
void PickModifyIcon(Program& program) { PickFile(program, IconFolder(), program.mainWindow.编辑框_修改_网站图标); }
void PickModifySound(Program& program) {
  PickFile(program, SoundFolder(), program.mainWindow.编辑框_修改_点击声音);
}
