// Input devices of a window: their names and ids, the axis handles that
// bindings open, and the polling that turns button changes into events.
#include <cstdio>
#include <cstring>

#include "core/core.h"
#include "platform/platform_local.h"

int device_id_for_name(const char* name, const int* used, int used_count) {
  uint16_t even = 0;
  uint8_t odd = 0;
  for (int i = 0; name[i]; i++) {
    if (i % 2 == 0) even = (uint16_t)(even + (unsigned char)name[i]);
    else odd = (uint8_t)(odd + (unsigned char)name[i]);
  }
  int slot = (even + 256 * odd) % 32768;  // bits 16..30 of the id
  // 0 would collide with the keyboard and mouse codes; another device's id
  // with its buttons. Take the next free value.
  for (int tries = 0; tries < 32768; tries++) {
    int id = slot << 16;
    bool taken = slot == 0;
    for (int i = 0; i < used_count && !taken; i++) taken = used[i] == id;
    if (!taken) return id;
    slot = (slot + 1) % 32768;
  }
  return 0;
}

InputDevice* device_find(GameWindow* w, const char* name) {
  for (InputDevice* d = w->devices; d; d = d->next)
    if (!std::strcmp(d->name, name)) return d;
  return nullptr;
}

void device_name_make(GameWindow* w, const char* instance, char* out, int out_size) {
  char base[DEVICE_NAME_MAX - 8];
  int n = 0;
  for (const char* p = instance; *p && n < (int)sizeof base - 1; p++)
    if (*p != ' ' && *p != '.') base[n++] = *p;
  base[n] = 0;
  if (!n) std::snprintf(base, sizeof base, "Device");
  std::snprintf(out, out_size, "%s", base);
  for (int k = 2; device_find(w, out); k++) std::snprintf(out, out_size, "%s#%d", base, k);
}

InputDevice* device_add(GameWindow* w, const char* instance_name, const DeviceOps* ops, int axis_count,
                        int button_count, bool relative) {
  InputDevice* d = (InputDevice*)mem_calloc(1, sizeof(InputDevice));
  if (!d) return nullptr;
  device_name_make(w, instance_name, d->name, sizeof d->name);
  int used[256], used_count = 0;
  InputDevice** tail = &w->devices;
  for (; *tail; tail = &(*tail)->next)
    if (used_count < 256) used[used_count++] = (*tail)->id;
  d->id = device_id_for_name(d->name, used, used_count);
  d->ops = ops;
  d->window = w;
  d->axis_count = axis_count;
  d->button_count = button_count;
  d->relative = relative;
  d->joystick_index = -1;
  *tail = d;
  return d;
}

void axis_name_add(GameWindow* w, const char* name) {
  if (w->axis_name_count >= AXIS_NAMES_MAX) return;
  log_printf("Adding axis \"%s\"\n", name);
  w->axis_name_list[w->axis_name_count++] = pool_string(name);
}

int axis_names(GameWindow* w, const char* const** names) {
  *names = w->axis_name_list;
  return w->axis_name_count;
}

void device_button_event(GameWindow* w, InputDevice* d, int button, bool down) {
  if (button < 0 || button > 255) return;  // beyond the codes a device has
  window_queue_event(w, d->id + button, down, clock_now());
}

void input_devices_poll(GameWindow* w) {
  for (InputDevice* d = w->devices; d; d = d->next)
    if (d->polled && !d->detached && d->ops->poll) d->ops->poll(w, d);
}

void input_devices_close(GameWindow* w) {
  InputDevice* d = w->devices;
  while (d) {
    InputDevice* next = d->next;
    log_printf("Killing %s\n", d->name);
    if (d->open_axes > 0 && d->ops->close) d->ops->close(d);
    if (d->joystick) SDL_JoystickClose(d->joystick);
    mem_free(d);
    d = next;
  }
  w->devices = nullptr;
  w->axis_name_count = 0;
  if (w->joysticks_up) SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
  w->joysticks_up = false;
}

// ---------------------------------------------------------------------------
// Axes
// ---------------------------------------------------------------------------

AxisHandle* axis_open(GameWindow* w, const char* name) {
  if (!w || !name) return nullptr;
  name = alias_resolve(name);
  char device[64];
  int index = -1;
  if (!parse_device_item(name, "axis", "axis", device, &index)) return nullptr;
  InputDevice* d = device_find(w, device);
  if (!d || index < 0 || index >= d->axis_count) return nullptr;
  if (d->open_axes == 0 && d->ops->open && !d->ops->open(d)) return nullptr;
  AxisHandle* a = (AxisHandle*)mem_alloc(sizeof(AxisHandle));
  if (!a) {
    if (d->open_axes == 0 && d->ops->close) d->ops->close(d);
    return nullptr;
  }
  d->open_axes++;
  a->device = d;
  a->axis = index;
  return a;
}

int axis_read(AxisHandle* a) {
  if (!a || a->device->detached) return 0;  // an unplugged stick rests at 0
  return a->device->ops->read_axis(a->device, a->axis);
}

void axis_close(AxisHandle* a) {
  if (!a) return;
  InputDevice* d = a->device;
  if (--d->open_axes == 0 && d->ops->close) d->ops->close(d);
  mem_free(a);
}
