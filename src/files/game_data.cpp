// Finding the game data: the marker archive "zzzz.saf" in a search folder,
// recognised by the RIPEMD-160 digest of its first megabyte.
#include <cctype>
#include <cstdio>
#include <cstring>
#include <nettle/ripemd160.h>
#include <string>

#include "files/vfs_local.h"
#include "platform/platform.h"

namespace {

enum { MAX_ACCEPTED = 8, MARKER_BYTES = 1048576, MARKER_CHUNK = 256 };

struct AcceptedDigests {
  int count;
  char hex[MAX_ACCEPTED][41];   // lower-case hex digests
};

// Plain data only: the executable registers its digest from a static
// initialiser, which may run before any constructor of this library.
AcceptedDigests g_accepted;

bool digest_accepted(const char* hex) {
  for (int i = 0; i < g_accepted.count; i++)
    if (!std::strcmp(g_accepted.hex[i], hex)) return true;
  return false;
}

// Points the log at the home folder's "lastlog.txt" (unless the environment
// already names a log file). The directive must be the log's first message,
// and it is matched on the raw format text, so it goes in as the format.
void send_log_directive(const char* home) {
  std::string directive = std::string("WEFT_LOGFILE=") + home + "lastlog.txt";
  // A "%" in the folder name would be read as a conversion if the log were
  // already set up; such a folder just keeps the default log place.
  if (directive.find('%') != std::string::npos) return;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-security"
  log_printf(directive.c_str());
#pragma GCC diagnostic pop
}

}  // namespace

void vfs_accept_game_data(const char* digest_hex) {
  char hex[41];
  size_t n = std::strlen(digest_hex);
  if (n != 40 || g_accepted.count >= MAX_ACCEPTED) return;
  for (size_t i = 0; i < 40; i++) {
    if (!std::isxdigit((unsigned char)digest_hex[i])) return;
    hex[i] = (char)std::tolower((unsigned char)digest_hex[i]);
  }
  hex[40] = 0;
  if (digest_accepted(hex)) return;
  std::memcpy(g_accepted.hex[g_accepted.count++], hex, sizeof hex);
}

bool vfs_marker_digest(const char* path, char hex[41]) {
  FILE* f = std::fopen(path, "rb");
  if (!f) return false;
  ripemd160_ctx ctx;
  ripemd160_init(&ctx);
  uint8_t chunk[MARKER_CHUNK];
  size_t total = 0, n;
  while (total < MARKER_BYTES && (n = std::fread(chunk, 1, sizeof chunk, f)) > 0) {
    ripemd160_update(&ctx, n, chunk);
    total += n;
  }
  std::fclose(f);
  uint8_t digest[RIPEMD160_DIGEST_SIZE];
  ripemd160_digest(&ctx, sizeof digest, digest);
  for (int i = 0; i < RIPEMD160_DIGEST_SIZE; i++) std::snprintf(hex + 2 * i, 3, "%02x", digest[i]);
  return true;
}

bool vfs_find_game_data() {
  const char* home = vfs_home_folder();
  if (vfs_home_exists() && std::strlen(home) < VFS_PATH_MAX) {
    vfs_make_folders(home);
    send_log_directive(home);
  }
  for (int i = 0; const char* folder = vfs_search_folder(i); i++) {
    std::string marker = std::string(folder) + "zzzz.saf";
    char hex[41];
    if (!vfs_marker_digest(marker.c_str(), hex)) continue;
    if (digest_accepted(hex)) {
      log_printf("Game data found in %s\n", folder);
      return true;
    }
    log_printf("%s is not this game's data (digest %s)\n", marker.c_str(), hex);
  }
  return false;
}
