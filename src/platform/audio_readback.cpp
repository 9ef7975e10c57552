// The readback driver: mixes one block whenever the game asks and hands it
// back (16-bit mono) instead of playing it; --record-audio writes each tic's
// block to a file. Everything runs on the main thread.
#include "platform/platform_local.h"

namespace {

const int kMaxBlock = 1 << 20;  // samples per block

bool readback_open(int rate, int samples_per_block) {
  log_printf("Opening readback audio...\n");
  if (rate <= 0 || samples_per_block <= 0 || samples_per_block > kMaxBlock) {
    log_printf("Bad readback format: %d Hz, %d samples per block\n", rate, samples_per_block);
    return false;
  }
  int channels = option_integer("sound-channels", 16);
  if (channels < 0) channels = 0;
  if (!mixer_init(rate, channels, false, 2, samples_per_block)) {
    log_printf("Malloc failed\n");
    return false;
  }
  log_printf("Audio opened!\n");
  return true;
}

void readback_close() {
  log_printf("Closing audio\n");
  std::lock_guard<std::mutex> hold(mixer.lock);
  mixer_shutdown();
}

bool readback_update() { return true; }

const int16_t* readback_read(int* samples) {
  std::lock_guard<std::mutex> hold(mixer.lock);
  mixer_mix_block();
  *samples = mixer.block_samples;
  return (const int16_t*)mixer.out;
}

}  // namespace

const AudioDriver audio_readback_driver = {
    "readback",      nullptr,              readback_open,     readback_close,       readback_update,
    readback_read,   mixer_new_sound,      mixer_copy_sound,  mixer_free_sound,     mixer_play,
    mixer_stop_sound, mixer_set_rate,      mixer_set_volume,  mixer_set_pan,        mixer_set_loop,
    mixer_play_position, mixer_write,
};
