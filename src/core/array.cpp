// Growable array of fixed-size items; storage doubles from 16 items.
#include <cstring>

#include "core/core.h"

void array_init(GrowArray* a, int item_size) {
  a->items = nullptr;
  a->capacity = 0;
  a->count = 0;
  a->item_size = item_size;
}

bool array_append(GrowArray* a, const void* item) {
  if (a->count == a->capacity) {
    int capacity = a->capacity ? a->capacity * 2 : 16;
    void* grown = mem_realloc(a->items, (size_t)capacity * a->item_size);
    if (!grown) return false;
    a->items = grown;
    a->capacity = capacity;
  }
  char* slot = (char*)a->items + (size_t)a->count * a->item_size;
  if (item)
    std::memcpy(slot, item, a->item_size);
  else
    std::memset(slot, 0, a->item_size);
  a->count++;
  return true;
}

void* array_at(GrowArray* a, int index) { return (char*)a->items + (size_t)index * a->item_size; }

void array_free(GrowArray* a) {
  mem_free(a->items);
  a->items = nullptr;
  a->capacity = 0;
  a->count = 0;
}
