// --open-home: create the home folder and show it in the desktop's file
// browser.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

#include "core/launch.h"
#include "files/files.h"

// Runs the desktop's opener on the folder; false when there is none.
static bool desktop_open(const std::string& folder) {
  pid_t pid = fork();
  if (pid < 0) return false;
  if (pid == 0) {
    // Quiet child: the opener's own chatter is not ours to show.
    std::freopen("/dev/null", "w", stdout);
    execlp("xdg-open", "xdg-open", folder.c_str(), (char*)nullptr);
    _exit(127);
  }
  int status = 0;
  if (waitpid(pid, &status, 0) < 0) return false;
  return WIFEXITED(status) && WEXITSTATUS(status) != 127;
}

int open_home() {
  std::string home = vfs_home_folder();
  if (!vfs_make_folders(home.c_str())) {
    std::fprintf(stderr, "Can't create the home folder %s\n", home.c_str());
    return 0;
  }
  // The opener wants the folder itself, without trailing slashes.
  while (home.size() > 1 && home.back() == '/') home.pop_back();
  if (!desktop_open(home))
    std::fprintf(stderr, "No desktop file browser (xdg-open) to show %s\n", home.c_str());
  return 0;
}
