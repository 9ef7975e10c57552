// The whole game under a virtual display: a window that cannot be made ends
// the run with status 1, and the quit request SDL raises for SIGTERM or
// SIGINT ends the main loop so that shutdown runs and saves the settings.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform_test.h"

extern char** environ;

namespace {

std::string read_text(const std::string& path) {
  std::ifstream f(path);
  std::stringstream s;
  s << f.rdbuf();
  return s.str();
}

struct GameRun {
  int status = -1;  // exit status, or 128 + signal
  std::string log;
  std::string errors;  // standard error
};

class GameProcess : public testing::Test {
 protected:
  void SetUp() override {
    binary_ = std::string(DW_BINARY_DIR) + "/dirtwave";
    if (access(binary_.c_str(), X_OK) != 0) GTEST_SKIP() << "the game is not built: " << binary_;
    dir_ = std::string(testing::TempDir()) + "dw_game_" + std::to_string(getpid());
    mkdir(dir_.c_str(), 0755);
    use_test_video();
  }
  void TearDown() override {
    if (!dir_.empty()) std::filesystem::remove_all(dir_);
  }

  // Runs the game; once the log holds `wait_for`, sends `sig`. Gives up
  // (killing the game) after `timeout` seconds.
  GameRun run(std::vector<std::string> args, const char* wait_for, int sig, double timeout) {
    std::string log_path = dir_ + "/lastlog.txt";
    std::remove(log_path.c_str());
    std::vector<std::string> env_text = {"XDG_DATA_HOME=" + dir_, "DW_HOME=" + std::string(DW_BINARY_DIR) + "/data",
                                         "WEFT_LOGFILE=" + log_path, "SDL_AUDIODRIVER=dummy"};
    std::vector<char*> env;
    for (std::string& e : env_text) env.push_back(e.data());
    for (char** e = environ; *e; e++) {
      std::string var(*e);
      if (var.rfind("XDG_DATA_HOME=", 0) && var.rfind("DW_HOME=", 0) && var.rfind("WEFT_LOGFILE=", 0) &&
          var.rfind("SDL_AUDIODRIVER=", 0))
        env.push_back(*e);
    }
    env.push_back(nullptr);
    args.insert(args.begin(), binary_);
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);

    GameRun result;
    std::string err_path = dir_ + "/stderr.txt";
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 2, err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    // The game starts with the default signal handling even when this test
    // was started with SIGINT ignored (as background jobs of a shell are).
    posix_spawnattr_t attr;
    posix_spawnattr_init(&attr);
    sigset_t defaults;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGINT);
    sigaddset(&defaults, SIGTERM);
    posix_spawnattr_setsigdefault(&attr, &defaults);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSIGDEF);
    pid_t pid;
    int spawned = posix_spawn(&pid, binary_.c_str(), &actions, &attr, argv.data(), env.data());
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attr);
    if (spawned != 0) {
      ADD_FAILURE() << "cannot start " << binary_;
      return result;
    }
    bool signalled = !wait_for;
    int raw = 0;
    for (double t = 0; t < timeout; t += 0.02) {
      if (waitpid(pid, &raw, WNOHANG) == pid) {
        result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
        result.log = read_text(log_path);
        result.errors = read_text(err_path);
        return result;
      }
      if (!signalled && read_text(log_path).find(wait_for) != std::string::npos) {
        clock_sleep_seconds(0.3);  // a few frames of the main loop
        kill(pid, sig);
        signalled = true;
      }
      clock_sleep_seconds(0.02);
    }
    kill(pid, SIGKILL);
    waitpid(pid, &raw, 0);
    result.log = read_text(log_path);
    ADD_FAILURE() << "the game did not end in " << timeout << " s; log:\n" << result.log;
    return result;
  }

  std::string binary_, dir_;
};

bool in_order(const std::string& text, std::initializer_list<const char*> lines) {
  size_t at = 0;
  for (const char* line : lines) {
    at = text.find(line, at);
    if (at == std::string::npos) return false;
  }
  return true;
}

TEST_F(GameProcess, WindowThatCannotBeMadeExitsWithStatus1) {
  GameRun r = run({"--zdepth", "64"}, nullptr, 0, 60);
  EXPECT_EQ(r.status, 1) << r.log;
  bool reason = r.log.find("Can't create window!\n") != std::string::npos ||
                r.log.find("Couldn't create OpenGL context\n") != std::string::npos;
  EXPECT_TRUE(reason) << r.log;
}

TEST_F(GameProcess, QuitRequestEndsTheLoopAndShutdownRunsInOrder) {
  for (int sig : {SIGTERM, SIGINT}) {
    SCOPED_TRACE(sig == SIGTERM ? "SIGTERM" : "SIGINT");
    std::string config = dir_ + "/Dirtwave/config";
    std::remove(config.c_str());
    GameRun r = run({"--width", "320", "--height", "240"}, "GL_EXTENSIONS: ", sig, 60);
    if (r.errors.find("No tracks found") != std::string::npos)
      GTEST_SKIP() << "the game data has no track yet, so the game stops before its main loop";
    EXPECT_EQ(r.status, 0) << r.log;
    EXPECT_TRUE(in_order(r.log, {"Creating OpenGL context\n", "GL_VENDOR: ", "Deallocating bikes\n",
                                 "Finished deallocating bikes\n", "Freeing memory (1)\n", "Closing input devices\n",
                                 "Closing audio\n", "Writing config files\n", "Freeing memory (2)\n",
                                 "Freeing memory (3)\n", "Freeing file list\n", "Freeing memory (4)\n",
                                 "Deleting textures\n", "Deleting models\n", "Deleting OpenGL context\n",
                                 "Destroying window\n", "Window shutdown complete\n"}))
        << r.log;
    EXPECT_EQ(access(config.c_str(), R_OK), 0) << "the configuration was not saved";
  }
}

}  // namespace
