// The readers' one door to the file system: "@" names, archives and the
// compressed variants all come through the file layer.
#include "files/files.h"
#include "gfx/model_scan.h"

char* gfx_read_file(const char* path, size_t* size) { return file_to_string(path, size); }

const char* const* gfx_file_list() { return vfs_build_file_index(); }
