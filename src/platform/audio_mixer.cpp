// The software mixer behind the device and readback drivers: voices sorted
// into lists by level, the loudest mixed first until the channel budget is
// spent, with integer accumulation through precomputed level tables.
#include <cstring>

#include "core/core.h"
#include "platform/platform_local.h"

Mixer mixer;

namespace {

const int kFracBits = 31;
const int64_t kOne = (int64_t)1 << kFracBits;  // a step of one sample

// level_tables[L][u]: stored sample byte u (signed value u - 128) at level
// L / 32. Level 0 is silence and never mixed, so its row stays unused.
int8_t g_level_tables[MIXER_LEVELS][256];

bool build_level_tables() {
  for (int level = 1; level <= LEVEL_MAX; level++) {
    int8_t* row = g_level_tables[level];
    // Exact stepping: acc = s * level, entry = acc / 32 rounded down.
    int acc = 0;
    for (int s = 0; s <= 128; s++, acc += level) {
      int entry = acc >> 5;
      if (s <= 127) row[128 + s] = (int8_t)entry;
      if (s >= 1) row[128 - s] = (int8_t)-entry;  // negatives mirror positives
    }
  }
  return true;
}

// ---------------------------------------------------------------------------
// Voice lists
// ---------------------------------------------------------------------------

void voice_unlink(Voice* v) {
  if (!v->listed) return;
  int side = v->side;
  if (v->prev) v->prev->next = v->next;
  else mixer.lists[side][v->level] = v->next;
  if (v->next) v->next->prev = v->prev;
  else mixer.tails[side][v->level] = v->prev;
  v->prev = v->next = nullptr;
  v->listed = false;
}

// Newest voices go last: at equal level the ones already playing win.
void voice_link(Voice* v) {
  if (v->listed) return;
  int side = v->side;
  v->next = nullptr;
  v->prev = mixer.tails[side][v->level];
  if (v->prev) v->prev->next = v;
  else mixer.lists[side][v->level] = v;
  mixer.tails[side][v->level] = v;
  v->listed = true;
}

int voices_of(const Sound* s) { return s->stereo ? 2 : 1; }

// ---------------------------------------------------------------------------
// Mixing one voice
// ---------------------------------------------------------------------------

struct MixResult {
  int64_t end;    // read position after the block
  bool finished;  // a non-looping sound ran out
};

// Where the read position ends after n samples, without mixing.
MixResult voice_skip(const Sound* s, int n) {
  int64_t limit = (int64_t)s->block->length << kFracBits;
  int64_t end = s->pos + (int64_t)n * s->step;
  if (limit == 0) return {0, true};
  if (end < limit) return {end, false};
  if (s->loop) return {end % limit, false};
  return {end, true};
}

MixResult voice_mix(const Sound* s, int32_t* acc, const int8_t* table, int n) {
  const uint8_t* data = s->block->data;
  int length = s->block->length;
  int64_t limit = (int64_t)length << kFracBits;
  if (limit == 0) return {0, true};
  int64_t pos = s->pos, step = s->step;
  int i = 0;
  if (step == kOne && (pos & (kOne - 1)) == 0) {
    // The usual case after resampling: one stored sample per output sample.
    int index = (int)(pos >> kFracBits);
    while (i < n) {
      int run = length - index < n - i ? length - index : n - i;
      for (int k = 0; k < run; k++) acc[i + k] += table[data[index + k]];
      i += run;
      index += run;
      if (index < length) break;
      if (!s->loop) return {limit, true};
      index = 0;
    }
    return {(int64_t)index << kFracBits, false};
  }
  for (; i < n; i++) {
    acc[i] += table[data[pos >> kFracBits]];
    pos += step;
    if (pos >= limit) {
      if (!s->loop) return {pos, true};
      pos %= limit;
    }
  }
  return {pos, false};
}

// ---------------------------------------------------------------------------
// Output conversion
// ---------------------------------------------------------------------------

void convert_8bit() {
  uint8_t* out = mixer.out;
  int sides = mixer.stereo ? 2 : 1;
  for (int i = 0; i < mixer.block_samples; i++)
    for (int side = 0; side < sides; side++) {
      int32_t v = mixer.accum[side][i];
      *out++ = v < -127 ? 0 : v > 126 ? 255 : (uint8_t)(v + 128);
    }
}

void convert_16bit() {
  int16_t* out = (int16_t*)mixer.out;
  int sides = mixer.stereo ? 2 : 1;
  for (int i = 0; i < mixer.block_samples; i++)
    for (int side = 0; side < sides; side++) {
      int32_t v = mixer.accum[side][i];
      *out++ = (int16_t)(v < -126 ? -32512 : v > 126 ? 32512 : v * 256);
    }
}

// A pending restart puts the read position back at the start.
void apply_restarts() {
  for (auto& side : mixer.lists)
    for (Voice* head : side)
      for (Voice* v = head; v; v = v->next)
        if (v->sound->restart) {
          v->sound->pos = 0;
          v->sound->restart = false;
        }
}

// Read positions move on; finished sounds leave the lists and stop.
void commit_positions() {
  for (auto& side : mixer.lists)
    for (Voice*& head : side)
      for (Voice* v = head; v;) {
        Voice* next = v->next;
        Sound* s = v->sound;
        s->pos = s->end_pos;
        if (s->finished) {
          voice_unlink(v);
          s->playing = false;
        }
        v = next;
      }
}

}  // namespace

