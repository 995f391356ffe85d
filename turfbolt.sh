#!/usr/bin/env bash
# Turfbolt's two entry points:
#   ./turfbolt.sh play   install what is missing, build, make the default data, start the game
#   ./turfbolt.sh test   install what is missing, build, make the default data, run every test
set -euo pipefail
cd "$(dirname "$(readlink -f "$0")")"

PACKAGES=(g++ cmake ninja-build pkg-config libsdl2-dev libepoxy-dev libimgui-dev libstb-dev
          libpng-dev zlib1g-dev libogg-dev libvorbis-dev libfreetype-dev fonts-dejavu-core
          libegl-dev libgl-dev libglvnd-dev libegl-mesa0 libgl1-mesa-dri libgtest-dev
          libbenchmark-dev xvfb xauth clang libclang-rt-14-dev ccache)
BUILD_DIR=${TB_BUILD_DIR:-build}

install_missing() {
  local missing=()
  for p in "${PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing+=("$p")
  done
  ((${#missing[@]} == 0)) && return 0
  local sudo=()
  [ "$(id -u)" -eq 0 ] || sudo=(sudo)
  echo "Installing: ${missing[*]}"
  "${sudo[@]}" apt-get update
  DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y --no-install-recommends "${missing[@]}"
}

build() {
  if [ ! -f "$BUILD_DIR/build.ninja" ]; then
    cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
  fi
  cmake --build "$BUILD_DIR"
}

case "${1:-}" in
  play)
    install_missing
    build
    cd "$BUILD_DIR/game"
    exec ./turfbolt "${@:2}"
    ;;
  test)
    install_missing
    build
    ctest --test-dir "$BUILD_DIR" --output-on-failure -j "$(nproc)"
    ;;
  *)
    echo "usage: $0 play|test" >&2
    exit 2
    ;;
esac
