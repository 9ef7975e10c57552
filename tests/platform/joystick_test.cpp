// Joysticks through SDL's virtual joysticks: the roll call, button events
// when polled, axis values, and a stick pulled out while in use.
#include <gtest/gtest.h>

#include "platform/platform_local.h"
#include "platform_test.h"

namespace {

class Joysticks : public testing::Test {
 protected:
  GameWindow w_;
  SDL_Joystick* pad_ = nullptr;  // the test's own handle on the first stick
  int pads_ = 0;

  void SetUp() override {
    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_JOYSTICK), 0) << SDL_GetError();
    // Two sticks of the same make: 2 axes, 3 buttons and a hat each.
    for (int i = 0; i < 2; i++)
      if (SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, 2, 3, 1) >= 0) pads_++;
    if (pads_ < 2) GTEST_SKIP() << "SDL has no virtual joysticks: " << SDL_GetError();
  }
  void roll_call() {
    input_devices_create(&w_);
    pad_ = SDL_JoystickOpen(0);
    ASSERT_NE(pad_, nullptr);
  }
  void TearDown() override {
    input_devices_close(&w_);
    if (pad_) SDL_JoystickClose(pad_);
    while (SDL_NumJoysticks() > 0 && SDL_JoystickDetachVirtual(0) == 0) {
    }
    SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
  }
  std::vector<InputEvent> events() {
    std::vector<InputEvent> out;
    InputEvent ev;
    while (event_next(&w_, &ev)) out.push_back(ev);
    return out;
  }
};

TEST_F(Joysticks, RollCallNamesDevicesAndTheirAxes) {
  LogCapture log("rollcall");
  roll_call();
  InputDevice* a = device_find(&w_, "VirtualController");
  InputDevice* b = device_find(&w_, "VirtualController#2");
  ASSERT_NE(a, nullptr);
  ASSERT_NE(b, nullptr);
  EXPECT_NE(device_find(&w_, "cursor"), nullptr);
  EXPECT_EQ(a->axis_count, 2);
  EXPECT_EQ(a->button_count, 3 + 4);  // a hat is four buttons
  const char* const* names;
  ASSERT_EQ(axis_names(&w_, &names), 4);
  EXPECT_STREQ(names[0], "VirtualController axis 0");
  EXPECT_STREQ(names[3], "VirtualController#2 axis 1");
  EXPECT_TRUE(log.in_order({"Input device roll call...\n", "2 axes, 7 keys\n", "axis 0 is absolute\n",
                            "Adding axis \"VirtualController axis 0\"\n", "End of input device roll call\n"}));
}

TEST_F(Joysticks, PolledButtonsAndHatsBecomeEvents) {
  roll_call();
  InputDevice* d = device_find(&w_, "VirtualController");
  int fire = key_code(&w_, "VirtualController.key[1]");
  ASSERT_EQ(fire, d->id + 1);
  EXPECT_TRUE(events().empty());
  SDL_JoystickSetVirtualButton(pad_, 1, 1);
  SDL_JoystickSetVirtualHat(pad_, 0, SDL_HAT_UP);
  auto got = events();
  ASSERT_EQ(got.size(), 2u);
  EXPECT_EQ(got[0].code, fire);
  EXPECT_TRUE(got[0].pressed);
  EXPECT_EQ(got[1].code, d->id + 3);  // hat up: the first button after the three
  SDL_JoystickSetVirtualButton(pad_, 1, 0);
  got = events();
  ASSERT_EQ(got.size(), 1u);
  EXPECT_EQ(got[0].code, fire);
  EXPECT_FALSE(got[0].pressed);
}

TEST_F(Joysticks, AxesReadTheSymmetricRange) {
  roll_call();
  AxisHandle* x = axis_open(&w_, "VirtualController axis 0");
  ASSERT_NE(x, nullptr);
  const int cases[][2] = {{-32768, -32767}, {-32767, -32767}, {0, 0}, {12345, 12345}, {32767, 32767}};
  for (const auto& c : cases) {
    SDL_JoystickSetVirtualAxis(pad_, 0, (Sint16)c[0]);
    EXPECT_EQ(axis_read(x), c[1]) << c[0];
  }
  axis_close(x);
}

TEST_F(Joysticks, UnpluggedStickLetsGoAndStops) {
  LogCapture log("unplug");
  roll_call();
  int fire = key_code(&w_, "VirtualController button 0");
  AxisHandle* x = axis_open(&w_, "VirtualController.axis[0]");
  SDL_JoystickSetVirtualAxis(pad_, 0, 20000);
  SDL_JoystickSetVirtualButton(pad_, 0, 1);
  EXPECT_EQ(axis_read(x), 20000);
  ASSERT_EQ(events().size(), 1u);  // the press
  SDL_JoystickDetachVirtual(0);
  EXPECT_EQ(axis_read(x), 0);
  auto got = events();
  ASSERT_EQ(got.size(), 1u);  // the held button is let go
  EXPECT_EQ(got[0].code, fire);
  EXPECT_FALSE(got[0].pressed);
  EXPECT_TRUE(events().empty());
  EXPECT_EQ(axis_read(x), 0);
  EXPECT_TRUE(log.has("VirtualController unplugged\n"));
  axis_close(x);
  // The other stick still works.
  AxisHandle* y = axis_open(&w_, "VirtualController#2 axis 1");
  EXPECT_NE(y, nullptr);
  axis_close(y);
}

TEST_F(Joysticks, MouseDeviceAndItsAliasesWhenNotSticksOnly) {
  options_set_for_test("[dinputsticksonly:off]");
  roll_call();
  options_set_for_test("");
  InputDevice* mouse = device_find(&w_, "Mouse");
  ASSERT_NE(mouse, nullptr);
  EXPECT_TRUE(mouse->relative);
  EXPECT_EQ(key_code(&w_, "mouse-right"), mouse->id + 1);
  AxisHandle* x = axis_open(&w_, "mouse-x");
  EXPECT_NE(x, nullptr);
  axis_close(x);
  const char* const* names;
  EXPECT_EQ(axis_names(&w_, &names), 4);  // relative axes are not offered for binding
}

TEST_F(Joysticks, NoDevicesWithDinputOff) {
  options_set_for_test("[dinput:off]");
  roll_call();
  options_set_for_test("");
  EXPECT_EQ(device_find(&w_, "VirtualController"), nullptr);
  AxisHandle* x = axis_open(&w_, "cursor-x");  // the cursor is always there
  EXPECT_NE(x, nullptr);
  axis_close(x);
}

}  // namespace
