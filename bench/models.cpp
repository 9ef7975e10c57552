// Load time of the bike models: every ".qm" and ".shp" file the catalogue
// names, read from the default data set through the file layer, as a race
// start with a full line-up of different bikes does.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <set>
#include <string>

#include "bike/bike.h"
#include "core/core.h"
#include "files/files.h"
#include "gfx/gfx.h"

namespace {

std::set<std::string> catalogue_files(const char* ending) {
  std::set<std::string> files;
  for (int i = 0; i < BIKE_MODEL_COUNT; i++)
    for (const auto& f : bike_model(i)->files) {
      size_t n = std::strlen(f), e = std::strlen(ending);
      if (n > e && std::strcmp(f + n - e, ending) == 0) files.insert(f);
    }
  return files;
}

bool use_default_data(benchmark::State& state) {
  const char* data = std::getenv("DW_DATA_DIR");
  std::string dir = data ? data : std::string(DW_BINARY_DIR) + "/data";
  setenv("DW_HOME", dir.c_str(), 1);
  vfs_shutdown();
  vfs_build_file_index();
  if (!get_shape("@generic_frame.shp")) {
    state.SkipWithError(("no default data set in " + dir).c_str());
    return false;
  }
  return true;
}

void BM_LoadAllBikeModels(benchmark::State& state) {
  if (!use_default_data(state)) return;
  std::set<std::string> files = catalogue_files(".qm");
  long triangles = 0;
  for (auto _ : state) {
    triangles = 0;
    for (const std::string& f : files) {
      Model* m = get_model(f.c_str());
      for (const Model* lod = m; lod; lod = lod->next_lod)
        for (const Model* p = lod; p; p = p->next_part) triangles += p->triangle_count;
    }
    state.PauseTiming();
    delete_all_models();
    state.ResumeTiming();
  }
  state.counters["files"] = (double)files.size();
  state.counters["triangles"] = (double)triangles;
  state.counters["files_per_s"] = benchmark::Counter((double)files.size(), benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_LoadAllBikeModels)->Unit(benchmark::kMillisecond);

// The shapes: parsed once per run in the game (they are never freed), so
// this times the parser on the stock shapes.
void BM_ParseStockShapes(benchmark::State& state) {
  if (!use_default_data(state)) return;
  std::set<std::string> names = catalogue_files(".shp");
  std::set<std::string> texts;
  for (const std::string& n : names) {
    size_t size;
    char* data = file_to_string(n.c_str(), &size);
    if (data) texts.insert(std::string(data, size));
    mem_free(data);
  }
  for (auto _ : state)
    for (const std::string& t : texts) shape_free(shape_parse(t.data(), t.size(), "bench.shp"));
  state.counters["shapes"] = (double)texts.size();
}
BENCHMARK(BM_ParseStockShapes)->Unit(benchmark::kMicrosecond);

}  // namespace
