// Files and settings: the virtual file system (home folder, second folder and
// ".saf" archives joined into one case-insensitive name space), the stream
// every parser reads through, and the configuration file.
//
// Names that begin with "@" are looked up in the search folders, then in the
// file index (archive members); any other name is an ordinary path. Reading
// a name also finds its gzip (".gz"), scrambled (".scram") and scrambled gzip
// (".gz.scram") variants and hands back the plain bytes.
#pragma once

#include <cstdarg>
#include <cstddef>
#include <cstdint>

// ---------------------------------------------------------------------------
// Search folders and the game data
// ---------------------------------------------------------------------------

enum { VFS_PATH_MAX = 1024 };  // paths longer than 1023 characters are refused

// The i-th search folder, ending in "/" (null past the end). Folder 0 is the
// home folder ($XDG_DATA_HOME/Dirtwave/ or ~/.local/share/Dirtwave/) when
// the machine has one; the next is $DW_HOME/, or the executable's folder
// when DW_HOME is not set. Computed on first use.
const char* vfs_search_folder(int i);
// The home folder (search folder 0), or "" when there is no folder at all.
const char* vfs_home_folder();
// Creates every folder along path (each prefix that ends just before a "/");
// true when all of them exist afterwards.
bool vfs_make_folders(const char* path);

// The marker archive "zzzz.saf" identifies the game data by its RIPEMD-160
// digest (40 hex digits). The game's executable registers the digest of the
// data set it was built with; tests register their own.
void vfs_accept_game_data(const char* digest_hex);
// Creates the home folder, points the log at its "lastlog.txt", then looks
// for a marker archive with an accepted digest in the search folders.
bool vfs_find_game_data();
// Hex digest (41 bytes with the terminator) of a file's first 1 MiB, the
// way the marker check computes it; false when the file can't be opened.
bool vfs_marker_digest(const char* path, char hex[41]);

// ---------------------------------------------------------------------------
// File index and file list
// ---------------------------------------------------------------------------

// Builds the index of every file in the search folders and every member of
// the archives among them (first call only) and returns the file list: the
// names, sorted without regard to letter case, duplicates dropped (the
// highest-priority one kept), ending with a null entry.
const char* const* vfs_build_file_index();
void vfs_free_file_index();
// Entries of the index (duplicates included), for listings.
int vfs_file_index_count();
// "<name> -> <full path>" of index entry i, cut to fit; false when there is
// no such entry (the buffer then holds "").
bool vfs_describe_entry(int i, char* buffer, int size);
// The loading screen's busy indicator, refreshed for every folder entered
// and every archive read while the index is built (none by default).
void vfs_set_busy_callback(void (*busy)());

// Frees the search folders and the index, so the next use starts over (at
// shutdown, and in tests after changing the environment).
void vfs_shutdown();

// ---------------------------------------------------------------------------
// Streams
// ---------------------------------------------------------------------------

struct Stream;  // an open file, archive member, gzip or scrambled stream

enum { STREAM_EOF = -1 };

// Opens a name with a C file mode ("rb", "wb", "a", ...). A mode starting
// with "~" first copies an existing file to its first free numbered backup
// "<path>.~<n>~". Writing creates the folders along the path. Archive
// members are found once the file index is built. Null on failure (callers
// report it in their own words).
Stream* stream_open(const char* name, const char* mode);
// Closes and frees; false when buffered output could not be written.
bool stream_close(Stream* s);

// Reading. A byte is returned as 0..255, or STREAM_EOF at the end.
int stream_read_char(Stream* s);
int stream_peek_char(Stream* s);
// Up to size - 1 bytes, stopping after a newline (kept); always terminated.
// False when nothing could be read.
bool stream_read_line(Stream* s, char* buffer, int size);
// Up to size bytes, never past the end of an archive member; the count read.
size_t stream_read_block(Stream* s, void* buffer, size_t size);
// C scanf rules over the stream: literals, white space, %%, and d i o u x X
// f e g s c [ ] n with width, "*", "hh", "h", "l", "ll", "L", "q". Returns
// the assignments made, or -1 when the input ends before the first
// conversion.
int stream_scan(Stream* s, const char* format, ...) __attribute__((format(scanf, 2, 3)));
int stream_vscan(Stream* s, const char* format, va_list args);

