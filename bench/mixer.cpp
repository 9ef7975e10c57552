// Mixing cost per second of audio: the device driver's set-up (22050 Hz,
// stereo, 8-bit, fragments of 1/64 s, 16 channels) with 16 and 64 sounds
// playing, at the output rate and at an engine-like odd pitch. The counter
// "cpu_per_audio_s" is the processor time one second of sound costs.
#include <benchmark/benchmark.h>

#include <vector>

#include "platform/platform_local.h"

namespace {

const int kRate = 22050;

void BM_MixFragments(benchmark::State& state) {
  int sounds = (int)state.range(0);
  bool pitched = state.range(1) != 0;
  int fragment = audio_fragment_samples(kRate);
  if (!mixer_init(kRate, 16, true, 1, fragment)) {
    state.SkipWithError("mixer_init failed");
    return;
  }
  std::vector<uint8_t> samples(kRate);
  for (size_t i = 0; i < samples.size(); i++) samples[i] = (uint8_t)(128 + ((i * 37) % 200) - 100);
  std::vector<Sound*> playing;
  for (int i = 0; i < sounds; i++) {
    Sound* s = mixer_new_sound((int)samples.size(), samples.data(), kRate);
    mixer_set_loop(s, true);
    mixer_set_volume(s, 8000 + (i * 997) % 24000);  // spread over the levels
    mixer_set_pan(s, (i * 4099) % 65536 - 32768);
    if (pitched) mixer_set_rate(s, kRate * 137 / 100 + i);
    mixer_play(s);
    playing.push_back(s);
  }
  for (auto _ : state) {
    std::lock_guard<std::mutex> hold(mixer.lock);
    mixer_mix_block();
    benchmark::DoNotOptimize(mixer.out[0]);
  }
  // 64 fragments make one second of sound.
  state.counters["cpu_per_audio_s"] =
      benchmark::Counter((double)state.iterations() / 64, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
  for (Sound* s : playing) mixer_free_sound(s);
  mixer_shutdown();
}

BENCHMARK(BM_MixFragments)->ArgNames({"sounds", "pitched"})->Args({16, 0})->Args({64, 0})->Args({16, 1})->Args({64, 1});

}  // namespace
