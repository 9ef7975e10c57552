// A throw-away home folder and second folder for file-system tests: the
// environment points the game at them and the file system starts afresh.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <zlib.h>

#include "files/files.h"

namespace fs = std::filesystem;

inline std::string read_whole(const fs::path& p) {
  std::ifstream f(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

inline void write_whole(const fs::path& p, const std::string& bytes) {
  fs::create_directories(p.parent_path());
  std::ofstream f(p, std::ios::binary | std::ios::trunc);
  f.write(bytes.data(), (std::streamsize)bytes.size());
}

// gzip member of the bytes (zlib's gzip wrapper, so the header is ordinary).
inline std::string gzip_bytes(const std::string& plain) {
  z_stream z{};
  deflateInit2(&z, 9, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY);
  std::string out(deflateBound(&z, plain.size()) + 64, '\0');
  z.next_in = (Bytef*)plain.data();
  z.avail_in = (uInt)plain.size();
  z.next_out = (Bytef*)out.data();
  z.avail_out = (uInt)out.size();
  deflate(&z, Z_FINISH);
  out.resize(z.total_out);
  deflateEnd(&z);
  return out;
}

// The bytes dwsaf would write for these members (name, content).
inline std::string saf_bytes(const std::vector<std::pair<std::string, std::string>>& members) {
  std::string header, data;
  for (const auto& m : members) {
    header += std::to_string(m.second.size()) + " " + m.first + "\n";
    data += m.second;
  }
  return header + "-\n" + data;
}

inline std::string read_stream(Stream* s) {
  std::string out;
  char block[300];
  size_t n;
  while ((n = stream_read_block(s, block, sizeof block)) > 0) out.append(block, n);
  return out;
}

// Whole content of a name through the file system, or "<none>".
inline std::string read_name(const char* name) {
  Stream* s = stream_open(name, "rb");
  if (!s) return "<none>";
  std::string out = read_stream(s);
  stream_close(s);
  return out;
}

class VfsTest : public ::testing::Test {
 protected:
  fs::path root, home, second;

  void SetUp() override {
    char pattern[] = "/tmp/dwfiles.XXXXXX";
    root = mkdtemp(pattern);
    home = root / "xdg" / "Dirtwave";
    second = root / "second";
    fs::create_directories(second);
    setenv("XDG_DATA_HOME", (root / "xdg").c_str(), 1);
    setenv("DW_HOME", second.c_str(), 1);
    vfs_shutdown();
  }

  void TearDown() override {
    vfs_shutdown();
    std::error_code ec;
    fs::permissions(root, fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(root, ec);
  }

  void home_file(const std::string& rel, const std::string& bytes) { write_whole(home / rel, bytes); }
  void second_file(const std::string& rel, const std::string& bytes) { write_whole(second / rel, bytes); }
};
