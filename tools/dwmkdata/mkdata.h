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

// Generators, one per kind of data, in the order main() calls them.

// zzzz.saf, the archive the game recognises its data folder by.
bool mk_marker_archive(const std::string& outdir);

// tracks/rabbithill (the default track) and tracks/flattest (for tests).
bool mk_track_rabbithill(const std::string& outdir);
bool mk_track_flattest(const std::string& outdir);

// Bike, wheel and rider models and the stock collision shapes of every
// catalogue model (bikes.cpp).
bool mk_bikes(const std::string& outdir);
