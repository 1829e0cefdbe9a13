# Shared by the run and test scripts: install what is missing, then build.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

PACKAGES=(
  g++ cmake ninja-build pkg-config
  qt6-base-dev qt6-serialport-dev qt6-svg-dev libqt6svg6 libgl-dev
  libbenchmark-dev libcli11-dev libkissfft-dev
  xvfb xauth
)

# Only the tests need these: the accessibility bus, a Touchstone reader,
# clang for the fuzzers, a locale with a decimal comma, and the validators of
# the installed desktop entry and AppStream data.
TEST_PACKAGES=(
  python3-pyatspi at-spi2-core dbus-daemon locales
  python3-scikit-rf
  clang libclang-rt-14-dev
  desktop-file-utils appstream
)

# Installs only the Debian packages that are not there yet; a second run
# installs nothing.
ensure_packages() {
  local missing=()
  local p
  for p in "$@"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
      missing+=("$p")
    fi
  done
  if [ ${#missing[@]} -eq 0 ]; then
    return 0
  fi
  echo "Installing: ${missing[*]}"
  local sudo=""
  if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# Configures once, then builds only what changed.
# usage: build DIR [cmake options...] [-- targets...]
build() {
  local dir="$1"; shift
  local options=() targets=()
  while [ $# -gt 0 ]; do
    if [ "$1" = "--" ]; then shift; targets=("$@"); break; fi
    options+=("$1"); shift
  done
  if [ ! -f "$dir/build.ninja" ]; then
    cmake -S "$ROOT" -B "$dir" -G Ninja "${options[@]}"
  fi
  if [ ${#targets[@]} -gt 0 ]; then
    cmake --build "$dir" --target "${targets[@]}"
  else
    cmake --build "$dir"
  fi
}
