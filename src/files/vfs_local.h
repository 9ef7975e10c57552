// Private to the file system: the stream record and its layers, the file
// index lookup and the folder walker.
#pragma once

#include <cstdio>
#include <nettle/chacha.h>
#include <zlib.h>

#include "files/files.h"

enum { GZ_INPUT_SIZE = 16384, GZ_WINDOW_SIZE = 1024 };

// Inflates a gzip stream 1 KiB at a time, so small reads need no big buffer.
struct GzipReader {
  z_stream z;                              // raw inflater state
  unsigned char input[GZ_INPUT_SIZE];      // compressed bytes not yet inflated
  unsigned char window[GZ_WINDOW_SIZE];    // inflated bytes being served
  int window_len;                          // bytes in the window
  int window_pos;                          // next byte of the window to serve
  bool end;                                // no more data (end, or damage)
};

// ChaCha20 key stream for ".scram" data.
struct Scrambler {
  chacha_ctx ctx;
  uint8_t key_stream[CHACHA_BLOCK_SIZE];   // current block of key stream
  int used;                                // bytes of it already applied
};

struct Stream {
  FILE* file;
  long long base;        // offset of the content in the file (archive members)
  long long limit;       // bytes of the file that belong to the stream; -1 = to its end
  long long raw_used;    // bytes taken from the file since base
  long long position;    // content bytes read (including a pushed-back one) or written
  int pushback;          // byte handed back by peek, or -1
  bool writing;          // opened with a writing mode
  Scrambler* scram;      // deciphering layer, or null
  GzipReader* gz;        // gzip layer, or null
  char name[256];        // for messages
};

// Reads file bytes within the limit, deciphered when scrambled.
size_t stream_raw_read(Stream* s, void* buffer, size_t size);

bool gzip_start(Stream* s);
size_t gzip_read(Stream* s, void* buffer, size_t size);
void gzip_end(Stream* s);

bool scramble_start(Stream* s);
void scramble_apply(Scrambler* sc, uint8_t* data, size_t size);
void scramble_end(Stream* s);

// Where a name lives in the index (an archive member, or a plain file).
struct FileEntry {
  const char* path;    // full path of the containing file
  const char* name;    // name relative to its search folder, or member name
  long long offset;    // bytes into the containing file (0 for plain files)
  long long size;      // bytes
  int source;          // search folder number, then archive number; lower wins
  int sequence;        // listing order, a last tie-break so every run sorts alike
};
// The index entry of the highest priority for name (letter case ignored),
// or null; null as well before the index is built.
const FileEntry* file_index_find(const char* name);

// ASCII case-insensitive comparison (strcmp's sign convention).
int name_compare(const char* a, const char* b);

// Calls file() for every regular file below folder (which ends in "/"), with
// its name relative to folder, its full path and size; entered() for every
// folder entered. Paths that would exceed VFS_PATH_MAX - 1 are skipped.
// file() returns false to stop the walk.
void vfs_walk(const char* folder, bool (*file)(const char* name, const char* path, long long size, void* context),
              void (*entered)(), void* context);

inline bool mode_is_reading(const char* mode) {
  bool r = false, plus = false;
  for (const char* m = mode; *m; m++) {
    if (*m == 'r') r = true;
    if (*m == '+') plus = true;
  }
  return r && !plus;
}

// Whether search folder 0 is the user's home folder (the machine has one).
bool vfs_home_exists();
void vfs_search_folders_free();
