// The marker archive "zzzz.saf": the game recognises its data folder by this
// archive's digest, which the build bakes into the game from the file made
// here. Any change to the text below changes the digest, and the build
// follows it.
#include <cstdio>
#include <string>

#include "files/files.h"
#include "mkdata.h"

static const char kDataNote[] =
    "Dirtwave default data set\n"
    "\n"
    "Made by dwmkdata from the game's own source; regenerate it with\n"
    "  dwmkdata OUTDIR\n"
    "This archive marks the folder as game data: the game checks it at start-up.\n";

bool mk_marker_archive(const std::string& outdir) {
  SafInput member{"dirtwave-data.txt", nullptr, kDataNote, (long long)(sizeof kDataNote - 1)};
  std::string path = outdir + "/zzzz.saf";
  if (!vfs_make_folders((outdir + "/").c_str()) || !saf_write(path.c_str(), &member, 1)) {
    std::fprintf(stderr, "dwmkdata: can't write %s\n", path.c_str());
    return false;
  }
  return true;
}
