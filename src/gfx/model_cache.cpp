// The model cache: models by the path they were loaded by, aged by the track
// generation so that a track change frees what only the old track used.
#include <cmath>
#include <cstring>

#include "core/core.h"
#include "core/launch.h"
#include "gfx/gfx.h"
#include "gfx/model_geometry.h"
#include "gfx/model_scan.h"
#include "platform/platform.h"

int cache_generation;

static GrowArray g_models;  // Model* in load order
static bool g_models_ready;

static Model* cache_entry(int i) { return *(Model**)array_at(&g_models, i); }

static bool same_ignoring_case(const char* a, const char* b) {
  for (; *a && *b; a++, b++) {
    char ca = (*a >= 'A' && *a <= 'Z') ? *a + 32 : *a;
    char cb = (*b >= 'A' && *b <= 'Z') ? *b + 32 : *b;
    if (ca != cb) return false;
  }
  return *a == *b;
}

// A model first used before any track stays for the whole run.
static void stamp(Model* m) {
  if (m->generation != 0) m->generation = cache_generation;
}

static Model* cache_find(const char* path) {
  for (int i = 0; i < g_models.count; i++)
    if (std::strcmp(cache_entry(i)->path, path) == 0) return cache_entry(i);
  for (int i = 0; i < g_models.count; i++) {
    if (same_ignoring_case(cache_entry(i)->path, path)) {
      console_printf("Warning: case mismatch on '%.900s'", path);
      return cache_entry(i);
    }
  }
  return nullptr;
}

static bool chain_has(const Model* head, const char* path) {
  for (const Model* m = head; m; m = m->next_lod)
    if (same_ignoring_case(m->path, path)) return true;
  return false;
}

// Loads every "_lod" sibling of an "@" model that the file list names.
static void load_lods(Model* head) {
  const char* const* list = gfx_file_list();
  if (!list) return;
  for (; *list; list++) {
    std::string open;
    double level = model_lod_level(head->path, *list, &open);
    if (level < 0 || chain_has(head, open.c_str())) continue;
    Model* lod = model_load(open.c_str());
    if (!lod) continue;
    lod->lod_distance = (float)std::pow(2.0, level);
    model_prepare_gpu(lod);
    model_insert_lod(head, lod);
  }
}

Model* get_model(const char* path) {
  if (!g_models_ready) {
    array_init(&g_models, sizeof(Model*));
    g_models_ready = true;
  }
  Model* m = cache_find(path);
  if (m) {
    stamp(m);
    return m;
  }
  m = model_load(path);
  if (!m) return nullptr;
  m->generation = cache_generation;
  model_prepare_gpu(m);
  if (path[0] == '@') load_lods(m);
  if (!array_append(&g_models, &m)) {
    model_free(m);
    return nullptr;
  }
  return m;
}

void model_free(Model* model) {
  while (model) {
    Model* next_lod = model->next_lod;
    model_release_gpu(model);
    for (Model* part = model; part;) {
      Model* next = part->next_part;
      model_part_free(part);
      part = next;
    }
    model = next_lod;
  }
}

static void cache_remove(int i) {
  Model** items = (Model**)g_models.items;
  std::memmove(&items[i], &items[i + 1], sizeof(Model*) * (g_models.count - i - 1));
  g_models.count--;
}

void delete_stale_models() {
  for (int i = g_models.count - 1; i >= 0; i--) {
    Model* m = cache_entry(i);
    if (m->generation == 0 || m->generation == cache_generation) continue;
    if (launch.debug > 0) log_printf("deleting model %.900s\n", m->path);
    cache_remove(i);
    model_free(m);
  }
}

void delete_all_models() {
  for (int i = g_models.count - 1; i >= 0; i--) model_free(cache_entry(i));
  if (g_models_ready) array_free(&g_models);
  g_models_ready = false;
}

int model_cache_count() { return g_models_ready ? g_models.count : 0; }
