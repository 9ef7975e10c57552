# cmake -DDWSAF=<dwsaf> -DMARKER=<zzzz.saf> -DOUT=<file.cpp> -P digest_source.cmake
# Writes the source that tells the game which marker archive is its data.
execute_process(COMMAND ${DWSAF} digest ${MARKER}
                OUTPUT_VARIABLE digest RESULT_VARIABLE status OUTPUT_STRIP_TRAILING_WHITESPACE)
if(NOT status EQUAL 0 OR NOT digest MATCHES "^[0-9a-f]+$")
  message(FATAL_ERROR "Can't take the digest of ${MARKER}")
endif()
file(WRITE ${OUT}
"// Written by the build from the data set's zzzz.saf; edits are lost.
#include \"files/files.h\"

// The digest of the marker archive of the data set this game was built with.
extern const char game_data_digest[] = \"${digest}\";

// Registered before main() runs, so the start-up's game data check knows it.
[[maybe_unused]] static const bool game_data_registered = (vfs_accept_game_data(game_data_digest), true);
")
