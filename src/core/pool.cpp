// String pool: one stored copy of each distinct string for the whole run.
#include <cstring>

#include "core/core.h"

static GrowArray g_pool;  // of char*

const char* pool_string(const char* text) {
  if (!g_pool.item_size) array_init(&g_pool, sizeof(char*));
  char** strings = (char**)g_pool.items;
  for (int i = 0; i < g_pool.count; i++)
    if (!std::strcmp(strings[i], text)) return strings[i];
  size_t len = std::strlen(text);
  char* copy = (char*)alloc_or_die(len + 1);
  std::memcpy(copy, text, len + 1);
  if (!array_append(&g_pool, &copy)) fatal_out_of_memory();
  return copy;
}

int pool_count() { return g_pool.count; }
