// Streams: opening names ("@" names through the search folders and the file
// index, ordinary paths with their gzip and scrambled variants), numbered
// backups, and the byte-level reading and writing every parser builds on.
#include <cstdarg>
#include <cstring>
#include <string>
#include <sys/stat.h>
#include <vector>

#include "core/core.h"
#include "files/vfs_local.h"
#include "platform/platform.h"

namespace {

enum { BACKUP_PATH_MAX = 1000, BACKUP_MAX = 9999, COPY_BLOCK = 65536 };

// What a name's bytes are wrapped in.
enum Variant { VARIANT_PLAIN, VARIANT_GZIP, VARIANT_SCRAM, VARIANT_GZIP_SCRAM, VARIANT_COUNT };
const char* const kVariantSuffix[VARIANT_COUNT] = {"", ".gz", ".scram", ".gz.scram"};

bool path_exists(const char* path) {
  struct stat st;
  return stat(path, &st) == 0;
}

bool is_folder(FILE* f) {
  struct stat st;
  return fstat(fileno(f), &st) == 0 && S_ISDIR(st.st_mode);
}

// Wraps an open file; starts the deciphering and gzip layers the variant
// asks for. Null (file closed) when a layer can't start.
Stream* stream_start(FILE* f, long long base, long long limit, bool writing, Variant variant, const char* name) {
  Stream* s = (Stream*)alloc_or_die(sizeof(Stream));
  *s = Stream{};
  s->file = f;
  s->base = base;
  s->limit = limit;
  s->pushback = -1;
  s->writing = writing;
  std::snprintf(s->name, sizeof s->name, "%s", name);
  bool ok = true;
  if (variant == VARIANT_SCRAM || variant == VARIANT_GZIP_SCRAM) ok = scramble_start(s);
  if (ok && (variant == VARIANT_GZIP || variant == VARIANT_GZIP_SCRAM)) ok = gzip_start(s);
  if (!ok) {
    stream_close(s);
    return nullptr;
  }
  return s;
}

bool copy_file(const char* from, const char* to) {
  FILE* in = std::fopen(from, "rb");
  if (!in) return false;
  FILE* out = std::fopen(to, "wb");
  if (!out) {
    std::fclose(in);
    return false;
  }
  std::vector<char> block(COPY_BLOCK);
  bool ok = true;
  size_t n;
  while ((n = std::fread(block.data(), 1, block.size(), in)) > 0)
    if (std::fwrite(block.data(), 1, n, out) != n) ok = false;
  if (std::ferror(in)) ok = false;
  std::fclose(in);
  if (std::fclose(out) != 0) ok = false;
  if (!ok) std::remove(to);
  return ok;
}

// Copies an existing file to its first free "<path>.~<n>~". False when the
// copy failed or every number is taken.
bool backup_make(const char* path) {
  if (!path_exists(path)) return true;
  char backup[BACKUP_PATH_MAX + 16];
  for (int n = 1; n <= BACKUP_MAX; n++) {
    std::snprintf(backup, sizeof backup, "%s.~%d~", path, n);
    if (path_exists(backup)) continue;
    return copy_file(path, backup);
  }
  return false;
}

Stream* open_variant(const char* path, const char* mode, Variant variant) {
  FILE* f = std::fopen(path, mode);
  if (!f) return nullptr;
  if (is_folder(f)) {  // a folder opens for reading here, but has no bytes
    std::fclose(f);
    return nullptr;
  }
  return stream_start(f, 0, -1, !mode_is_reading(mode), variant, path);
}

Stream* open_path(const char* path, const char* mode) {
  bool reading = mode_is_reading(mode);
  if (!reading && std::strlen(path) < VFS_PATH_MAX) {
    std::string folders(path);
    folders.erase(folders.find_last_of('/') == std::string::npos ? 0 : folders.find_last_of('/') + 1);
    if (!folders.empty()) vfs_make_folders(folders.c_str());
  }
  if (mode[0] == '~' && std::strlen(path) <= BACKUP_PATH_MAX) {
    if (!backup_make(path)) return nullptr;
    mode++;
  }
  if (Stream* s = open_variant(path, mode, VARIANT_PLAIN)) return s;
  if (!reading) return nullptr;
  for (int v = VARIANT_GZIP; v < VARIANT_COUNT; v++) {
    std::string variant = std::string(path) + kVariantSuffix[v];
    if (variant.size() >= VFS_PATH_MAX) continue;
    if (Stream* s = open_variant(variant.c_str(), mode, (Variant)v)) return s;
  }
  return nullptr;
}

// An archive member (or a file listed at start-up) found through the index:
// of the four variants of the name, the one of the highest priority.
Stream* open_indexed(const char* rest) {
  const FileEntry* best = nullptr;
  Variant best_variant = VARIANT_PLAIN;
  for (int v = VARIANT_PLAIN; v < VARIANT_COUNT; v++) {
    std::string name = std::string(rest) + kVariantSuffix[v];
    const FileEntry* e = file_index_find(name.c_str());
    if (e && (!best || e->source < best->source)) {
      best = e;
      best_variant = (Variant)v;
    }
  }
  if (!best) return nullptr;
  FILE* f = std::fopen(best->path, "rb");
  if (!f) return nullptr;
  if (std::fseek(f, (long)best->offset, SEEK_SET) != 0) {
    std::fclose(f);
    return nullptr;
  }
  return stream_start(f, best->offset, best->size, false, best_variant, best->name);
}

// Content bytes, through the gzip layer when there is one.
size_t content_read(Stream* s, void* buffer, size_t size) {
  size_t n = s->gz ? gzip_read(s, buffer, size) : stream_raw_read(s, buffer, size);
  s->position += (long long)n;
  return n;
}

}  // namespace

