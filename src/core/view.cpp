// View modes: which view the frame draws, and how Tab cycles through them.
#include "core/game.h"
#include "core/launch.h"

static bool track_loaded() { return loop_hooks.track_loaded && loop_hooks.track_loaded(); }
static bool watched_has_bike() { return loop_hooks.slot_has_bike && loop_hooks.slot_has_bike(game.watched_slot); }

void view_update() {
  if (game.view == VIEW_NO_TRACK && track_loaded()) game.view = VIEW_FIRST_PERSON;
  bool riding_view = game.view == VIEW_FIRST_PERSON || game.view == VIEW_CHASE || game.view == VIEW_EDITOR;
  if (game_riding() && !riding_view) game.view = VIEW_FIRST_PERSON;
  if (!watched_has_bike()) game.view = VIEW_TRACK_CAMERA;
  if (!track_loaded()) game.view = VIEW_NO_TRACK;
}

void view_cycle() {
  switch (game.view) {
    case VIEW_FIRST_PERSON:
      game.view = launch.editor ? VIEW_EDITOR : VIEW_CHASE;
      break;
    case VIEW_EDITOR:
      // Leaving the editor: the edited ground is shaded and the bikes set
      // down on it before anyone rides again.
      if (loop_hooks.editor_leave) loop_hooks.editor_leave();
      game.view = VIEW_CHASE;
      break;
    case VIEW_CHASE:
      game.view = VIEW_TRACK_CAMERA;
      break;
    case VIEW_TRACK_CAMERA:
      game.view = VIEW_FIRST_PERSON;
      break;
    default:
      break;
  }
}
