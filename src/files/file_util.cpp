// Whole-file helpers: rename, file to string, and the working-set request
// made at every race reset.
#include <cstdio>
#include <cstring>
#include <string>
#include <unistd.h>

#include "core/core.h"
#include "files/vfs_local.h"
#include "platform/platform.h"

namespace {

enum : long long {
  FILE_TO_STRING_MAX = 16777215,        // bytes; one more is too long
  MIB = 1048576,
};

std::string resolve_home(const char* name) {
  if (name[0] != '@') return name;
  return std::string(vfs_home_folder()) + (name + 1);
}

// Linux keeps no per-process working-set range: a process may already keep
// as much of its memory resident as the machine allows, which is what the
// request is after.
bool set_working_set_range(unsigned, unsigned) { return true; }

}  // namespace

bool vfs_rename(const char* from, const char* to) {
  std::string source = resolve_home(from), target = resolve_home(to);
  if (source.size() >= VFS_PATH_MAX || target.size() >= VFS_PATH_MAX) return false;
  // rename() replaces the target in one step, so no moment exists where
  // neither file is there.
  return std::rename(source.c_str(), target.c_str()) == 0;
}

char* file_to_string(const char* name, size_t* length) {
  Stream* s = stream_open(name, "rb");
  if (!s) return nullptr;
  long long known = stream_size(s);
  size_t capacity = known >= 0 && known <= FILE_TO_STRING_MAX ? (size_t)known + 1 : 65536;
  char* text = (char*)mem_alloc(capacity + 1);
  size_t n = 0;
  while (text) {
    n += stream_read_block(s, text + n, capacity - n);
    if (n < capacity || n > (size_t)FILE_TO_STRING_MAX) break;
    size_t grown = capacity * 2 > (size_t)FILE_TO_STRING_MAX + 1 ? (size_t)FILE_TO_STRING_MAX + 1 : capacity * 2;
    if (grown == capacity) break;
    char* bigger = (char*)mem_realloc(text, grown + 1);
    if (!bigger) mem_free(text);
    text = bigger;
    capacity = grown;
  }
  stream_close(s);
  if (!text) return nullptr;
  if (n > (size_t)FILE_TO_STRING_MAX) {
    log_printf("File %s too long for file_to_string\n", name);
    mem_free(text);
    return nullptr;
  }
  text[n] = 0;
  if (char* shrunk = (char*)mem_realloc(text, n + 1)) text = shrunk;
  if (length) *length = n;
  return text;
}

void vfs_adjust_working_set() {
  long long total = (long long)sysconf(_SC_PHYS_PAGES) * (long long)sysconf(_SC_PAGESIZE);
  if (total < 64 * MIB) {
    log_printf("Working set left alone - less than 64 MB physical memory\n");
    return;
  }
  if (total > 2048 * MIB) total = 2048 * MIB;
  long long maximum = total - 32 * MIB;
  long long minimum = maximum < 1024 * MIB ? maximum : 1024 * MIB;
  log_printf("Setting working set range to %u - %u\n", (unsigned)minimum, (unsigned)maximum);
  if (set_working_set_range((unsigned)minimum, (unsigned)maximum))
    log_printf("Working set successfully updated\n");
  else
    log_printf("Working set update failed\n");
}