const int8_t* level_table(int level) {
  static const bool built = build_level_tables();
  (void)built;
  if (level < 1 || level > LEVEL_MAX) return nullptr;
  return g_level_tables[level];
}

bool mixer_init(int rate, int channels, bool stereo, int sample_bytes, int block_samples) {
  level_table(1);
  int sides = stereo ? 2 : 1;
  mixer.accum[0] = (int32_t*)mem_calloc((size_t)block_samples, sizeof(int32_t));
  mixer.accum[1] = (int32_t*)mem_calloc((size_t)block_samples, sizeof(int32_t));
  mixer.out = (uint8_t*)mem_calloc((size_t)block_samples * sides, (size_t)sample_bytes);
  if (!mixer.accum[0] || !mixer.accum[1] || !mixer.out) {
    mixer_shutdown();
    return false;
  }
  std::memset(mixer.lists, 0, sizeof mixer.lists);
  std::memset(mixer.tails, 0, sizeof mixer.tails);
  mixer.rate = rate;
  mixer.channels = channels;
  mixer.stereo = stereo;
  mixer.sample_bytes = sample_bytes;
  mixer.block_samples = block_samples;
  mixer.open = true;
  return true;
}

// Every sound still playing stops; the sounds themselves live on until freed.
void mixer_shutdown() {
  for (auto& side : mixer.lists)
    for (Voice* head : side)
      for (Voice* v = head; v;) {
        Voice* next = v->next;
        v->sound->playing = false;
        v->prev = v->next = nullptr;
        v->listed = false;
        v = next;
      }
  std::memset(mixer.lists, 0, sizeof mixer.lists);
  std::memset(mixer.tails, 0, sizeof mixer.tails);
  mem_free(mixer.accum[0]);
  mem_free(mixer.accum[1]);
  mem_free(mixer.out);
  mixer.accum[0] = mixer.accum[1] = nullptr;
  mixer.out = nullptr;
  mixer.open = false;
}

void mixer_mix_block() {
  int n = mixer.block_samples;
  std::memset(mixer.accum[0], 0, sizeof(int32_t) * n);
  std::memset(mixer.accum[1], 0, sizeof(int32_t) * n);
  apply_restarts();
  int budget = mixer.channels;
  for (int level = LEVEL_MAX; level >= 0; level--)
    for (int side = 0; side < 2; side++)
      for (Voice* v = mixer.lists[side][level]; v; v = v->next) {
        Sound* s = v->sound;
        bool heard = budget > 0 && level >= 1;
        if (heard) budget--;
        MixResult r = heard ? voice_mix(s, mixer.accum[side], g_level_tables[level], n) : voice_skip(s, n);
        s->end_pos = r.end;
        s->finished = r.finished;
      }
  commit_positions();
  if (mixer.sample_bytes == 1) convert_8bit();
  else convert_16bit();
}

void mixer_set_levels(Sound* s) {
  int64_t left = ((int64_t)(32767 - s->pan) * s->volume) >> 26;
  int64_t right = ((int64_t)s->volume * (s->pan + 32768)) >> 26;
  int levels[2] = {(int)left, (int)right};
  for (int i = 0; i < voices_of(s); i++) {
    Voice* v = &s->voice[i];
    if (v->level == levels[i]) continue;
    bool listed = v->listed;
    voice_unlink(v);
    v->level = levels[i];
    if (listed) voice_link(v);
  }
}

void mixer_start(Sound* s) {
  s->finished = false;
  if (s->playing) {
    s->restart = true;
    return;
  }
  s->pos = 0;
  s->restart = false;
  s->playing = true;
  for (int i = 0; i < voices_of(s); i++) voice_link(&s->voice[i]);
}

void mixer_stop(Sound* s) {
  for (int i = 0; i < 2; i++) voice_unlink(&s->voice[i]);
  s->playing = false;
  s->restart = false;
}
