// The memory layer: the C allocator with an optional checker of live blocks
// (DW_CHECK_ALLOC > 0), and the fatal out-of-memory exit.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/core.h"

namespace {

const int kMaxChecked = 1048576;

struct CheckEntry {
  void* block;
  int sequence;   // grows by one per recorded allocation, never reused
  size_t size;    // bytes
};

struct Checker {
  bool decided = false;    // DW_CHECK_ALLOC read (on the first use)
  bool on = false;
  CheckEntry* entries = nullptr;
  int count = 0;
  int next_sequence = 0;
};

Checker g_check;
void (*g_close_audio)() = nullptr;
void (*g_close_window)() = nullptr;

bool checker_on() {
  if (!g_check.decided) {
    g_check.decided = true;
    const char* env = std::getenv("DW_CHECK_ALLOC");
    g_check.on = env && std::atoi(env) > 0;
  }
  return g_check.on;
}

void checker_record(void* block, size_t size) {
  if (!block || !checker_on()) return;
  if (!g_check.entries) {
    g_check.entries = (CheckEntry*)std::malloc(sizeof(CheckEntry) * kMaxChecked);
    if (!g_check.entries) {
      g_check.on = false;
      return;
    }
  }
  if (g_check.count >= kMaxChecked) {
    std::fputs("Too many allocations to check!\n", stderr);
    g_check.on = false;
    return;
  }
  g_check.entries[g_check.count++] = CheckEntry{block, g_check.next_sequence++, size};
}

// Removes the entry for block; false (with the message) when unknown.
bool checker_forget(void* block, size_t* size_out) {
  for (int i = g_check.count - 1; i >= 0; i--) {
    if (g_check.entries[i].block != block) continue;
    *size_out = g_check.entries[i].size;
    std::memmove(&g_check.entries[i], &g_check.entries[i + 1], sizeof(CheckEntry) * (g_check.count - i - 1));
    g_check.count--;
    return true;
  }
  std::fprintf(stderr, "Allocation not found for %p!\n", block);
  return false;
}

}  // namespace

void* mem_alloc(size_t size) {
  void* block = std::malloc(size ? size : 1);
  checker_record(block, size);
  return block;
}

void* mem_calloc(size_t count, size_t size) {
  void* block = std::calloc(count ? count : 1, size ? size : 1);
  checker_record(block, count * size);
  return block;
}

void* mem_realloc(void* block, size_t size) {
  if (block && checker_on()) {
    size_t old;
    checker_forget(block, &old);
  }
  void* moved = std::realloc(block, size ? size : 1);
  checker_record(moved ? moved : nullptr, size);
  return moved;
}

void mem_free(void* block) {
  if (!block) return;
  if (checker_on()) {
    size_t size;
    // An unknown block is left alone: freeing it could be a double free.
    if (!checker_forget(block, &size)) return;
    std::memset(block, 0, size);
  }
  std::free(block);
}

void mem_report() {
  if (!checker_on()) return;
  for (int i = 0; i < g_check.count; i++)
    std::fprintf(stderr, "%p:%d\n", g_check.entries[i].block, g_check.entries[i].sequence);
}

bool mem_checking() { return checker_on(); }
int mem_live_count() { return g_check.count; }

void mem_reset_checker_for_test(bool enabled) {
  std::free(g_check.entries);
  g_check = Checker{};
  g_check.decided = true;
  g_check.on = enabled;
}

void mem_set_fatal_cleanup(void (*close_audio)(), void (*close_window)()) {
  g_close_audio = close_audio;
  g_close_window = close_window;
}

void fatal_out_of_memory() {
  if (g_close_audio) g_close_audio();
  if (g_close_window) g_close_window();
  error_box("Error", "Out of virtual memory");
  std::exit(1);
}

void* alloc_or_die(size_t size) {
  void* block = mem_alloc(size);
  if (!block) fatal_out_of_memory();
  return block;
}
