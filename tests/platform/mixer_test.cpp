// The software mixer, mostly through the readback driver: level tables,
// channel budget, looping, restarts, resampling and writing into sounds.
#include <gtest/gtest.h>

#include <vector>

#include "platform/platform_local.h"
#include "platform_test.h"

namespace {

const int kRate = 22050;
const int kBlock = 690;

// Stored 8-bit samples of constant signed value v.
std::vector<uint8_t> constant(int length, int v) { return std::vector<uint8_t>(length, (uint8_t)(v + 128)); }

class Readback : public testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(audio_open_readback(kRate, kBlock)); }
  void TearDown() override {
    for (Sound* s : sounds_) sound_free(s);
    if (audio_is_open()) audio_close();
  }
  Sound* make(const std::vector<uint8_t>& samples, int sample_rate = kRate) {
    Sound* s = sound_new((int)samples.size(), samples.data(), sample_rate);
    if (s) sounds_.push_back(s);
    return s;
  }
  std::vector<int16_t> block() {
    int n = 0;
    const int16_t* b = audio_read_back(&n);
    return b ? std::vector<int16_t>(b, b + n) : std::vector<int16_t>();
  }
  std::vector<Sound*> sounds_;
};

TEST(LevelTables, ExactScaling) {
  const struct {
    int level, sample, value;
  } cases[] = {
      {31, 127, 123}, {31, -127, -123}, {31, -128, -124}, {31, 0, 0},  {1, 31, 0},
      {1, 32, 1},     {1, -32, -1},     {1, -31, 0},      {16, 3, 1},  {16, -3, -1},
      {15, 100, 46},  {15, -100, -46},  {1, -128, -4},
  };
  for (const auto& c : cases)
    EXPECT_EQ(level_table(c.level)[(uint8_t)(c.sample + 128)], c.value) << "level " << c.level << " sample " << c.sample;
  EXPECT_EQ(level_table(0), nullptr);
  EXPECT_EQ(level_table(32), nullptr);
}

TEST_F(Readback, SixteenChannelsTheLoudestWinTheRestAdvanceSilently) {
  const struct {
    const char* name;
    bool quiet_first;  // the four quiet sounds start before the loud ones
    int quiet_volume;
  } cases[] = {{"quiet last", false, 16000}, {"quiet first", true, 16000}, {"all loud", false, 32767}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<Sound*> loud, quiet;
    for (int i = 0; i < 20; i++) {
      Sound* s = make(constant(5000, 4));
      bool is_quiet = c.quiet_first ? i < 4 : i >= 16;
      if (is_quiet) sound_set_volume(s, c.quiet_volume);
      (is_quiet ? quiet : loud).push_back(s);
      sound_play(s);
    }
    // Level 31 makes 4 into 3; sixteen of them are heard.
    for (int16_t v : block()) ASSERT_EQ(v, 16 * 3 * 256);
    for (Sound* s : quiet) EXPECT_EQ(sound_play_position(s), kBlock);  // silent but moving on
    for (Sound* s : loud) EXPECT_EQ(sound_play_position(s), kBlock);
    for (Sound* s : sounds_) sound_stop(s);
  }
}

TEST_F(Readback, LoopingAtTwiceTheRateWrapsAndKeepsPlaying) {
  std::vector<uint8_t> ramp(100);
  for (int i = 0; i < 100; i++) ramp[i] = (uint8_t)(i - 50 + 128);
  Sound* s = make(ramp);
  sound_set_loop(s, true);
  sound_set_rate(s, 2 * kRate);
  sound_play(s);
  std::vector<int16_t> out = block();
  ASSERT_EQ(out.size(), (size_t)kBlock);
  const int8_t* table = level_table(31);
  for (int i = 0; i < kBlock; i++) ASSERT_EQ(out[i], table[ramp[(2 * i) % 100]] * 256) << i;
  EXPECT_EQ(sound_play_position(s), (2 * kBlock) % 100);
  out = block();
  EXPECT_EQ(out[0], table[ramp[(2 * kBlock) % 100]] * 256);
  EXPECT_NE(sound_play_position(s), 0);

  // Without the loop the same sound ends after 50 output samples and stops.
  sound_set_loop(s, false);
  sound_play(s);  // a playing sound restarts from the beginning
  out = block();
  EXPECT_EQ(out[0], table[ramp[0]] * 256);
  EXPECT_EQ(out[49], table[ramp[98]] * 256);
  for (int i = 50; i < kBlock; i++) ASSERT_EQ(out[i], 0) << i;
  EXPECT_EQ(sound_play_position(s), 0);  // stopped
  for (int16_t v : block()) ASSERT_EQ(v, 0);
}

