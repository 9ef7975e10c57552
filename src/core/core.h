// Core utilities shared by every subsystem: memory layer, console messages,
// error box, string pool, growable array, heap sort and the shared random
// generator.
#pragma once

#include <cstddef>
#include <cstdint>

// ---------------------------------------------------------------------------
// Memory layer. Every allocation of the game goes through these. With the
// environment variable DW_CHECK_ALLOC > 0, live blocks are recorded and
// mem_report() lists those never released.
// ---------------------------------------------------------------------------

void* mem_alloc(size_t size);
void* mem_calloc(size_t count, size_t size);
void* mem_realloc(void* block, size_t size);
void mem_free(void* block);
void mem_report();                 // "%p:%d\n" per live block, on stderr
// Allocates or ends the game with "Error" / "Out of virtual memory".
void* alloc_or_die(size_t size);
[[noreturn]] void fatal_out_of_memory();

// Checker state, exposed for tests.
bool mem_checking();
int mem_live_count();
void mem_reset_checker_for_test(bool enabled);

// Handlers run by fatal_out_of_memory() before the error box: the audio and
// window owners register how to close their devices.
void mem_set_fatal_cleanup(void (*close_audio)(), void (*close_window)());

// ---------------------------------------------------------------------------
// Console messages: a ring of the last 1000 lines shown by the HUD.
// ---------------------------------------------------------------------------

enum { CONSOLE_LINES = 1000, CONSOLE_LINE_CHARS = 255 };

struct Console {
  char lines[CONSOLE_LINES][CONSOLE_LINE_CHARS + 1];
  int write_index;        // next line to write, 0..999
  int visible;            // lines the HUD shows, newest first
  double fade_deadline;   // game clock (s) when the oldest visible line fades
};
extern Console console;

void console_clear();
// Logs the text and stores it as the newest console line; returns the number
// of visible lines. Formatted variant below.
int console_message(const char* text);
int console_printf(const char* format, ...) __attribute__((format(printf, 1, 2)));
// The i-th newest line (0 = newest).
const char* console_line(int age);
// Per-frame fading, called by the main loop with the game clock.
void console_fade(double game_clock);
// The game clock read by console_message (set by the main loop).
void console_set_clock(double game_clock);

// ---------------------------------------------------------------------------
// Error box: a modal message box when a display exists, stderr otherwise.
// ---------------------------------------------------------------------------

void error_box(const char* title, const char* format, ...) __attribute__((format(printf, 2, 3)));
// The platform's message box; returns false when none could be shown.
void error_box_set_handler(bool (*show)(const char* title, const char* text));

// ---------------------------------------------------------------------------
// String pool: distinct strings kept for the whole run.
// ---------------------------------------------------------------------------

const char* pool_string(const char* text);
int pool_count();

// ---------------------------------------------------------------------------
// Growable array of fixed-size items; capacity doubles from 16.
// ---------------------------------------------------------------------------

struct GrowArray {
  void* items;        // item storage
  int capacity;       // items the storage holds
  int count;          // items in use
  int item_size;      // bytes per item
};

void array_init(GrowArray* a, int item_size);
// Appends a copy of item (zero-filled when null); false if it cannot grow.
bool array_append(GrowArray* a, const void* item);
void* array_at(GrowArray* a, int index);
void array_free(GrowArray* a);

// ---------------------------------------------------------------------------
// Heap sort: ascending by compare(a, b) > 0 meaning a sorts after b; the
// order of equal items follows from the exact sift steps.
// ---------------------------------------------------------------------------

void heap_sort(void* base, size_t count, size_t item_size, int (*compare)(const void*, const void*));

// ---------------------------------------------------------------------------
// Shared random generator: reference MT19937, regenerating one state word
// per draw. All zero before the first seeding.
// ---------------------------------------------------------------------------

void random_seed(uint32_t seed);
uint32_t random_next();
