// The file index: every file of the search folders and every member of the
// archives among them, sorted by name without regard to letter case, and the
// file list of distinct names that other subsystems enumerate.
#include <cstdio>
#include <cstring>

#include "core/core.h"
#include "files/vfs_local.h"
#include "platform/platform.h"

namespace {

enum { ARENA_BLOCK = 65536 };

// Names and paths live in large blocks freed together with the index.
struct ArenaBlock {
  ArenaBlock* next;
  size_t used;          // bytes of data[] handed out
  size_t capacity;      // bytes of data[]
  char data[1];
};

struct FileIndex {
  bool built;
  GrowArray entries;         // FileEntry, sorted once listing is done
  const char** list;         // distinct names, null-terminated
  ArenaBlock* arena;
  int next_sequence;
  void (*busy)();            // loading screen refresh, or null
};

FileIndex g_index;

const char* arena_copy(const char* text) {
  size_t n = std::strlen(text) + 1;
  ArenaBlock* b = g_index.arena;
  if (!b || b->capacity - b->used < n) {
    size_t capacity = n > (size_t)ARENA_BLOCK ? n : (size_t)ARENA_BLOCK;
    b = (ArenaBlock*)mem_alloc(sizeof(ArenaBlock) + capacity);
    if (!b) return nullptr;
    b->next = g_index.arena;
    b->used = 0;
    b->capacity = capacity;
    g_index.arena = b;
  }
  char* copy = b->data + b->used;
  std::memcpy(copy, text, n);
  b->used += n;
  return copy;
}

// Adds an entry; false when memory ran out (the caller stops listing).
bool entry_add(const char* path, const char* name, long long offset, long long size, int source) {
  FileEntry e;
  e.path = path;
  e.name = arena_copy(name);
  e.offset = offset;
  e.size = size;
  e.source = source;
  e.sequence = g_index.next_sequence++;
  return e.name && array_append(&g_index.entries, &e);
}

FileEntry* entry_at(int i) { return (FileEntry*)array_at(&g_index.entries, i); }

int entry_compare(const void* pa, const void* pb) {
  const FileEntry* a = (const FileEntry*)pa;
  const FileEntry* b = (const FileEntry*)pb;
  if (int c = name_compare(a->name, b->name)) return c;
  if (a->source != b->source) return a->source < b->source ? -1 : 1;
  return a->sequence < b->sequence ? -1 : (a->sequence > b->sequence);
}

void entries_sort() {
  heap_sort(g_index.entries.items, (size_t)g_index.entries.count, sizeof(FileEntry), entry_compare);
}

struct FolderListing {
  int source;           // the search folder's number
};

bool folder_file(const char* name, const char* path, long long size, void* context) {
  FolderListing* listing = (FolderListing*)context;
  const char* full = arena_copy(path);
  return full && entry_add(full, name, 0, size, listing->source);
}

void list_folders() {
  log_printf("Listing directories\n");
  for (int i = 0; const char* folder = vfs_search_folder(i); i++) {
    FolderListing listing{i};
    vfs_walk(folder, folder_file, g_index.busy, &listing);
  }
}

struct ArchiveListing {
  const char* path;     // the archive's full path (an arena copy)
  int source;
  bool out_of_memory;
};

void archive_member(const SafMember* m, void* context) {
  ArchiveListing* listing = (ArchiveListing*)context;
  if (listing->out_of_memory) return;
  if (!entry_add(listing->path, m->name, m->offset, m->size, listing->source)) listing->out_of_memory = true;
}

bool is_archive_name(const char* name) {
  size_t n = std::strlen(name);
  return n >= 5 && !name_compare(name + n - 4, ".saf");
}

void list_archives(int first_source) {
  log_printf("Listing archives\n");
  int source = first_source;
  // Members added here are not archives to open themselves: only the files
  // that the folders held are looked at.
  int files = g_index.entries.count;
  for (int i = 0; i < files; i++) {
    FileEntry e = *entry_at(i);
    if (!is_archive_name(e.name)) continue;
    if (g_index.busy) g_index.busy();
    ArchiveListing listing{e.path, source, false};
    if (saf_read_header(e.path, archive_member, &listing) >= 0) source++;
  }
}

void list_build() {
  int n = g_index.entries.count;
  g_index.list = (const char**)alloc_or_die(sizeof(const char*) * (size_t)(n + 1));
  int count = 0;
  for (int i = 0; i < n; i++) {
    const char* name = entry_at(i)->name;
    if (count > 0 && !name_compare(g_index.list[count - 1], name)) continue;
    g_index.list[count++] = name;
  }
  g_index.list[count] = nullptr;
}

}  // namespace

int name_compare(const char* a, const char* b) {
  for (;; a++, b++) {
    unsigned char ca = (unsigned char)*a, cb = (unsigned char)*b;
    if (ca >= 'A' && ca <= 'Z') ca += 'a' - 'A';
    if (cb >= 'A' && cb <= 'Z') cb += 'a' - 'A';
    if (ca != cb) return ca < cb ? -1 : 1;
    if (!ca) return 0;
  }
}

const char* const* vfs_build_file_index() {
  if (g_index.built) return g_index.list;
  array_init(&g_index.entries, sizeof(FileEntry));
  g_index.built = true;
  list_folders();
  int folders = 0;
  while (vfs_search_folder(folders)) folders++;
  entries_sort();
  list_archives(folders);
  entries_sort();
  log_printf("Creating file list\n");
  list_build();
  log_printf("File index complete\n");
  return g_index.list;
}

void vfs_free_file_index() {
  array_free(&g_index.entries);
  mem_free(g_index.list);
  while (ArenaBlock* b = g_index.arena) {
    g_index.arena = b->next;
    mem_free(b);
  }
  void (*busy)() = g_index.busy;
  g_index = FileIndex{};
  g_index.busy = busy;
}

void vfs_set_busy_callback(void (*busy)()) { g_index.busy = busy; }

int vfs_file_index_count() { return g_index.built ? g_index.entries.count : 0; }

bool vfs_describe_entry(int i, char* buffer, int size) {
  if (size > 0) buffer[0] = 0;
  if (!g_index.built || i < 0 || i >= g_index.entries.count) return false;
  const FileEntry* e = entry_at(i);
  if (size > 0) std::snprintf(buffer, (size_t)size, "%s -> %s", e->name, e->path);
  return true;
}

const FileEntry* file_index_find(const char* name) {
  if (!g_index.built) return nullptr;
  int low = 0, high = g_index.entries.count;
  // The first entry whose name is not below the wanted one: with equal
  // names that is the one of the lowest source order.
  while (low < high) {
    int mid = low + (high - low) / 2;
    if (name_compare(entry_at(mid)->name, name) < 0)
      low = mid + 1;
    else
      high = mid;
  }
  if (low < g_index.entries.count && !name_compare(entry_at(low)->name, name)) return entry_at(low);
  return nullptr;
}

void vfs_shutdown() {
  vfs_free_file_index();
  vfs_search_folders_free();
}
