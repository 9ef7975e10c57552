// ".saf" archives: a text header of "<size> <name>" lines ended by a "-"
// line, then the members' bytes back to back in header order.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/stat.h>
#include <vector>

#include "files/vfs_local.h"
#include "platform/platform.h"

namespace {

enum { SAF_LINE_MAX = 1024, COPY_BLOCK = 65536 };

struct HeaderLine {
  long long size;      // bytes
  std::string name;    // "" for a member that has no name
};

// Member names keep single "/" separators.
std::string collapse_slashes(const char* text, size_t length) {
  std::string name;
  for (size_t i = 0; i < length; i++) {
    if (text[i] == '/' && !name.empty() && name.back() == '/') continue;
    name += text[i];
  }
  return name;
}

// One member line: a decimal size, one separator byte, the name. False when
// it does not begin with a number.
bool parse_member_line(const char* line, size_t length, HeaderLine* out) {
  if (line[0] < '0' || line[0] > '9') return false;
  char* end;
  out->size = std::strtoll(line, &end, 10);
  size_t used = (size_t)(end - line);
  // The separator; a line that stops right after the number names nothing.
  if (used < length - 1) used++;
  out->name = collapse_slashes(line + used, length - 1 - used);
  return true;
}

// Reads header lines up to the "-" line. Returns the header's length in
// bytes, or -1 when it is damaged (a line without its newline, too long, or
// not beginning with a number).
long long read_header_lines(FILE* f, std::vector<HeaderLine>* members, const char* path) {
  char line[SAF_LINE_MAX];
  long long header_length = 0;
  for (;;) {
    if (!std::fgets(line, sizeof line, f)) {
      log_printf("Archive %s ends before its header does; ignored\n", path);
      return -1;
    }
    size_t length = std::strlen(line);
    header_length += (long long)length;
    if (line[length - 1] != '\n') {
      log_printf("Archive %s has an over-long or unfinished header line; ignored\n", path);
      return -1;
    }
    if (!std::strcmp(line, "-\n")) return header_length;
    HeaderLine member;
    if (!parse_member_line(line, length, &member)) {
      log_printf("Archive %s has a header line without a size; ignored\n", path);
      return -1;
    }
    members->push_back(member);
  }
}

long long file_size(FILE* f) {
  struct stat st;
  return fstat(fileno(f), &st) == 0 ? (long long)st.st_size : -1;
}

}  // namespace

int saf_read_header(const char* path, void (*member)(const SafMember* m, void* context), void* context) {
  FILE* f = std::fopen(path, "rb");
  if (!f) return -1;
  std::vector<HeaderLine> lines;
  long long offset = read_header_lines(f, &lines, path);
  long long total = file_size(f);
  std::fclose(f);
  if (offset < 0) return -1;
  int count = 0;
  SafMember m;
  for (const HeaderLine& line : lines) {
    m.offset = offset;
    m.size = line.size;
    // A member whose bytes are not all there (a cut-off download) would
    // hand its readers half a file; leave it out.
    bool complete = total < 0 || (line.size <= total && offset <= total - line.size);
    if (!complete) {
      log_printf("Archive %s: member %s runs past the end of the file; left out\n", path, line.name.c_str());
      break;
    }
    offset += line.size;
    if (line.name.empty() || line.name.size() >= sizeof m.name) continue;
    std::memcpy(m.name, line.name.c_str(), line.name.size() + 1);
    member(&m, context);
    count++;
  }
  return count;
}

// ---------------------------------------------------------------------------
// Writing
// ---------------------------------------------------------------------------

namespace {

bool member_name_ok(const char* name) {
  if (!name[0] || std::strchr(name, '\n')) return false;
  return std::strlen(name) + 24 < SAF_LINE_MAX;  // size digits, separator, newline
}

// Copies a file's bytes into the archive; false unless exactly size bytes.
bool copy_member(FILE* out, const char* path, long long size) {
  FILE* in = std::fopen(path, "rb");
  if (!in) return false;
  std::vector<char> block(COPY_BLOCK);
  long long copied = 0;
  size_t n;
  while ((n = std::fread(block.data(), 1, block.size(), in)) > 0) {
    if (std::fwrite(block.data(), 1, n, out) != n) break;
    copied += (long long)n;
  }
  std::fclose(in);
  return copied == size;
}

long long path_size(const char* path) {
  struct stat st;
  return (stat(path, &st) == 0 && S_ISREG(st.st_mode)) ? (long long)st.st_size : -1;
}

bool write_archive(FILE* out, const SafInput* members, int count) {
  std::vector<long long> sizes((size_t)count);
  for (int i = 0; i < count; i++) {
    if (!member_name_ok(members[i].name)) {
      log_printf("saf: bad member name \"%s\"\n", members[i].name);
      return false;
    }
    sizes[i] = members[i].path ? path_size(members[i].path) : members[i].size;
    if (sizes[i] < 0) {
      log_printf("saf: can't read %s\n", members[i].path);
      return false;
    }
    if (std::fprintf(out, "%lld %s\n", sizes[i], members[i].name) < 0) return false;
  }
  if (std::fputs("-\n", out) < 0) return false;
  for (int i = 0; i < count; i++) {
    bool ok = members[i].path ? copy_member(out, members[i].path, sizes[i])
                              : std::fwrite(members[i].data, 1, (size_t)sizes[i], out) == (size_t)sizes[i];
    if (!ok) {
      log_printf("saf: can't copy %s\n", members[i].path ? members[i].path : members[i].name);
      return false;
    }
  }
  return true;
}

}  // namespace

bool saf_write(const char* out_path, const SafInput* members, int count) {
  std::string temp = std::string(out_path) + ".tmp";
  FILE* out = std::fopen(temp.c_str(), "wb");
  if (!out) {
    log_printf("saf: can't create %s\n", temp.c_str());
    return false;
  }
  bool ok = write_archive(out, members, count);
  ok = (std::fclose(out) == 0) && ok;
  // Only a complete archive replaces the old one.
  if (ok && std::rename(temp.c_str(), out_path) != 0) ok = false;
  if (!ok) std::remove(temp.c_str());
  return ok;
}

namespace {

struct PackList {
  std::vector<std::pair<std::string, std::string>> files;  // name, path
  std::string skip;                                         // the archive being written
};

bool pack_collect(const char* name, const char* path, long long, void* context) {
  PackList* list = (PackList*)context;
  if (list->skip != path) list->files.emplace_back(name, path);
  return true;
}

}  // namespace

bool saf_pack_folder(const char* folder, const char* out_path) {
  PackList list;
  char real_out[VFS_PATH_MAX];
  if (realpath(out_path, real_out)) list.skip = real_out;
  char real_folder[VFS_PATH_MAX];
  if (!realpath(folder, real_folder)) {
    log_printf("saf: no folder %s\n", folder);
    return false;
  }
  vfs_walk(real_folder, pack_collect, nullptr, &list);
  std::sort(list.files.begin(), list.files.end());
  std::vector<SafInput> members;
  for (const auto& f : list.files) members.push_back(SafInput{f.first.c_str(), f.second.c_str(), nullptr, 0});
  return saf_write(out_path, members.data(), (int)members.size());
}