TEST_F(Readback, WriteIntoSoundWraps) {
  Sound* s = make(constant(2048, 0));
  Sound* copy = sound_copy(s);
  sounds_.push_back(copy);
  std::vector<uint8_t> bytes(3000);
  for (int i = 0; i < 3000; i++) bytes[i] = (uint8_t)(i * 7);
  sound_write(s, 3000, bytes.data(), 0);
  const uint8_t* data = s->block->data;
  // Only the last 2048 bytes land, starting at offset 952.
  for (int j = 0; j < 2048; j++) {
    int k = j >= 952 ? j : j + 2048;  // which byte of the 3000 ends up at j
    ASSERT_EQ(data[j], bytes[k]) << j;
  }
  EXPECT_EQ(copy->block->data, data);  // copies share the samples

  const uint8_t small[4] = {1, 2, 3, 4};
  sound_write(s, 4, small, 2046);  // wraps round the end
  EXPECT_EQ(data[2046], 1);
  EXPECT_EQ(data[2047], 2);
  EXPECT_EQ(data[0], 3);
  EXPECT_EQ(data[1], 4);
  sound_write(s, 1, small, -1);  // offsets count modulo the length
  EXPECT_EQ(data[2047], 1);
  sound_write(s, 2, small, 2048 * 3 + 5);
  EXPECT_EQ(data[5], 1);
  EXPECT_EQ(data[6], 2);
}

TEST_F(Readback, NewSoundsAreResampledToTheOutputRate) {
  std::vector<uint8_t> in(30);
  for (int i = 0; i < 30; i++) in[i] = (uint8_t)(i * 5);
  const struct {
    int length, rate, stored;
  } cases[] = {{10, 11025, 20}, {30, 44100, 15}, {7, 16000, 9}, {30, 0, 30}, {30, kRate, 30}, {0, 11025, 0}};
  for (const auto& c : cases) {
    Sound* s = make(std::vector<uint8_t>(in.begin(), in.begin() + c.length), c.rate);
    ASSERT_NE(s, nullptr);
    ASSERT_EQ(s->block->length, c.stored) << c.length << " at " << c.rate;
    for (int i = 0; i < c.stored; i++) EXPECT_EQ(s->block->data[i], in[(int64_t)i * c.length / c.stored]) << i;
  }
  EXPECT_EQ(sound_new(-1, in.data(), kRate), nullptr);
  EXPECT_EQ(sound_new(5, nullptr, kRate), nullptr);
}

TEST_F(Readback, OutputIsClampedTo16Bits) {
  const struct {
    int value, out;
  } cases[] = {{127, 32512}, {-128, -32512}};
  for (const auto& c : cases) {
    for (int i = 0; i < 16; i++) sound_play(make(constant(5000, c.value)));
    for (int16_t v : block()) ASSERT_EQ(v, c.out);
    for (Sound* s : sounds_) sound_stop(s);
  }
}

TEST_F(Readback, CopiesAndSoundsOutliveTheirOriginalsAndTheDriver) {
  Sound* s = sound_new(3000, constant(3000, 40).data(), kRate);
  sound_set_loop(s, true);
  sound_set_volume(s, 20000);
  Sound* copy = sound_copy(s);
  sounds_.push_back(copy);
  EXPECT_EQ(sound_play_position(copy), 0);
  EXPECT_TRUE(copy->loop);
  EXPECT_EQ(copy->volume, 20000);
  EXPECT_FALSE(copy->playing);
  sound_play(s);
  sound_free(s);  // the copy keeps the shared samples
  sound_play(copy);
  std::vector<int16_t> out = block();
  EXPECT_EQ(out[0], level_table(copy->voice[0].level)[40 + 128] * 256);
  audio_close();  // sounds may be freed after the driver closed
  EXPECT_FALSE(audio_is_open());
  sound_play(copy);
  EXPECT_EQ(sound_new(10, constant(10, 0).data(), kRate), nullptr);
}

