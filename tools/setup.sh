# Shared by run.sh and test.sh: installs the Debian packages the game needs
# (only those missing), configures and builds.
#   dw_install            apt-get install of what is missing (root or sudo)
#   dw_build DIR [ARGS]   cmake configure + build into DIR

DW_PACKAGES="build-essential cmake pkg-config libode-dev duktape-dev libsdl2-dev libpng-dev zlib1g-dev
  libgl1-mesa-dev libglu1-mesa-dev libegl-dev libgl1-mesa-dri nettle-dev libgtest-dev libgmock-dev
  libbenchmark-dev xvfb xauth"

dw_install() {
  local missing=""
  for p in $DW_PACKAGES; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
  done
  [ -z "$missing" ] && return 0
  echo "Installing:$missing"
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq $missing
}

dw_build() {
  local dir="$1"; shift
  cmake -S . -B "$dir" "$@" >/dev/null
  cmake --build "$dir" -j"$(nproc)"
}