Stream* stream_open(const char* name, const char* mode) {
  if (!name || !mode) return nullptr;
  if (name[0] != '@') return open_path(name, mode);
  const char* rest = name + 1;
  for (int i = 0; const char* folder = vfs_search_folder(i); i++) {
    std::string path = std::string(folder) + rest;
    if (path.size() >= VFS_PATH_MAX) continue;
    if (Stream* s = open_path(path.c_str(), mode)) return s;
  }
  if (mode_is_reading(mode)) return open_indexed(rest);
  return nullptr;
}

bool stream_close(Stream* s) {
  if (!s) return false;
  gzip_end(s);
  scramble_end(s);
  bool ok = true;
  if (s->file) {
    if (s->writing && std::ferror(s->file)) ok = false;
    if (std::fclose(s->file) != 0) ok = false;
  }
  mem_free(s);
  return ok;
}

size_t stream_raw_read(Stream* s, void* buffer, size_t size) {
  if (s->limit >= 0) {
    long long left = s->limit - s->raw_used;
    if (left <= 0) return 0;
    if ((long long)size > left) size = (size_t)left;
  }
  size_t n = std::fread(buffer, 1, size, s->file);
  s->raw_used += (long long)n;
  if (s->scram) scramble_apply(s->scram, (uint8_t*)buffer, n);
  return n;
}

int stream_read_char(Stream* s) {
  if (s->pushback >= 0) {
    int c = s->pushback;
    s->pushback = -1;
    return c;
  }
  unsigned char c;
  return content_read(s, &c, 1) == 1 ? (int)c : (int)STREAM_EOF;
}

int stream_peek_char(Stream* s) {
  if (s->pushback < 0) {
    unsigned char c;
    if (content_read(s, &c, 1) != 1) return STREAM_EOF;
    s->pushback = c;
  }
  return s->pushback;
}

bool stream_read_line(Stream* s, char* buffer, int size) {
  if (size <= 0) return false;
  int n = 0;
  while (n < size - 1) {
    int c = stream_read_char(s);
    if (c == STREAM_EOF) break;
    buffer[n++] = (char)c;
    if (c == '\n') break;
  }
  buffer[n] = 0;
  return n > 0;
}

size_t stream_read_block(Stream* s, void* buffer, size_t size) {
  size_t n = 0;
  if (size > 0 && s->pushback >= 0) {
    ((unsigned char*)buffer)[n++] = (unsigned char)s->pushback;
    s->pushback = -1;
  }
  while (n < size) {
    size_t got = content_read(s, (char*)buffer + n, size - n);
    if (got == 0) break;
    n += got;
  }
  return n;
}

int stream_print(Stream* s, const char* format, ...) {
  va_list args;
  va_start(args, format);
  int n = std::vfprintf(s->file, format, args);
  va_end(args);
  if (n > 0) s->position += n;
  return n;
}

bool stream_write_char(Stream* s, int c) {
  if (std::fputc(c, s->file) == EOF) return false;
  s->position++;
  return true;
}

bool stream_write_string(Stream* s, const char* text) {
  size_t n = std::strlen(text);
  return stream_write_block(s, text, n) == n;
}

size_t stream_write_block(Stream* s, const void* data, size_t size) {
  size_t n = std::fwrite(data, 1, size, s->file);
  s->position += (long long)n;
  return n;
}

bool stream_flush(Stream* s) { return std::fflush(s->file) == 0; }

long long stream_tell(Stream* s) { return s->position - (s->pushback >= 0 ? 1 : 0); }

bool stream_seek(Stream* s, long long position) {
  if (s->gz || s->scram || position < 0) return false;
  if (s->limit >= 0 && position > s->limit) return false;
  if (std::fseek(s->file, (long)(s->base + position), SEEK_SET) != 0) return false;
  s->raw_used = position;
  s->position = position;
  s->pushback = -1;
  return true;
}

long long stream_size(Stream* s) {
  if (s->gz || s->scram) return -1;
  if (s->limit >= 0) return s->limit;
  struct stat st;
  return fstat(fileno(s->file), &st) == 0 ? (long long)st.st_size : -1;
}
