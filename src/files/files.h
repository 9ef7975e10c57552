// Files and settings: the virtual file system over the home folder, the
// second search folder and ".saf" archives; the configuration file.
#pragma once

#include <string>

// ---------------------------------------------------------------------------
// Search folders and the game data
// ---------------------------------------------------------------------------

// The home folder ("$XDG_DATA_HOME/Dirtwave/" or "~/.local/share/Dirtwave/").
std::string vfs_home_folder();
// Creates every folder along the path; false on failure.
bool vfs_make_folders(const char* path);
// Creates the home folder, starts the log there and checks the marker
// archive. False when the game data is not found.
bool vfs_find_game_data();

// ---------------------------------------------------------------------------
// File index
// ---------------------------------------------------------------------------

// Builds the index once and returns the file list (null-terminated).
const char* const* vfs_build_file_index();
void vfs_free_file_index();

// ---------------------------------------------------------------------------
// Configuration file
// ---------------------------------------------------------------------------

void config_read();
void config_write();
