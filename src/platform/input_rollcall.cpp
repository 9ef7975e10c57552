// The roll call of a window's input devices: the cursor, every attached
// joystick or game controller (SDL), and with "dinputsticksonly" off the
// mouse as a device of relative axes. Joysticks are read as whole states on
// the main thread; a button that changed becomes an event stamped now.
#include <cstdio>

#include "core/core.h"
#include "platform/platform_local.h"

namespace {

// ---------------------------------------------------------------------------
// The cursor: the pointer position in the window, in drawable pixels.
// ---------------------------------------------------------------------------

int cursor_read_axis(InputDevice* d, int axis) {
  int x = 0, y = 0, ww = 0, wh = 0;
  SDL_GetMouseState(&x, &y);
  GameWindow* w = d->window;
  if (!w->sdl) return 0;
  SDL_GetWindowSize(w->sdl, &ww, &wh);
  std::lock_guard<std::recursive_mutex> hold(w->lock);
  // On a scaled display the drawable has more pixels than the window.
  if (axis == 0) return ww > 0 ? (int)((int64_t)x * w->width / ww) : x;
  return wh > 0 ? (int)((int64_t)y * w->height / wh) : y;
}

const DeviceOps kCursorOps = {nullptr, nullptr, nullptr, cursor_read_axis};

// ---------------------------------------------------------------------------
// Joysticks and game controllers
// ---------------------------------------------------------------------------

// An unplugged stick lets go of every button it held and stops.
void joystick_detach(InputDevice* d) {
  log_printf("%s unplugged\n", d->name);
  for (int b = 0; b < d->button_count; b++)
    if (d->buttons[b]) {
      d->buttons[b] = 0;
      device_button_event(d->window, d, b, false);
    }
  for (int& a : d->axes) a = 0;
  SDL_JoystickClose(d->joystick);
  d->joystick = nullptr;
  d->detached = true;
}

// Brings SDL's copy of the stick's state up to date; false once unplugged.
bool joystick_refresh(InputDevice* d) {
  if (d->detached) return false;
  SDL_JoystickUpdate();
  if (SDL_JoystickGetAttached(d->joystick)) return true;
  joystick_detach(d);
  return false;
}

// Button b of the device: SDL's buttons first, then four per hat (up, right,
// down, left).
bool joystick_button_down(InputDevice* d, int b) {
  if (b < d->sdl_buttons) return SDL_JoystickGetButton(d->joystick, b) != 0;
  int hat = (b - d->sdl_buttons) / 4, dir = (b - d->sdl_buttons) % 4;
  static const Uint8 kHatBits[4] = {SDL_HAT_UP, SDL_HAT_RIGHT, SDL_HAT_DOWN, SDL_HAT_LEFT};
  return (SDL_JoystickGetHat(d->joystick, hat) & kHatBits[dir]) != 0;
}

void joystick_copy_buttons(GameWindow* w, InputDevice* d, bool report) {
  for (int b = 0; b < d->button_count; b++) {
    uint8_t down = joystick_button_down(d, b) ? 1 : 0;
    if (down == d->buttons[b]) continue;
    d->buttons[b] = down;
    if (report) device_button_event(w, d, b, down);
  }
}

bool joystick_open(InputDevice* d) { return !d->detached && d->joystick; }

void joystick_poll(GameWindow* w, InputDevice* d) {
  if (joystick_refresh(d)) joystick_copy_buttons(w, d, true);
}

int joystick_read_axis(InputDevice* d, int axis) {
  if (!joystick_refresh(d)) return 0;
  int v = SDL_JoystickGetAxis(d->joystick, axis);
  d->axes[axis] = v < -32767 ? -32767 : v;  // the range is symmetric
  return d->axes[axis];
}

const DeviceOps kJoystickOps = {joystick_open, nullptr, joystick_poll, joystick_read_axis};

// Caps the counts a device reports to what a device record holds.
int cap_count(int count, int max, const char* what, const char* singular) {
  if (count <= max) return count;
  char first[32];
  std::snprintf(first, sizeof first, "%s %d", singular, max);
  log_printf("Wow! This thing has a lot of %s!\nThe first ignored %s is called \"%s\"\n", what, singular, first);
  return max;
}

void add_joystick(GameWindow* w, int index) {
  const char* instance = SDL_JoystickNameForIndex(index);
  if (!instance) instance = "Joystick";
  char guid[64];
  SDL_JoystickGetGUIDString(SDL_JoystickGetDeviceGUID(index), guid, sizeof guid);
  const char* path = SDL_JoystickPathForIndex(index);
  log_printf("%s (%s)\n", instance, path ? path : guid);
  SDL_Joystick* j = SDL_JoystickOpen(index);
  if (!j) {
    log_printf("Can't get device caps\n");
    return;
  }
  int axes = SDL_JoystickNumAxes(j), buttons = SDL_JoystickNumButtons(j), hats = SDL_JoystickNumHats(j);
  axes = axes > 0 ? axes : 0;
  buttons = buttons > 0 ? buttons : 0;
  hats = hats > 0 ? hats : 0;
  if (axes == 0 && buttons + hats == 0) {
    log_printf("Ignoring Dunsel device\n");
    SDL_JoystickClose(j);
    return;
  }
  log_printf("%d axes, %d keys\n", axes, buttons + 4 * hats);
  axes = cap_count(axes, DEVICE_AXES_MAX, "axes", "axis");
  int keys = cap_count(buttons + 4 * hats, DEVICE_BUTTONS_MAX, "buttons", "button");
  for (int i = 0; i < axes; i++) log_printf("axis %d is absolute\n", i);
  InputDevice* d = device_add(w, instance, &kJoystickOps, axes, keys, false);
  if (!d) {
    SDL_JoystickClose(j);
    return;
  }
  d->joystick = j;
  d->joystick_index = index;
  d->sdl_buttons = buttons < keys ? buttons : keys;
  d->sdl_hats = hats;
  d->sdl_axes = axes;
  // Buttons already held at the roll call are state, not presses.
  SDL_JoystickUpdate();
  joystick_copy_buttons(w, d, false);
  for (int i = 0; i < axes; i++) {
    char name[256];
    std::snprintf(name, sizeof name, "%.200s axis %d", d->name, i);
    axis_name_add(w, name);
  }
}

// ---------------------------------------------------------------------------
// The mouse as a device: relative x and y, buttons left, right, middle.
// ---------------------------------------------------------------------------

int mouse_read_axis(InputDevice* d, int axis) {
  int dx = 0, dy = 0;
  SDL_GetRelativeMouseState(&dx, &dy);
  d->axes[0] += dx;
  d->axes[1] += dy;
  int v = d->axes[axis];
  d->axes[axis] = 0;
  return v;
}

void mouse_poll(GameWindow* w, InputDevice* d) {
  static const Uint32 kMasks[3] = {SDL_BUTTON_LMASK, SDL_BUTTON_RMASK, SDL_BUTTON_MMASK};
  Uint32 state = SDL_GetMouseState(nullptr, nullptr);
  for (int b = 0; b < 3; b++) {
    uint8_t down = (state & kMasks[b]) ? 1 : 0;
    if (down == d->buttons[b]) continue;
    d->buttons[b] = down;
    device_button_event(w, d, b, down);
  }
}

const DeviceOps kMouseOps = {nullptr, nullptr, mouse_poll, mouse_read_axis};

void add_mouse(GameWindow* w) {
  log_printf("%s (%s)\n", "Mouse", "System mouse");
  log_printf("%d axes, %d keys\n", 2, 3);
  log_printf("axis %d is relative\n", 0);
  log_printf("axis %d is relative\n", 1);
  device_add(w, "Mouse", &kMouseOps, 2, 3, true);
}

void roll_call(GameWindow* w, bool sticks_only) {
  log_printf("Input device roll call...\n");
  // Sticks are read on the main thread only; the message thread must not
  // update them behind its back.
  SDL_SetHint(SDL_HINT_AUTO_UPDATE_JOYSTICKS, "0");
  if (SDL_InitSubSystem(SDL_INIT_JOYSTICK) != 0) {
    log_printf("Can't open joystick support: %s\n", SDL_GetError());
  } else {
    w->joysticks_up = true;
    SDL_JoystickEventState(SDL_IGNORE);
    int count = SDL_NumJoysticks();
    for (int i = 0; i < count; i++) add_joystick(w, i);
  }
  if (!sticks_only) add_mouse(w);
  log_printf("End of input device roll call\n");
}

void define_device_aliases() {
  static const char* const kAliases[][2] = {
      {"mouse-x", "Mouse.axis[0]"},         {"mouse-y", "Mouse.axis[1]"},
      {"mouse-left", "Mouse.key[0]"},       {"mouse-right", "Mouse.key[1]"},
      {"mouse-middle", "Mouse.key[2]"},     {"joystick-a-x", "Joystick1.axis[0]"},
      {"joystick-a-y", "Joystick1.axis[1]"}, {"joystick-a-1", "Joystick1.key[0]"},
      {"joystick-a-2", "Joystick1.key[1]"}, {"joystick-b-x", "Joystick2.axis[0]"},
      {"joystick-b-y", "Joystick2.axis[1]"}, {"joystick-b-1", "Joystick2.key[0]"},
      {"joystick-b-2", "Joystick2.key[1]"},
  };
  for (const auto& a : kAliases) alias_add(a[0], a[1]);
}

}  // namespace

void input_devices_create(GameWindow* w) {
  device_add(w, "cursor", &kCursorOps, 2, 0, false);
  alias_add("cursor-left", "Mouse Left");
  alias_add("cursor-middle", "Mouse Middle");
  alias_add("cursor-right", "Mouse Right");
  alias_add("cursor-x", "cursor.axis[0]");
  alias_add("cursor-y", "cursor.axis[1]");
  if (option_flag("dinput", true)) {
    roll_call(w, option_flag("dinputsticksonly", true));
    define_device_aliases();
  }
}
