// Pot watching: a binding learns the axis the player moves, with calibration
// points just inside its travel, or the key the player presses.
#include <gtest/gtest.h>

#include <cstring>

#include "files/settings.h"
#include "platform/platform_local.h"

namespace {

int read_axis(InputDevice* d, int axis) { return d->axes[axis]; }
const DeviceOps kOps = {nullptr, nullptr, nullptr, read_axis};

class PotWatch : public testing::Test {
 protected:
  GameWindow w_;
  InputDevice* stick_ = nullptr;
  ControlBinding binding_{};

  void SetUp() override {
    stick_ = device_add(&w_, "Stick", &kOps, 2, 4, false);
    axis_name_add(&w_, "Stick axis 0");
    axis_name_add(&w_, "Stick axis 1");
    std::strcpy(binding_.key_name, "X");
    binding_.key_code = 4096 + 45;
  }
  void TearDown() override {
    pot_watch_cancel();
    if (binding_.axis) axis_close((AxisHandle*)binding_.axis);
    input_devices_close(&w_);
  }
  // Runs tics of 1/128 s from time t0 to t1 (game clock).
  void run(double t0, double t1) {
    for (double t = t0; t <= t1 + 1e-9; t += 1.0 / 128) pot_watch_tic(t);
  }
};

TEST_F(PotWatch, ThrottleFromRestAtMinusOneToPlusOne) {
  stick_->axes[1] = -32767;
  pot_watch_start(&w_, &binding_, 10.0);
  EXPECT_TRUE(pot_watch_active());
  run(10.0, 10.5);                 // resting: nothing taken
  EXPECT_TRUE(pot_watch_active());
  stick_->axes[1] = 0;
  run(10.5, 10.6);
  stick_->axes[1] = 32767;         // pushed all the way
  run(10.6, 10.8);                 // not yet settled for 0.25 s
  EXPECT_TRUE(pot_watch_active());
  run(10.8, 11.0);
  ASSERT_FALSE(pot_watch_active());
  EXPECT_STREQ(binding_.axis_name, "Stick axis 1");
  EXPECT_STREQ(binding_.key_name, "");
  EXPECT_EQ(binding_.key_code, 0);
  ASSERT_NE(binding_.axis, nullptr);
  double start = -32767 / 32768.0, end = 32767 / 32768.0;
  EXPECT_NEAR(binding_.low, start + (end - start) * 0.0625, 1e-12);
  EXPECT_NEAR(binding_.high, start + (end - start) * 0.9375, 1e-12);
  EXPECT_NEAR(binding_.low, -0.875, 1e-4);
  EXPECT_NEAR(binding_.high, 0.875, 1e-4);
  // The other watched axis was closed; the taken one stays open for the binding.
  EXPECT_EQ(stick_->open_axes, 1);
  EXPECT_EQ(axis_read((AxisHandle*)binding_.axis), 32767);
}

TEST_F(PotWatch, SmallWobbleIsNotTaken) {
  pot_watch_start(&w_, &binding_, 0);
  stick_->axes[0] = 16000;  // less than half the travel
  run(0, 2);
  EXPECT_TRUE(pot_watch_active());
  EXPECT_EQ(binding_.axis, nullptr);
}

TEST_F(PotWatch, KeyIsTakenAfterAQuarterSecond) {
  AxisHandle* old_axis = axis_open(&w_, "Stick.axis[0]");
  binding_.axis = old_axis;
  std::strcpy(binding_.axis_name, "Stick axis 0");
  pot_watch_start(&w_, &binding_, 0);
  pot_watch_key('a', 0.1);          // a character has no key name
  pot_watch_key(4096 + 57, 0.1);    // Space
  pot_watch_key(4096 + 30, 0.15);   // a second key does not replace the first
  run(0.1, 0.3);
  EXPECT_TRUE(pot_watch_active());
  run(0.3, 0.4);
  EXPECT_FALSE(pot_watch_active());
  EXPECT_EQ(binding_.key_code, 4096 + 57);
  EXPECT_EQ(key_code(&w_, binding_.key_name), 4096 + 57);
  EXPECT_EQ(binding_.axis, nullptr);  // the old axis was closed
  EXPECT_STREQ(binding_.axis_name, "");
  EXPECT_EQ(stick_->open_axes, 0);
}

TEST_F(PotWatch, DeviceButtonsCanBeTaken) {
  pot_watch_start(&w_, &binding_, 0);
  pot_watch_key(stick_->id + 2, 0);
  run(0, 0.5);
  EXPECT_EQ(binding_.key_code, stick_->id + 2);
  EXPECT_STREQ(binding_.key_name, "Stick button 2");
}

TEST_F(PotWatch, EscCancelsAndKeepsTheBinding) {
  pot_watch_start(&w_, &binding_, 0);
  stick_->axes[0] = 30000;
  pot_watch_tic(0.01);
  pot_watch_key(4096 + 1, 0.02);  // Esc
  EXPECT_FALSE(pot_watch_active());
  run(0.02, 1);
  EXPECT_EQ(binding_.key_code, 4096 + 45);
  EXPECT_STREQ(binding_.key_name, "X");
  EXPECT_EQ(binding_.axis, nullptr);
  EXPECT_EQ(stick_->open_axes, 0);
}

TEST_F(PotWatch, AnAxisMovedWinsOverAKeyPressed) {
  pot_watch_start(&w_, &binding_, 0);
  pot_watch_key(4096 + 57, 0.0);
  stick_->axes[0] = -32767;
  run(0, 0.5);  // both are due on the same tic; axes are looked at first
  EXPECT_FALSE(pot_watch_active());
  EXPECT_STREQ(binding_.axis_name, "Stick axis 0");
  EXPECT_EQ(binding_.key_code, 0);
  EXPECT_GT(binding_.low, binding_.high);  // calibrated in the direction it moved
}

}  // namespace
