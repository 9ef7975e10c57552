// Key, button and alias names: what the configuration file stores must turn
// into the right event codes and back.
#include <gtest/gtest.h>

#include <string>

#include "platform/platform_local.h"
#include "platform_test.h"

namespace {

struct NameCase {
  const char* name;
  int code;  // -1: the name must not resolve
};

TEST(KeyNames, ResolveToCodes) {
  const NameCase cases[] = {
      {"x", 4096 + 45},          {"X", 4096 + 45},          {"x ", 4096 + 45},
      {"right ctrl", 4096 + 285}, {"Right_Ctrl", 4096 + 285}, {"keypad enter", 4096 + 284},
      {"Keypad Enter", 4096 + 284}, {"Esc", 4096 + 1},       {"esc", 4096 + 1},
      {"Enter", 4096 + 28},      {"Page Up", 4096 + 329},   {"page  down", 4096 + 337},
      {"Num Lock", 4096 + 325},  {"Pause", 4096 + 69},      {" ", 4096 + 57},
      {"Space", 4096 + 57},      {"Keypad .", 4096 + 83},   {"\\", 4096 + 43},
      {"Close", EV_CLOSE},       {"close", EV_CLOSE},       {"Mouse Left", EV_MOUSE_LEFT},
      {"mouse middle", EV_MOUSE_MIDDLE}, {"Mouse Right", EV_MOUSE_RIGHT},
      {"0x1d", 4096 + 29},       {"0x1ff", 4096 + 511},     {"0x0", 4096},
      {"0x200", -1},             {"0x-1", -1},              {"0x1dz", -1},
      {"0x", -1},                {"", -1},                  {"   ", -1},
      {"No Such Key", -1},       {"Joystick1.key[0]", -1},  {"Joystick1 button 0", -1},
  };
  for (const NameCase& c : cases) EXPECT_EQ(key_code(nullptr, c.name), c.code) << '"' << c.name << '"';
  EXPECT_EQ(key_code(nullptr, nullptr), -1);
}

// Every name the game writes for a key must read back as the same key, and
// no platform name may steal one of the game's own names.
TEST(KeyNames, EveryKeyCodeRoundTrips) {
  for (int scan = 0; scan < 512; scan++) {
    const char* name = key_name(nullptr, EV_KEY_BASE + scan);
    ASSERT_NE(name, nullptr) << scan;
    EXPECT_EQ(key_code(nullptr, name), EV_KEY_BASE + scan) << "scan " << scan << " named \"" << name << '"';
  }
  for (int code : {EV_CLOSE, EV_MOUSE_LEFT, EV_MOUSE_MIDDLE, EV_MOUSE_RIGHT})
    EXPECT_EQ(key_code(nullptr, key_name(nullptr, code)), code);
  // Characters and unknown codes have no name.
  EXPECT_EQ(key_name(nullptr, 9), nullptr);
  EXPECT_EQ(key_name(nullptr, '0'), nullptr);
  EXPECT_EQ(key_name(nullptr, 4096 + 512), nullptr);
}

TEST(KeyNames, UnnamedScanCodesUseHex) {
  // Scan code 84 is a key no keyboard table names.
  EXPECT_STREQ(key_name(nullptr, 4096 + 84), "0x54");
  EXPECT_STREQ(key_name(nullptr, 4096 + 84), key_name(nullptr, 4096 + 84));  // pooled: one copy
}

TEST(KeyNames, SdlScanCodesMapToPcScanCodes) {
  const struct {
    SDL_Scancode sdl;
    int scan;
  } cases[] = {
      {SDL_SCANCODE_X, 45},         {SDL_SCANCODE_ESCAPE, 1},    {SDL_SCANCODE_RCTRL, 285},
      {SDL_SCANCODE_KP_ENTER, 284}, {SDL_SCANCODE_RETURN, 28},   {SDL_SCANCODE_UP, 328},
      {SDL_SCANCODE_LEFT, 331},     {SDL_SCANCODE_RIGHT, 333},   {SDL_SCANCODE_DOWN, 336},
      {SDL_SCANCODE_PAUSE, 69},     {SDL_SCANCODE_NUMLOCKCLEAR, 325}, {SDL_SCANCODE_F12, 88},
      {SDL_SCANCODE_UNKNOWN, -1},
  };
  for (const auto& c : cases) EXPECT_EQ(scancode_from_sdl(c.sdl), c.scan) << SDL_GetScancodeName(c.sdl);
}

TEST(Aliases, ReplaceNamesAndKeepTheFirstDefinition) {
  LogCapture log("aliases");
  alias_add("test-fire", "Right Ctrl");
  EXPECT_EQ(key_code(nullptr, "test-fire"), 4096 + 285);
  alias_add("test-fire", "Space");  // ignored
  EXPECT_EQ(key_code(nullptr, "test-fire"), 4096 + 285);
  EXPECT_TRUE(log.has("Second alias for 'test-fire' ('Space') ignored\n"));
  // The same pair again (a second window) is not a conflict.
  alias_add("test-fire", "Right Ctrl");
  EXPECT_EQ(log.text().find("('Right Ctrl') ignored"), std::string::npos);
}

// A window without SDL behind it, with devices the test makes up.
class FakeDeviceTest : public testing::Test {
 protected:
  static int read_fake_axis(InputDevice* d, int axis) { return d->axes[axis]; }
  static bool open_fake(InputDevice* d) {
    d->axes[DEVICE_AXES_MAX - 1]++;  // counts opens
    return true;
  }
  static void close_fake(InputDevice* d) { d->axes[DEVICE_AXES_MAX - 2]++; }  // counts closes
  const DeviceOps ops_ = {open_fake, close_fake, nullptr, read_fake_axis};
  GameWindow w_;
  ~FakeDeviceTest() override { input_devices_close(&w_); }
};

TEST_F(FakeDeviceTest, DeviceButtonsByEitherForm) {
  InputDevice* pad = device_add(&w_, "Game Pad.2", &ops_, 2, 4, false);
  ASSERT_NE(pad, nullptr);
  EXPECT_STREQ(pad->name, "GamePad2");
  EXPECT_FALSE(pad->polled);
  int dotted = key_code(&w_, "GamePad2.key[3]");
  EXPECT_EQ(dotted, pad->id + 3);
  EXPECT_EQ(key_code(&w_, "GamePad2 button 3"), dotted);
  EXPECT_TRUE(pad->polled);  // naming a button makes the device polled
  EXPECT_STREQ(key_name(&w_, dotted), "GamePad2 button 3");
  const char* bad[] = {"GamePad2.key[4]", "GamePad2 button 4", "GamePad2.key[300]", "GamePad2 button 300",
                       "GamePad2.key[-1]", "GamePad2.key[1", "Other.key[1]", "GamePad2 button 1 x"};
  for (const char* name : bad) EXPECT_EQ(key_code(&w_, name), -1) << name;
}

TEST_F(FakeDeviceTest, ButtonIndexAbove255IsRefusedEvenOnBigDevices) {
  InputDevice* big = device_add(&w_, "Cockpit", &ops_, 0, 400, false);
  EXPECT_EQ(key_code(&w_, "Cockpit.key[255]"), big->id + 255);
  EXPECT_EQ(key_code(&w_, "Cockpit.key[300]"), -1);
  EXPECT_EQ(key_code(&w_, "Cockpit button 300"), -1);
}

TEST_F(FakeDeviceTest, SameInstanceNamesGetNumbered) {
  InputDevice* a = device_add(&w_, "Virtual Controller", &ops_, 2, 2, false);
  InputDevice* b = device_add(&w_, "Virtual Controller", &ops_, 2, 2, false);
  InputDevice* c = device_add(&w_, "Virtual Controller", &ops_, 2, 2, false);
  EXPECT_STREQ(a->name, "VirtualController");
  EXPECT_STREQ(b->name, "VirtualController#2");
  EXPECT_STREQ(c->name, "VirtualController#3");
  EXPECT_NE(a->id, b->id);
  EXPECT_NE(b->id, c->id);
  EXPECT_NE(a->id, c->id);
}

TEST_F(FakeDeviceTest, AxesOpenTheirDeviceOnceAndCloseIt) {
  InputDevice* d = device_add(&w_, "Wheel", &ops_, 3, 0, false);
  d->axes[2] = -1234;
  AxisHandle* a = axis_open(&w_, "Wheel.axis[2]");
  AxisHandle* b = axis_open(&w_, "Wheel axis 2");
  ASSERT_NE(a, nullptr);
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(axis_read(a), -1234);
  EXPECT_EQ(d->axes[DEVICE_AXES_MAX - 1], 1);  // opened once
  axis_close(a);
  EXPECT_EQ(d->axes[DEVICE_AXES_MAX - 2], 0);
  axis_close(b);
  EXPECT_EQ(d->axes[DEVICE_AXES_MAX - 2], 1);  // closed with the last axis
  for (const char* name : {"Wheel.axis[3]", "Wheel.axis[-1]", "Wheel axis", "Pedals.axis[0]", "Wheel.key[0]"})
    EXPECT_EQ(axis_open(&w_, name), nullptr) << name;
  alias_add("test-steer", "Wheel.axis[1]");
  AxisHandle* aliased = axis_open(&w_, "test-steer");
  EXPECT_NE(aliased, nullptr);
  axis_close(aliased);
}

}  // namespace

// Device ids: the sum of the even characters and 256 x the odd ones, in bits
// 16..30, never 0 and never another device's.
TEST(DeviceIds, HashOfTheNameAndCollisions) {
  int mouse = ((77 + 117 + 101) + 256 * (111 + 115)) % 32768;  // "Mouse"
  EXPECT_EQ(device_id_for_name("Mouse", nullptr, 0), mouse << 16);
  int used[] = {mouse << 16};
  EXPECT_EQ(device_id_for_name("Mouse", used, 1), (mouse + 1) << 16);
  EXPECT_EQ(device_id_for_name("", nullptr, 0), 1 << 16);  // 0 is the keyboard's
  // "\xff\x7f" hashes to the last value; taken, the next wraps past 0 to 1.
  int last[] = {32767 << 16};
  EXPECT_EQ(device_id_for_name("\xff\x7f", nullptr, 0), 32767 << 16);
  EXPECT_EQ(device_id_for_name("\xff\x7f", last, 1), 1 << 16);
}
