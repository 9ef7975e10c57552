// File system speed: building the file index over 10,000 files, half in
// folders and half in archives, and looking names up in it.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "files/files.h"
#include "files/vfs_local.h"  // the lookup itself, to time it alone

namespace fs = std::filesystem;

namespace {

enum { FOLDER_FILES = 5000, ARCHIVES = 10, MEMBERS_PER_ARCHIVE = 500 };

// A home folder and a second folder like a data set's: tracks with a few
// files each in folders, models and textures in archives.
struct Tree {
  fs::path root;
  std::vector<std::string> names;   // every name, for lookups

  Tree() {
    char pattern[] = "/tmp/dwbench.XXXXXX";
    root = mkdtemp(pattern);
    fs::path second = root / "second";
    for (int i = 0; i < FOLDER_FILES; i++) {
      std::string name = "tracks/track" + std::to_string(i / 10) + "/file" + std::to_string(i % 10) + ".txt";
      fs::create_directories((second / name).parent_path());
      std::ofstream(second / name) << i;
      names.push_back(name);
    }
    for (int a = 0; a < ARCHIVES; a++) {
      std::vector<std::string> member_names;
      std::vector<SafInput> members;
      for (int m = 0; m < MEMBERS_PER_ARCHIVE; m++)
        member_names.push_back("Models/Part" + std::to_string(a) + "_" + std::to_string(m) + ".qm");
      for (const std::string& n : member_names) members.push_back(SafInput{n.c_str(), nullptr, "data", 4});
      saf_write((second / ("pack" + std::to_string(a) + ".saf")).c_str(), members.data(), (int)members.size());
      names.insert(names.end(), member_names.begin(), member_names.end());
    }
    setenv("XDG_DATA_HOME", (root / "xdg").c_str(), 1);
    setenv("DW_HOME", second.c_str(), 1);
    vfs_shutdown();
  }
  ~Tree() {
    vfs_shutdown();
    std::error_code ec;
    fs::remove_all(root, ec);
  }
};

Tree& tree() {
  static Tree t;
  return t;
}

void BM_BuildFileIndex(benchmark::State& state) {
  Tree& t = tree();
  for (auto _ : state) {
    vfs_free_file_index();
    benchmark::DoNotOptimize(vfs_build_file_index());
  }
  state.counters["entries"] = vfs_file_index_count();
  (void)t;
}
BENCHMARK(BM_BuildFileIndex)->Unit(benchmark::kMillisecond);

// Opening archive members by "@" name with the letter case changed: the
// search folders are tried first (as the game does), then the index.
void BM_OpenArchiveMember(benchmark::State& state) {
  Tree& t = tree();
  vfs_build_file_index();
  size_t i = 0;
  for (auto _ : state) {
    const std::string& name = t.names[FOLDER_FILES + i++ % (t.names.size() - FOLDER_FILES)];
    Stream* s = stream_open(("@" + name).c_str(), "rb");
    benchmark::DoNotOptimize(s);
    stream_close(s);
  }
  state.counters["opens/s"] = benchmark::Counter((double)state.iterations(), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_OpenArchiveMember);

// The index lookup alone (binary search, letter case ignored), over names
// that are all present.
void BM_IndexLookup(benchmark::State& state) {
  Tree& t = tree();
  vfs_build_file_index();
  size_t i = 0;
  for (auto _ : state) benchmark::DoNotOptimize(file_index_find(t.names[i++ % t.names.size()].c_str()));
  state.counters["lookups/s"] = benchmark::Counter((double)state.iterations(), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_IndexLookup);

}  // namespace
