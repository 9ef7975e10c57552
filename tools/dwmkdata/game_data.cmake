# The default data set. After dwmkdata is built it writes the data into
# <build>/data; the digest of the marker archive it made is then written into
# a source file that only the dirtwave executable compiles. (The library
# can't hold the digest: dwmkdata itself links the library.)
set(DW_DATA_DIR ${CMAKE_BINARY_DIR}/data)
set(DW_DATA_DIGEST_SOURCE ${CMAKE_BINARY_DIR}/generated/data_digest.cpp)
add_custom_command(
  OUTPUT ${DW_DATA_DIR}/zzzz.saf ${DW_DATA_DIGEST_SOURCE}
  COMMAND dwmkdata ${DW_DATA_DIR}
  COMMAND ${CMAKE_COMMAND} -DDWSAF=$<TARGET_FILE:dwsaf> -DMARKER=${DW_DATA_DIR}/zzzz.saf
          -DOUT=${DW_DATA_DIGEST_SOURCE} -P ${CMAKE_CURRENT_LIST_DIR}/digest_source.cmake
  DEPENDS dwmkdata dwsaf ${CMAKE_CURRENT_LIST_DIR}/digest_source.cmake
  COMMENT "Writing the default data set into ${DW_DATA_DIR}"
  VERBATIM)
add_custom_target(game_data ALL DEPENDS ${DW_DATA_DIR}/zzzz.saf ${DW_DATA_DIGEST_SOURCE})
target_sources(dirtwave PRIVATE ${DW_DATA_DIGEST_SOURCE})
add_dependencies(dirtwave game_data)
# Tests read the default data (DW_DATA_DIR); the file-system tests also
# check it against the digest baked in.
file(GLOB dw_test_dirs LIST_DIRECTORIES true RELATIVE ${CMAKE_SOURCE_DIR}/tests ${CMAKE_SOURCE_DIR}/tests/*)
foreach(dir ${dw_test_dirs})
  if(TARGET test_${dir})
    add_dependencies(test_${dir} game_data)
  endif()
endforeach()
