// The track list: every folder of the data name space that holds a terrain
// file, with its long name, sorted for the menus.
#include <cctype>
#include <cstdio>
#include <cstring>

#include "core/core.h"
#include "core/launch.h"
#include "core/startup.h"
#include "files/files.h"
#include "platform/platform.h"
#include "track/track.h"

TrackState track;

static const char* const terrain_names[] = {"/terrain.hf", "/terrain.hf.gz", "/terrain.hf.scram",
                                            "/terrain.hf.gz.scram"};

// Length of the folder part when name ends in a terrain file name, else -1.
static int terrain_folder_length(const char* name) {
  size_t len = std::strlen(name);
  for (const char* suffix : terrain_names) {
    size_t n = std::strlen(suffix);
    if (len > n && std::strcmp(name + len - n, suffix) == 0) return (int)(len - n);
  }
  return -1;
}

const char* track_long_name(const char* folder) {
  char name[VFS_PATH_MAX];
  std::snprintf(name, sizeof name, "@%s/desc", folder);
  Stream* s = stream_open(name, "rb");
  if (!s) return pool_string(folder);
  char text[1024];
  int n = 0, c;
  while (n < (int)sizeof text - 1 && (c = stream_read_char(s)) != STREAM_EOF && c != '\r' && c != '\n' && c != 0)
    text[n++] = (char)c;
  text[n] = 0;
  stream_close(s);
  return pool_string(text);
}

int track_name_compare(const char* a, const char* b) {
  for (;; a++, b++) {
    int ca = std::tolower((unsigned char)*a), cb = std::tolower((unsigned char)*b);
    if (ca != cb || ca == 0) return ca - cb;
  }
}

// Exchange sort: the list is short and read once.
static void sort_list(TrackEntry* list, int count) {
  for (int i = 0; i < count; i++)
    for (int j = i + 1; j < count; j++)
      if (track_name_compare(list[j].long_name, list[i].long_name) < 0) {
        TrackEntry t = list[i];
        list[i] = list[j];
        list[j] = t;
      }
}

static void busy(int examined) {
  static double last;
  double now = clock_seconds();
  if (now - last < 1.0 / 16.0) return;
  last = now;
  char text[64];
  std::snprintf(text, sizeof text, "Scanning tracks %d", examined);
  loading_screen(text);
}

static bool listed(const GrowArray* a, const char* folder) {
  const TrackEntry* e = (const TrackEntry*)a->items;
  for (int i = 0; i < a->count; i++)
    if (std::strcmp(e[i].folder, folder) == 0) return true;
  return false;
}

bool track_list_build(const char* const* names) {
  track_list_free();
  GrowArray a;
  array_init(&a, sizeof(TrackEntry));
  int examined = 0;
  for (const char* const* p = names; p && *p; p++) {
    busy(++examined);
    int len = terrain_folder_length(*p);
    if (len < 0 || len >= VFS_PATH_MAX) continue;
    char folder[VFS_PATH_MAX];
    std::memcpy(folder, *p, (size_t)len);
    folder[len] = 0;
    // A folder with both terrain.hf and terrain.hf.gz is still one track.
    if (listed(&a, folder)) continue;
    TrackEntry e;
    e.folder = pool_string(folder);
    e.long_name = track_long_name(e.folder);
    if (!array_append(&a, &e)) fatal_out_of_memory();
  }
  track.list = (TrackEntry*)a.items;
  track.count = a.count;
  sort_list(track.list, track.count);
  if (launch.debug >= 1)
    for (int i = 0; i < track.count; i++) log_printf("%s -> %s\n", track.list[i].folder, track.list[i].long_name);
  return track.count > 0;
}

bool track_list_scan() { return track_list_build(vfs_build_file_index()); }

void track_list_free() {
  GrowArray a{track.list, 0, track.count, (int)sizeof(TrackEntry)};
  if (track.list) array_free(&a);
  track.list = nullptr;
  track.count = 0;
}