// Writing.
int stream_print(Stream* s, const char* format, ...) __attribute__((format(printf, 2, 3)));
bool stream_write_char(Stream* s, int c);
bool stream_write_string(Stream* s, const char* text);
size_t stream_write_block(Stream* s, const void* data, size_t size);
bool stream_flush(Stream* s);

// Bytes consumed (reading) or written so far.
long long stream_tell(Stream* s);
// Moves to a position of a plain, uncompressed stream (inside a member's
// size); clears the pushed-back byte. False when not possible.
bool stream_seek(Stream* s, long long position);
// Size of the content when known without reading it (plain files and
// archive members), else -1 (gzip and scrambled streams).
long long stream_size(Stream* s);

// Renames a file ("@" names resolve to the home folder), replacing the
// target. True on success.
bool vfs_rename(const char* from, const char* to);

// Whole content of a name plus a terminating zero byte (free it with
// mem_free), or null when it can't be read or is 16 MiB or more. length,
// when given, receives the byte count without the terminator.
char* file_to_string(const char* name, size_t* length = nullptr);

// Lets the process keep a large working set; called at every race reset.
void vfs_adjust_working_set();

// ---------------------------------------------------------------------------
// Scrambled files (".scram"): a magic word, an 8-byte nonce, then the data
// XORed with the ChaCha20 key stream of the game's fixed key and that nonce.
// ---------------------------------------------------------------------------

enum { SCRAMBLE_HEADER_SIZE = 12 };
// Writes the scrambled form of data to path; the nonce is taken from the
// data's digest so the same input always gives the same file.
bool scramble_write_file(const char* path, const void* data, size_t size);

// ---------------------------------------------------------------------------
// ".saf" archives
// ---------------------------------------------------------------------------

struct SafMember {
  char name[VFS_PATH_MAX];  // member name, "/" separated
  long long offset;         // bytes from the start of the archive file
  long long size;           // bytes
};

// Reads an archive's header. Calls member() once per member in header
// order; returns the member count, or -1 (and no calls) when the archive
// can't be opened or its header is damaged: then it contributes nothing.
// Members whose bytes run past the end of the file are left out, with those
// after them.
int saf_read_header(const char* path, void (*member)(const SafMember* m, void* context), void* context);
// A member to write: the bytes of a file, or bytes in memory.
struct SafInput {
  const char* name;   // member name as stored
  const char* path;   // file to copy, or null to take data
  const void* data;   // the bytes when path is null
  long long size;     // bytes of data (ignored with a path)
};
// Writes an archive of the members in the given order, through a temporary
// file so a failure leaves any previous archive whole; false with a log line.
bool saf_write(const char* out_path, const SafInput* members, int count);
// Packs every regular file below folder (names relative to it, sorted by
// byte value so the archive is the same on every machine).
bool saf_pack_folder(const char* folder, const char* out_path);

// ---------------------------------------------------------------------------
// Configuration file "@config"
// ---------------------------------------------------------------------------

// Reads "@config" into the settings; a missing file leaves the defaults.
void config_read();
// Writes "@config" through a temporary file, so a failed write keeps the
// previous file; false when nothing was written. The track is written from
// settings.track, which the track list keeps at the selected track.
bool config_write();
// Applies one "key=value" pair the way reading the file does; false when
// the key is unknown.
bool config_apply_pair(const char* key, const char* value);

// Bike setup keys carried by the configuration file: the reader offers every
// pair here first (true when the key was a setup key), and the writer lets
// the setup block write its lines at its place in the file.
bool setup_config_read_pair(const char* key, const char* value);
void setup_config_write(Stream* s);
// One setup key from a setup file or the console; false when key is not a
// setup key. With warn, values that are not usable or were clamped are
// logged. "stability" also applies its preset to the aids it drives.
bool setup_read_key(const char* key, const char* value, bool warn);
// The setup block, one "key=value" line per setup key.
void setup_write_block(Stream* s);
// "@setups/<name>" (white space trimmed): load shows "Setup updated" or
// "Error reading setup", save "Setup written" or "Error writing setup".
// Unknown keys in a loaded file are logged and skipped. What a loaded setup
// changes beyond the settings (texture lists, the ridden bike) is up to the
// caller.
bool setup_file_load(const char* name);
bool setup_file_save(const char* name);
