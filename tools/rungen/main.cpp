// rungen OUTDIR: fills the run directory with the data the program reads beside its
// executable: skin pictures, site icons, sounds and the two sample tables. Everything is
// drawn or synthesised here, so the same generator gives the same bytes on every run.

#include <cstdio>
#include <filesystem>
#include <string>

#include "glyphs.h"
#include "rungen.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: rungen OUTDIR\n");
    return 2;
  }
  StartGlyphs(argc, argv);
  std::string root = std::filesystem::absolute(argv[1]).lexically_normal().string();
  while (root.size() > 1 && root.back() == '/') root.pop_back();
  Output out(root);
  out.MakeDirs("");
  // These folders belong to the shipped data alone; starting them afresh keeps files
  // that the data no longer names from lingering.
  for (const char* dir : {"配置图片", "声音", "网站图标"}) out.RemoveTree(dir);
  WriteSkin(out);
  WriteIcons(out, SampleSites());
  WriteSounds(out);
  WriteTables(out, SampleSites());
  StopGlyphs();
  return 0;
}
