#!/usr/bin/env bash
# Installs what is missing, builds the game and its default data, and runs
# it with the arguments given: ./run.sh [options] [demo file]
set -euo pipefail
cd "$(dirname "$0")"
. tools/setup.sh
dw_install
dw_build build -DCMAKE_BUILD_TYPE=RelWithDebInfo
# The generated default data set is the game's second search folder.
export DW_HOME="$PWD/build/data"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${SDL_VIDEODRIVER:-}" ]; then
  echo "run.sh: no display found; running with SDL's offscreen video driver" >&2
  export SDL_VIDEODRIVER=offscreen
fi
exec build/dirtwave "$@"
