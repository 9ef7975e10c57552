// dwsaf: makes and inspects the game's ".saf" archives and scrambled files.
//
//   dwsaf pack FOLDER OUT.saf    every file below FOLDER, named relative to it
//   dwsaf list FILE.saf          the members: size and name, one a line
//   dwsaf scramble IN OUT        IN's bytes as a ".scram" file the game reads
//   dwsaf digest FILE            the marker digest the game checks "zzzz.saf" by
#include <cstdio>
#include <cstring>

#include "core/core.h"
#include "files/files.h"

static int usage() {
  std::fprintf(stderr,
               "usage: dwsaf pack FOLDER OUT.saf\n"
               "       dwsaf list FILE.saf\n"
               "       dwsaf scramble IN OUT\n"
               "       dwsaf digest FILE\n");
  return 2;
}

static void list_member(const SafMember* m, void*) { std::printf("%12lld  %s\n", m->size, m->name); }

static int list(const char* path) {
  int n = saf_read_header(path, list_member, nullptr);
  if (n < 0) {
    std::fprintf(stderr, "dwsaf: %s can't be read or its header is damaged\n", path);
    return 1;
  }
  std::printf("%d members\n", n);
  return 0;
}

static int pack(const char* folder, const char* out) {
  if (!saf_pack_folder(folder, out)) {
    std::fprintf(stderr, "dwsaf: can't pack %s into %s\n", folder, out);
    return 1;
  }
  return 0;
}

static int scramble(const char* in, const char* out) {
  size_t length = 0;
  char* data = file_to_string(in, &length);
  if (!data) {
    std::fprintf(stderr, "dwsaf: can't read %s\n", in);
    return 1;
  }
  bool ok = scramble_write_file(out, data, length);
  mem_free(data);
  if (!ok) std::fprintf(stderr, "dwsaf: can't write %s\n", out);
  return ok ? 0 : 1;
}

static int digest(const char* path) {
  char hex[41];
  if (!vfs_marker_digest(path, hex)) {
    std::fprintf(stderr, "dwsaf: can't read %s\n", path);
    return 1;
  }
  std::printf("%s\n", hex);
  return 0;
}

int main(int argc, char** argv) {
  if (argc == 4 && !std::strcmp(argv[1], "pack")) return pack(argv[2], argv[3]);
  if (argc == 3 && !std::strcmp(argv[1], "list")) return list(argv[2]);
  if (argc == 4 && !std::strcmp(argv[1], "scramble")) return scramble(argv[2], argv[3]);
  if (argc == 3 && !std::strcmp(argv[1], "digest")) return digest(argv[2]);
  return usage();
}
