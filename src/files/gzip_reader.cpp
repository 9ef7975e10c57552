// Transparent gzip reading: the header is checked and skipped by hand, the
// deflate data inflated raw into a 1 KiB window that reads are served from.
// The trailer is not checked; damaged data simply end the stream early.
#include <cstring>

#include "core/core.h"
#include "files/vfs_local.h"
#include "platform/platform.h"

namespace {

enum {
  GZ_FLAG_HCRC = 2, GZ_FLAG_EXTRA = 4, GZ_FLAG_NAME = 8, GZ_FLAG_COMMENT = 16,
  GZ_FLAG_RESERVED = 0xe0,
  GZ_FIXED_HEADER = 10,  // magic, method, flags, time (4), extra flags, system
};

// Skips a zero-terminated field; false when it runs past the buffer.
bool skip_zero_terminated(const unsigned char* data, size_t length, size_t* at) {
  while (*at < length && data[*at]) (*at)++;
  if (*at >= length) return false;
  (*at)++;
  return true;
}

// Length of the gzip header at the start of data, or 0 when it is not a
// gzip header we can read (or does not fit in the first block).
size_t header_length(const unsigned char* data, size_t length) {
  if (length < GZ_FIXED_HEADER || data[0] != 31 || data[1] != 139 || data[2] != 8) return 0;
  int flags = data[3];
  if (flags & GZ_FLAG_RESERVED) return 0;
  size_t at = GZ_FIXED_HEADER;
  if (flags & GZ_FLAG_EXTRA) {
    if (at + 2 > length) return 0;
    at += 2 + (size_t)(data[at] | data[at + 1] << 8);
  }
  if ((flags & GZ_FLAG_NAME) && !skip_zero_terminated(data, length, &at)) return 0;
  if ((flags & GZ_FLAG_COMMENT) && !skip_zero_terminated(data, length, &at)) return 0;
  if (flags & GZ_FLAG_HCRC) at += 2;
  return at <= length ? at : 0;
}

// Inflates the next piece into the window; false at the end of the data.
bool window_fill(Stream* s) {
  GzipReader* g = s->gz;
  g->window_pos = g->window_len = 0;
  while (!g->end && g->window_len == 0) {
    if (g->z.avail_in == 0) {
      size_t n = stream_raw_read(s, g->input, sizeof g->input);
      g->z.next_in = g->input;
      g->z.avail_in = (uInt)n;
    }
    g->z.next_out = g->window;
    g->z.avail_out = sizeof g->window;
    int r = inflate(&g->z, Z_NO_FLUSH);
    g->window_len = (int)(sizeof g->window - g->z.avail_out);
    if (r == Z_STREAM_END) {
      g->end = true;
    } else if (r == Z_BUF_ERROR && g->window_len == 0) {
      // No progress possible: the compressed data ran out before their end.
      log_printf("Compressed data of %s end early\n", s->name);
      g->end = true;
    } else if (r != Z_OK && r != Z_BUF_ERROR) {
      log_printf("Damaged compressed data in %s\n", s->name);
      g->end = true;
    }
  }
  return g->window_len > 0;
}

}  // namespace

bool gzip_start(Stream* s) {
  GzipReader* g = (GzipReader*)alloc_or_die(sizeof(GzipReader));
  std::memset(g, 0, sizeof *g);
  size_t n = stream_raw_read(s, g->input, sizeof g->input);
  size_t skip = header_length(g->input, n);
  if (skip == 0 || inflateInit2(&g->z, -MAX_WBITS) != Z_OK) {
    mem_free(g);
    return false;
  }
  g->z.next_in = g->input + skip;
  g->z.avail_in = (uInt)(n - skip);
  s->gz = g;
  return true;
}

size_t gzip_read(Stream* s, void* buffer, size_t size) {
  GzipReader* g = s->gz;
  size_t n = 0;
  while (n < size) {
    if (g->window_pos >= g->window_len && !window_fill(s)) break;
    size_t take = (size_t)(g->window_len - g->window_pos);
    if (take > size - n) take = size - n;
    std::memcpy((char*)buffer + n, g->window + g->window_pos, take);
    g->window_pos += (int)take;
    n += take;
  }
  return n;
}

void gzip_end(Stream* s) {
  if (!s->gz) return;
  inflateEnd(&s->gz->z);
  mem_free(s->gz);
  s->gz = nullptr;
}