TEST(Readback2, OpenTwiceBadFormatsAndClosedAudio) {
  LogCapture log("readback");
  EXPECT_FALSE(audio_open_readback(0, 690));
  EXPECT_FALSE(audio_open_readback(88320, -1));
  EXPECT_TRUE(log.has("Bad readback format"));
  EXPECT_FALSE(audio_is_open());
  int n = 123;
  EXPECT_EQ(audio_read_back(&n), nullptr);
  EXPECT_EQ(n, 0);
  audio_close();
  EXPECT_TRUE(log.has("Can't close audio, not open\n"));
  // --record-audio: 88320 Hz, 690 samples (one tic) of 16 bits.
  ASSERT_TRUE(audio_open_readback(88320, 690));
  EXPECT_FALSE(audio_open_readback(88320, 690));
  EXPECT_TRUE(log.has("Audio already open\n"));
  const int16_t* b = audio_read_back(&n);
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(n, 690);
  audio_close();
  EXPECT_TRUE(log.in_order({"Opening readback audio...\n", "Audio opened!\n", "Closing audio\n"}));
  sound_play(nullptr);
  sound_free(nullptr);
  EXPECT_EQ(sound_play_position(nullptr), 0);
}

// A stereo 8-bit mixer like the device driver's.
class StereoMixer : public testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(mixer_init(kRate, 16, true, 1, 64)); }
  void TearDown() override {
    for (Sound* s : sounds_) mixer_free_sound(s);
    mixer_shutdown();
  }
  Sound* make(int value) {
    std::vector<uint8_t> v = constant(1000, value);
    Sound* s = mixer_new_sound(1000, v.data(), kRate);
    sounds_.push_back(s);
    return s;
  }
  std::vector<Sound*> sounds_;
};

TEST_F(StereoMixer, LevelsFromVolumeAndPan) {
  const struct {
    int volume, pan, left, right;
  } cases[] = {
      {32767, 0, 15, 15}, {32767, -32768, 31, 0}, {32767, 32767, 0, 31},
      {16384, 0, 7, 8},   {0, 0, 0, 0},           {40000, 0, 15, 15},  // volume clamps to 32767
  };
  Sound* s = make(0);
  for (const auto& c : cases) {
    mixer_set_volume(s, c.volume);
    mixer_set_pan(s, c.pan);
    EXPECT_EQ(s->voice[0].level, c.left) << c.volume << " " << c.pan;
    EXPECT_EQ(s->voice[1].level, c.right) << c.volume << " " << c.pan;
  }
}

TEST_F(StereoMixer, CentredFullVolumeSoundIsHalfOnEachSide) {
  Sound* s = make(100);
  mixer_play(s);
  mixer_mix_block();
  // Level 15 of 100 is 46; 8-bit output flips the sign bit: 174.
  for (int i = 0; i < 64 * 2; i++) ASSERT_EQ(mixer.out[i], 174) << i;
  mixer_set_pan(s, 32767);  // all to the right
  mixer_mix_block();
  EXPECT_EQ(mixer.out[0], 128);
  EXPECT_EQ(mixer.out[1], 128 + level_table(31)[100 + 128]);
}

TEST_F(StereoMixer, EightBitOutputClamps) {
  for (int i = 0; i < 4; i++) mixer_play(make(127));
  mixer_mix_block();
  EXPECT_EQ(mixer.out[0], 255);
  for (Sound* s : sounds_) mixer_stop_sound(s);
  for (int i = 0; i < 4; i++) mixer_play(make(-128));
  mixer_mix_block();
  EXPECT_EQ(mixer.out[0], 0);
}

TEST(MonoMixer, PanIsAlwaysHardLeftAndFullVolumeIsLevel31) {
  ASSERT_TRUE(mixer_init(kRate, 16, false, 2, 64));
  std::vector<uint8_t> v = constant(10, 0);
  Sound* s = mixer_new_sound(10, v.data(), kRate);
  EXPECT_EQ(s->pan, -32768);
  EXPECT_EQ(s->voice[0].level, 31);
  mixer_set_pan(s, 0);
  EXPECT_EQ(s->pan, -32768);
  EXPECT_EQ(s->voice[0].level, 31);
  mixer_free_sound(s);
  mixer_shutdown();
}

}  // namespace
