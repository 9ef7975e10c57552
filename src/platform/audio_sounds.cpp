// Sounds of the mixing drivers: sample blocks shared by copies, resampled
// once to the output rate, and the operations the game calls on them. Every
// operation takes the audio lock so the mixer never sees half a change.
#include <climits>
#include <cstring>

#include "core/core.h"
#include "platform/platform_local.h"

namespace {

const int kFracBits = 31;
const int kMaxRateFactor = 256;  // playback rate at most this many times the output rate

using Hold = std::lock_guard<std::mutex>;

SampleBlock* block_new(int length) {
  SampleBlock* b = (SampleBlock*)mem_alloc(sizeof(SampleBlock));
  if (!b) return nullptr;
  b->data = (uint8_t*)mem_alloc(length > 0 ? (size_t)length : 1);
  if (!b->data) {
    mem_free(b);
    return nullptr;
  }
  b->refs = 1;
  b->length = length;
  return b;
}

void block_release(SampleBlock* b) {
  if (--b->refs > 0) return;
  mem_free(b->data);
  mem_free(b);
}

// Stored sample i is input sample floor(i * length / stored), by exact
// integer stepping.
void resample(const uint8_t* in, int length, uint8_t* out, int stored) {
  int index = 0;
  int64_t rem = 0;
  for (int i = 0; i < stored; i++) {
    out[i] = in[index];
    rem += length;
    while (rem >= stored) {
      rem -= stored;
      index++;
    }
  }
}

int64_t rate_step(int rate, int mixer_rate) {
  if (rate < 0) rate = 0;
  if ((int64_t)rate > (int64_t)mixer_rate * kMaxRateFactor) rate = mixer_rate * kMaxRateFactor;
  return ((int64_t)rate << kFracBits) / mixer_rate;
}

Sound* sound_alloc(SampleBlock* block) {
  Sound* s = (Sound*)mem_calloc(1, sizeof(Sound));
  if (!s) return nullptr;
  s->block = block;
  s->mixer_rate = mixer.rate;
  s->stereo = mixer.stereo;
  for (int i = 0; i < 2; i++) {
    s->voice[i].sound = s;
    s->voice[i].side = i;
  }
  return s;
}

}  // namespace

Sound* mixer_new_sound(int length, const uint8_t* samples, int sample_rate) {
  if (length < 0 || (length > 0 && !samples) || sample_rate < 0) return nullptr;
  Hold hold(mixer.lock);
  if (!mixer.open) return nullptr;
  int64_t stored = sample_rate > 0 ? (int64_t)length * mixer.rate / sample_rate : length;
  if (stored > INT_MAX / 2) {
    log_printf("Sound of %d samples at %d Hz is too long\n", length, sample_rate);
    return nullptr;
  }
  SampleBlock* block = block_new((int)stored);
  if (!block) return nullptr;
  if (stored == length) {
    if (length > 0) std::memcpy(block->data, samples, (size_t)length);
  } else {
    resample(samples, length, block->data, (int)stored);
  }
  Sound* s = sound_alloc(block);
  if (!s) {
    block_release(block);
    return nullptr;
  }
  s->rate = mixer.rate;
  s->step = rate_step(s->rate, mixer.rate);
  s->volume = 32767;
  s->pan = mixer.stereo ? 0 : -32768;  // a mono mixer has only the left side
  mixer_set_levels(s);
  return s;
}

Sound* mixer_copy_sound(Sound* src) {
  if (!src) return nullptr;
  Hold hold(mixer.lock);
  Sound* s = sound_alloc(src->block);
  if (!s) return nullptr;
  src->block->refs++;
  s->mixer_rate = src->mixer_rate;
  s->stereo = src->stereo;
  s->rate = src->rate;
  s->step = src->step;
  s->volume = src->volume;
  s->pan = src->pan;
  s->loop = src->loop;
  mixer_set_levels(s);
  return s;
}

void mixer_free_sound(Sound* s) {
  if (!s) return;
  Hold hold(mixer.lock);
  mixer_stop(s);
  block_release(s->block);
  mem_free(s);
}

void mixer_play(Sound* s) {
  if (!s) return;
  Hold hold(mixer.lock);
  if (mixer.open) mixer_start(s);
}

void mixer_stop_sound(Sound* s) {
  if (!s) return;
  Hold hold(mixer.lock);
  mixer_stop(s);
}

void mixer_set_rate(Sound* s, int rate) {
  if (!s) return;
  Hold hold(mixer.lock);
  s->rate = rate;
  s->step = rate_step(rate, s->mixer_rate);
}

void mixer_set_volume(Sound* s, int volume) {
  if (!s) return;
  Hold hold(mixer.lock);
  s->volume = volume < 0 ? 0 : volume > 32767 ? 32767 : volume;
  mixer_set_levels(s);
}

void mixer_set_pan(Sound* s, int pan) {
  if (!s) return;
  Hold hold(mixer.lock);
  if (!s->stereo) return;  // stays hard left: all of it on the one side
  s->pan = pan < -32768 ? -32768 : pan > 32767 ? 32767 : pan;
  mixer_set_levels(s);
}

void mixer_set_loop(Sound* s, bool loop) {
  if (!s) return;
  Hold hold(mixer.lock);
  s->loop = loop;
}

int mixer_play_position(Sound* s) {
  if (!s) return 0;
  Hold hold(mixer.lock);
  if (!s->playing || s->restart) return 0;
  return (int)(s->pos >> kFracBits);
}

// Copies count bytes into the samples at offset (modulo the length),
// wrapping at the end; of more bytes than the sound holds only the last
// length bytes are written, where they would have landed.
void mixer_write(Sound* s, int count, const uint8_t* bytes, int offset) {
  if (!s || !bytes || count <= 0) return;
  Hold hold(mixer.lock);
  int length = s->block->length;
  if (length <= 0) return;
  int64_t at = offset;
  if (count > length) {
    bytes += count - length;
    at += count - length;
    count = length;
  }
  at %= length;
  if (at < 0) at += length;
  uint8_t* data = s->block->data;
  int first = length - (int)at < count ? length - (int)at : count;
  std::memcpy(data + at, bytes, (size_t)first);
  if (count > first) std::memcpy(data, bytes + first, (size_t)(count - first));
}
