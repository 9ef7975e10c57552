// Search folders: the home folder, then $DW_HOME (or the program's own
// folder), each normalised to "/" separators and ending in "/". Also the
// folder maker and the recursive folder walker.
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <pwd.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "files/vfs_local.h"

namespace {

enum { MAX_SEARCH_FOLDERS = 2 };

struct SearchFolders {
  bool computed;                                  // built on first use
  bool has_home;                                  // folder 0 is the home folder
  int count;
  char folders[MAX_SEARCH_FOLDERS][VFS_PATH_MAX];  // each ending in "/"
};

SearchFolders g_search;

// Backslashes become "/", runs of "/" one "/", and a final "/" is added.
// False when the result does not fit.
bool folder_normalise(const std::string& raw, char* out) {
  std::string path;
  for (char c : raw) {
    if (c == '\\') c = '/';
    if (c == '/' && !path.empty() && path.back() == '/') continue;
    path += c;
  }
  if (path.empty() || path.back() != '/') path += '/';
  if (path.size() >= VFS_PATH_MAX) return false;
  std::memcpy(out, path.c_str(), path.size() + 1);
  return true;
}

// The per-user data folder: $XDG_DATA_HOME (absolute paths only, as the XDG
// rules say) or ~/.local/share. Empty when the user has no home at all.
std::string user_data_folder() {
  const char* xdg = std::getenv("XDG_DATA_HOME");
  if (xdg && xdg[0] == '/') return xdg;
  const char* home = std::getenv("HOME");
  if (!home || !home[0]) {
    struct passwd* pw = getpwuid(getuid());
    home = pw ? pw->pw_dir : nullptr;
  }
  if (!home || !home[0]) return "";
  return std::string(home) + "/.local/share";
}

std::string executable_folder() {
  char path[VFS_PATH_MAX];
  ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
  if (n <= 0) return "";
  path[n] = 0;
  char* slash = std::strrchr(path, '/');
  if (!slash) return "";
  slash[1] = 0;
  return path;
}

void add_folder(const std::string& raw) {
  if (raw.empty() || g_search.count >= MAX_SEARCH_FOLDERS) return;
  if (folder_normalise(raw, g_search.folders[g_search.count])) g_search.count++;
}

void search_folders_compute() {
  g_search = SearchFolders{};
  g_search.computed = true;
  std::string data = user_data_folder();
  if (!data.empty()) {
    add_folder(data + "/Dirtwave/");
    g_search.has_home = g_search.count == 1;
  }
  const char* dw_home = std::getenv("DW_HOME");
  if (dw_home)
    add_folder(std::string(dw_home) + "/");
  else
    add_folder(executable_folder());
}

bool is_folder(const char* path) {
  struct stat st;
  return stat(path, &st) == 0 && S_ISDIR(st.st_mode);
}

struct FolderId {
  dev_t device;
  ino_t inode;
};

struct Walk {
  bool (*file)(const char* name, const char* path, long long size, void* context);
  void (*entered)();
  void* context;
  size_t root_length;             // characters of the search folder in every path
  bool stopped;
  std::vector<FolderId> open;     // the folders being walked, outermost first
};

// A linked folder that leads back to one being walked would be walked
// without end; it is left out.
bool folder_in_walk(const Walk* w, const struct stat& st) {
  for (const FolderId& f : w->open)
    if (f.device == st.st_dev && f.inode == st.st_ino) return true;
  return false;
}

void walk_folder(Walk* w, std::string& path, const struct stat& folder) {
  if (folder_in_walk(w, folder)) return;
  if (w->entered) w->entered();
  DIR* dir = opendir(path.c_str());
  if (!dir) return;
  w->open.push_back(FolderId{folder.st_dev, folder.st_ino});
  size_t length = path.size();
  while (struct dirent* e = readdir(dir)) {
    if (!std::strcmp(e->d_name, ".") || !std::strcmp(e->d_name, "..")) continue;
    path.resize(length);
    path += e->d_name;
    if (path.size() >= VFS_PATH_MAX - 1) continue;
    struct stat st;
    if (stat(path.c_str(), &st) != 0) continue;  // a dangling link, or gone meanwhile
    if (S_ISDIR(st.st_mode)) {
      path += '/';
      walk_folder(w, path, st);
    } else if (S_ISREG(st.st_mode)) {
      if (!w->file(path.c_str() + w->root_length, path.c_str(), (long long)st.st_size, w->context)) w->stopped = true;
    }
    if (w->stopped) break;
  }
  closedir(dir);
  w->open.pop_back();
}

}  // namespace

const char* vfs_search_folder(int i) {
  if (!g_search.computed) search_folders_compute();
  return (i >= 0 && i < g_search.count) ? g_search.folders[i] : nullptr;
}

const char* vfs_home_folder() {
  const char* home = vfs_search_folder(0);
  return home ? home : "";
}

bool vfs_home_exists() {
  vfs_search_folder(0);
  return g_search.has_home;
}

void vfs_search_folders_free() { g_search = SearchFolders{}; }

bool vfs_make_folders(const char* path) {
  size_t n = std::strlen(path);
  if (n == 0 || n >= VFS_PATH_MAX) return false;
  char prefix[VFS_PATH_MAX];
  bool ok = true;
  for (size_t i = 1; i < n; i++) {
    if (path[i] != '/' || path[i - 1] == '/') continue;
    std::memcpy(prefix, path, i);
    prefix[i] = 0;
    if (mkdir(prefix, 0777) != 0 && errno != EEXIST) ok = false;
  }
  if (path[n - 1] == '/') {
    std::memcpy(prefix, path, n);
    prefix[n] = 0;
    ok = is_folder(prefix);
  }
  return ok;
}

void vfs_walk(const char* folder, bool (*file)(const char* name, const char* path, long long size, void* context),
              void (*entered)(), void* context) {
  std::string path = folder;
  if (path.empty()) return;
  if (path.back() != '/') path += '/';
  struct stat st;
  if (stat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return;
  Walk w{file, entered, context, path.size(), false, {}};
  walk_folder(&w, path, st);
}
