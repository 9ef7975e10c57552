// The device driver: an audio thread mixes fragments of 1/64 s under the
// audio lock and queues them on an SDL audio device, staying a fixed number
// of fragments ahead of what the device has played.
#include <cstring>
#include <system_error>

#include "core/core.h"
#include "platform/platform_local.h"

namespace {

enum { FRAGMENTS = 64 };
const int kCheckMs = 15;      // between checks whether a fragment has played
const int kTimeoutMs = 1000;  // a device that plays nothing this long is reset

struct DeviceAudio {
  SDL_AudioDeviceID device;
  int fragment_samples;       // samples per fragment (per side)
  int fragment_bytes;         // bytes per fragment, all sides
  int ahead;                  // fragments queued ahead of the one playing
  uint8_t* fragments;         // FRAGMENTS x fragment_bytes
  std::thread thread;
  std::atomic<bool> stop;
};

DeviceAudio g_dev;

int checked_option(const char* name, int fallback, int low, int high) {
  int v = option_integer(name, fallback);
  if (v >= low && v <= high) return v;
  log_printf("%s %d out of range %d..%d, using %d\n", name, v, low, high, fallback);
  return fallback;
}

// Waits until the fragment queued `ahead` fragments ago has been played:
// then fewer than `ahead` fragments remain queued.
void wait_for_room(int submitted) {
  Uint32 limit = (Uint32)(g_dev.ahead - 1) * (Uint32)g_dev.fragment_bytes;
  int waited = 0;
  while (!g_dev.stop && SDL_GetQueuedAudioSize(g_dev.device) > limit) {
    SDL_Delay(kCheckMs);
    waited += kCheckMs;
    if (waited >= kTimeoutMs) {
      SDL_ClearQueuedAudio(g_dev.device);
      log_printf("Audio thread: Timeout on fragment %d\n", submitted);
      waited = 0;
    }
  }
}

void audio_thread() {
  log_printf("Audio thread begin\n");
  int submitted = 0;
  for (int f = 0; !g_dev.stop; f = (f + 1) % FRAGMENTS) {
    uint8_t* fragment = g_dev.fragments + (size_t)f * g_dev.fragment_bytes;
    {
      std::lock_guard<std::mutex> hold(mixer.lock);
      mixer_mix_block();
      std::memcpy(fragment, mixer.out, (size_t)g_dev.fragment_bytes);
    }
    if (SDL_QueueAudio(g_dev.device, fragment, (Uint32)g_dev.fragment_bytes) != 0)
      log_printf("Audio thread: Write error\n");
    submitted++;
    if (submitted >= g_dev.ahead) wait_for_room(submitted);
  }
  log_printf("Audio thread end\n");
}

// Opens the default device as 8-bit PCM at the rate, stereo when the device
// has two channels, else mono.
bool open_sdl_device(int rate, SDL_AudioSpec* got) {
  SDL_AudioSpec want{};
  want.freq = rate;
  want.format = AUDIO_U8;
  want.channels = 2;
  want.samples = 512;
  g_dev.device = SDL_OpenAudioDevice(nullptr, 0, &want, got, SDL_AUDIO_ALLOW_CHANNELS_CHANGE);
  if (g_dev.device && got->channels > 2) {
    // More speakers than two: let SDL spread our stereo over them.
    SDL_CloseAudioDevice(g_dev.device);
    g_dev.device = SDL_OpenAudioDevice(nullptr, 0, &want, got, 0);
  }
  if (g_dev.device) return true;
  log_printf("Can't open audio device: %s\n", SDL_GetError());
  return false;
}

void release_device() {
  if (g_dev.device) SDL_CloseAudioDevice(g_dev.device);
  g_dev.device = 0;
  mem_free(g_dev.fragments);
  g_dev.fragments = nullptr;
  if (mixer.open) mixer_shutdown();
  SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

bool device_open(GameWindow*) {
  log_printf("Opening SDL audio...\n");
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
    log_printf("No audio device\n");
    log_printf("%s\n", SDL_GetError());
    return false;
  }
  const char* name = SDL_GetNumAudioDevices(0) > 0 ? SDL_GetAudioDeviceName(0, 0) : nullptr;
  log_printf("Found a %s\n", name ? name : SDL_GetCurrentAudioDriver());
  int channels = checked_option("sound-channels", 16, 0, 1024);
  int rate = checked_option("sound-rate", 22050, 4000, 192000);
  int mixahead = option_integer("sound-mixahead", 125);
  g_dev.fragment_samples = audio_fragment_samples(rate);
  g_dev.ahead = audio_fragments_ahead(mixahead);
  log_printf("Waveout rate: %d\n", rate);
  log_printf("Waveout channels: %d\n", channels);
  log_printf("Waveout mixahead: %d\n", g_dev.ahead * 1000 / 64);
  SDL_AudioSpec got{};
  if (!open_sdl_device(rate, &got)) {
    release_device();
    return false;
  }
  bool stereo = got.channels == 2;
  g_dev.fragment_bytes = g_dev.fragment_samples * (stereo ? 2 : 1);
  g_dev.fragments = (uint8_t*)mem_alloc((size_t)FRAGMENTS * g_dev.fragment_bytes);
  if (!g_dev.fragments || !mixer_init(rate, channels, stereo, 1, g_dev.fragment_samples)) {
    log_printf("malloc() failed\n");
    release_device();
    return false;
  }
  g_dev.stop = false;
  try {
    g_dev.thread = std::thread(audio_thread);
  } catch (const std::system_error&) {
    log_printf("Can't create thread\n");
    release_device();
    return false;
  }
  SDL_PauseAudioDevice(g_dev.device, 0);
  log_printf("Audio opened!\n");
  return true;
}

void device_close() {
  log_printf("Closing audio\n");
  g_dev.stop = true;
  if (g_dev.thread.joinable()) g_dev.thread.join();
  std::lock_guard<std::mutex> hold(mixer.lock);
  release_device();
}

bool device_update() { return true; }

}  // namespace

int audio_fragment_samples(int rate) { return rate / 64; }

int audio_fragments_ahead(int mixahead_ms) {
  int64_t ahead = (int64_t)mixahead_ms * 64 / 1000;
  return ahead < 1 ? 1 : ahead > 32 ? 32 : (int)ahead;
}

const AudioDriver audio_device_driver = {
    "device",        device_open,          nullptr,           device_close,         device_update,
    nullptr,         mixer_new_sound,      mixer_copy_sound,  mixer_free_sound,     mixer_play,
    mixer_stop_sound, mixer_set_rate,      mixer_set_volume,  mixer_set_pan,        mixer_set_loop,
    mixer_play_position, mixer_write,
};
