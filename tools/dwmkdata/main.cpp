// dwmkdata OUTDIR: writes the default data set into OUTDIR.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "mkdata.h"

bool mk_write_file(const std::string& outdir, const std::string& relpath, const void* data, size_t size) {
  std::filesystem::path p = std::filesystem::path(outdir) / relpath;
  std::error_code ec;
  std::filesystem::create_directories(p.parent_path(), ec);
  std::ofstream f(p, std::ios::binary | std::ios::trunc);
  if (!f) {
    std::fprintf(stderr, "dwmkdata: can't write %s\n", p.c_str());
    return false;
  }
  f.write(static_cast<const char*>(data), (std::streamsize)size);
  return (bool)f;
}

bool mk_write_text(const std::string& outdir, const std::string& relpath, const std::string& text) {
  return mk_write_file(outdir, relpath, text.data(), text.size());
}

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: dwmkdata OUTDIR\n");
    return 2;
  }
  std::string out = argv[1];
  bool ok = true;
  // Generators, in order (each adds one kind of data):
  ok = mk_marker_archive(out) && ok;
  ok = mk_track_rabbithill(out) && ok;
  ok = mk_track_flattest(out) && ok;
  ok = mk_bikes(out) && ok;
  return ok ? 0 : 1;
}
