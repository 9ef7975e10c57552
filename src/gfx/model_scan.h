// Private to the model and shape readers: a scanner of free-form text numbers
// over a byte buffer (C scanf rules for "%d", "%f" and "%s"), and the one door
// through which the readers get a file's bytes.
#pragma once

#include <cstddef>

struct TextScan {
  const char* at;    // next byte
  const char* end;   // one past the last byte
};

inline TextScan text_scan(const char* data, size_t size) { return TextScan{data, data + size}; }

// Each skips white space first, like the scanf conversion it mirrors; on
// failure the position is left where the number should have started.
bool scan_int(TextScan* s, int* out);
bool scan_float(TextScan* s, float* out);
// A word (non-white-space run) of any length; only its first size - 1 bytes
// are kept (terminated).
bool scan_word(TextScan* s, char* out, size_t size);
// Skips white space; true when nothing but white space was left.
bool scan_at_end(TextScan* s);
size_t scan_remaining(const TextScan* s);
// The 1-based line of the scan position (for messages).
int scan_line(const char* data, const TextScan* s);

// The whole content of a file (a "@" name or a path) in a memory-layer block
// with a terminating zero after *size bytes; null when it can't be read.
char* gfx_read_file(const char* path, size_t* size);
// The file list of the file index (null-terminated; built on first use).
const char* const* gfx_file_list();
