#!/usr/bin/env bash
# Installs what is missing, then builds and runs the whole test suite twice:
# a normal build, and one under AddressSanitizer + UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")"
. tools/setup.sh
dw_install

export SDL_AUDIODRIVER=dummy
export ASAN_OPTIONS="abort_on_error=1:detect_leaks=1"
export LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"

run_suite() {
  local dir="$1"; shift
  dw_build "$dir" "$@"
  # Window tests need an X server; one virtual display serves the whole run.
  xvfb-run -a -s "-screen 0 1280x720x24 -noreset" ctest --test-dir "$dir" --output-on-failure -j"$(nproc)" --timeout 600
}

run_suite build -DCMAKE_BUILD_TYPE=RelWithDebInfo
run_suite build-asan -DCMAKE_BUILD_TYPE=Debug -DDW_SANITIZE=ON -DDW_BENCH=OFF
echo "All tests passed (normal and sanitizer builds)."
