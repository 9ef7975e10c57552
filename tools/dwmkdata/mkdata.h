// dwmkdata: writes the game's default data set from source.
//
// Each kind of data has its own generator file in this folder; main.cpp calls
// them in order. Generators write below the output folder with mk_write_file
// and must produce byte-identical output on every run (no clocks, no
// unseeded randomness), so the data set is reproducible.
#pragma once

#include <cstddef>
#include <string>

// Writes OUTDIR/relpath (creating folders); false with a message on failure.
bool mk_write_file(const std::string& outdir, const std::string& relpath, const void* data, size_t size);
bool mk_write_text(const std::string& outdir, const std::string& relpath, const std::string& text);
