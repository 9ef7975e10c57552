// The game's door to sound: picks a driver at open and passes every sound
// operation through its table. With no driver open the game is silent and
// sound calls do nothing.
#include "platform/platform_local.h"

namespace {

const AudioDriver* g_driver;        // the open driver, or null
const AudioDriver* g_sound_driver;  // the driver that made the sounds (they may outlive it)

bool driver_opened(const AudioDriver* d) {
  g_driver = d;
  g_sound_driver = d;
  return true;
}

const AudioDriver* sound_driver() { return g_driver ? g_driver : g_sound_driver; }

}  // namespace

bool audio_open(GameWindow* w) {
  if (g_driver) {
    log_printf("Audio already open\n");
    return false;
  }
  // The per-sound-buffer driver ("dsnd") has no counterpart here: SDL gives
  // one stream, which the mixing driver feeds.
  if (option_flag("waveout", true) && audio_device_driver.open(w)) return driver_opened(&audio_device_driver);
  return false;
}

bool audio_open_readback(int rate, int samples_per_block) {
  if (g_driver) {
    log_printf("Audio already open\n");
    return false;
  }
  if (audio_readback_driver.open_readback(rate, samples_per_block)) return driver_opened(&audio_readback_driver);
  return false;
}

void audio_close() {
  if (!g_driver) {
    log_printf("Can't close audio, not open\n");
    return;
  }
  g_driver->close();
  g_driver = nullptr;
}

bool audio_is_open() { return g_driver != nullptr; }

void audio_update() {
  if (g_driver) g_driver->update();
}

const int16_t* audio_read_back(int* samples) {
  *samples = 0;
  if (!g_driver || !g_driver->read_back) return nullptr;
  return g_driver->read_back(samples);
}

Sound* sound_new(int length, const uint8_t* samples, int sample_rate) {
  return g_driver ? g_driver->new_sound(length, samples, sample_rate) : nullptr;
}

Sound* sound_copy(Sound* s) { return g_driver ? g_driver->copy_sound(s) : nullptr; }

void sound_free(Sound* s) {
  if (const AudioDriver* d = sound_driver()) d->free_sound(s);
}

#define SOUND_OP(call) \
  if (const AudioDriver* d = sound_driver()) d->call

void sound_play(Sound* s) { SOUND_OP(play(s)); }
void sound_stop(Sound* s) { SOUND_OP(stop(s)); }
void sound_set_rate(Sound* s, int rate) { SOUND_OP(set_rate(s, rate)); }
void sound_set_volume(Sound* s, int volume) { SOUND_OP(set_volume(s, volume)); }
void sound_set_pan(Sound* s, int pan) { SOUND_OP(set_pan(s, pan)); }
void sound_set_loop(Sound* s, bool loop) { SOUND_OP(set_loop(s, loop)); }
void sound_write(Sound* s, int count, const uint8_t* bytes, int offset) { SOUND_OP(write(s, count, bytes, offset)); }

int sound_play_position(Sound* s) {
  const AudioDriver* d = sound_driver();
  return d ? d->play_position(s) : 0;
}
