// rungen OUTDIR: fills the run directory with the data the program reads beside its
// executable: skin pictures, site icons, sounds and the two sample tables.
// rungen --app-icons DIR: the program's own icon for the desktop, at the theme's sizes.
// rungen --windows-icon DIR: the same icon as DIR/vinkabo.ico, for the Windows program.
// Everything is drawn or synthesised here, so the same generator gives the same bytes on
// every run.

#include <cstdio>
#include <filesystem>
#include <string>

#include "glyphs.h"
#include "rungen.h"

int main(int argc, char** argv) {
  const bool appIcons = argc == 3 && std::string(argv[1]) == "--app-icons";
  const bool windowsIcon = argc == 3 && std::string(argv[1]) == "--windows-icon";
  if (argc != 2 && !appIcons && !windowsIcon) {
    std::fprintf(stderr, "usage: rungen OUTDIR | rungen --app-icons ICONTHEMEDIR | rungen --windows-icon DIR\n");
    return 2;
  }
  std::string root = std::filesystem::absolute(argv[argc - 1]).lexically_normal().string();
  while (root.size() > 1 && root.back() == '/') root.pop_back();
  Output out(root);
  if (appIcons) {
    WriteAppIcons(out);
    return 0;
  }
  if (windowsIcon) {
    out.MakeDirs("");
    WriteWindowsIcon(out);
    return 0;
  }
  StartGlyphs(argc, argv);
  // Nothing is removed here and no table is written over: pointed at a user's run
  // directory, the generator only adds what is missing and redraws its own pictures.
  out.MakeDirs("");
  WriteSkin(out);
  WriteIcons(out, SampleSites());
  WriteSounds(out);
  WriteTables(out, SampleSites());
  StopGlyphs();
  return 0;
}
