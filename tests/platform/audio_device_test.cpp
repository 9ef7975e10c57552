// The device driver on SDL's dummy audio driver (which plays in real time
// into nothing): fragment arithmetic, the log, the audio thread, and a game
// that stays silent when no device opens.
#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "platform/platform_local.h"
#include "platform_test.h"

namespace {

TEST(AudioFragments, LengthAndMixahead) {
  EXPECT_EQ(audio_fragment_samples(22050), 344);
  EXPECT_EQ(audio_fragment_samples(44100), 689);
  const int cases[][2] = {{125, 8}, {1000, 32}, {5000, 32}, {1, 1}, {0, 1}, {-50, 1}, {16, 1}, {47, 3}};
  for (const auto& c : cases) EXPECT_EQ(audio_fragments_ahead(c[0]), c[1]) << c[0] << " ms";
}

class DummyDevice : public testing::Test {
 protected:
  void SetUp() override { setenv("SDL_AUDIODRIVER", "dummy", 1); }
  void TearDown() override {
    if (audio_is_open()) audio_close();
    options_set_for_test("");
  }
};

TEST_F(DummyDevice, OpensLogsAndMixesOnItsThread) {
  LogCapture log("audio_device");
  ASSERT_TRUE(audio_open(nullptr));
  EXPECT_TRUE(log.in_order({"Opening SDL audio...\n", "Found a ", "Waveout rate: 22050\n", "Waveout channels: 16\n",
                            "Waveout mixahead: 125\n", "Audio opened!\n"}));
  EXPECT_TRUE(mixer.stereo);
  EXPECT_EQ(mixer.block_samples, 344);
  EXPECT_FALSE(audio_open(nullptr));
  EXPECT_TRUE(log.has("Audio already open\n"));

  // A looping sound moves on as the audio thread mixes fragment after fragment.
  std::vector<uint8_t> samples(22050, 128);
  Sound* s = sound_new((int)samples.size(), samples.data(), 22050);
  ASSERT_NE(s, nullptr);
  sound_set_loop(s, true);
  sound_play(s);
  int position = 0;
  for (int tries = 0; tries < 200 && position < 2000; tries++) {
    clock_sleep_seconds(0.01);
    position = sound_play_position(s);
  }
  EXPECT_GE(position, 2000);
  sound_free(s);
  audio_close();
  EXPECT_FALSE(audio_is_open());
  EXPECT_TRUE(log.in_order({"Audio thread begin\n", "Closing audio\n", "Audio thread end\n"}));
}

TEST_F(DummyDevice, OptionsSetRateChannelsAndMixahead) {
  LogCapture log("audio_options");
  options_set_for_test("[sound-rate:44100][sound-channels:8][sound-mixahead:1000]");
  ASSERT_TRUE(audio_open(nullptr));
  EXPECT_TRUE(log.in_order({"Waveout rate: 44100\n", "Waveout channels: 8\n", "Waveout mixahead: 500\n"}));
  EXPECT_EQ(mixer.channels, 8);
  EXPECT_EQ(mixer.block_samples, 689);
  audio_close();
  options_set_for_test("[sound-rate:-5][waveout:yes]");
  ASSERT_TRUE(audio_open(nullptr));
  EXPECT_TRUE(log.has("sound-rate -5 out of range"));
  EXPECT_EQ(mixer.rate, 22050);
}

TEST_F(DummyDevice, NoDeviceLeavesTheGameSilent) {
  LogCapture log("audio_none");
  setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
  EXPECT_FALSE(audio_open(nullptr));
  EXPECT_TRUE(log.has("No audio device\n"));
  EXPECT_FALSE(audio_is_open());
  uint8_t bytes[4] = {};
  EXPECT_EQ(sound_new(4, bytes, 22050), nullptr);
  options_set_for_test("[waveout:no]");
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  EXPECT_FALSE(audio_open(nullptr));  // the only driver is switched off
}

}  // namespace
