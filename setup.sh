#!/usr/bin/env bash
# Sets up a fresh Debian machine, builds the game and either runs it or runs the test suite.
#   bash setup.sh run    install what is missing, build, start the game from build/game
#   bash setup.sh test   install what is missing, build, run every test
set -euo pipefail
cd "$(dirname "$0")"

mode=${1:-run}
case "$mode" in run|test|build) ;; *) echo "usage: bash setup.sh run|test|build" >&2; exit 2 ;; esac

packages=(
  build-essential cmake pkg-config
  libsdl2-dev libsdl2-mixer-dev libfreetype-dev libfontconfig-dev libxmp-dev libcurl4-openssl-dev
  librsvg2-dev libcairo2-dev fonts-comfortaa
  libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-14-dev
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  sudo_cmd=()
  [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
  "${sudo_cmd[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq "${missing[@]}"
fi

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j "$(nproc)"

case "$mode" in
  run)  cd build/game && exec ./gromwumbler ;;
  test) cd build && exec ctest --output-on-failure -j "$(nproc)" ;;
  build) ;;
esac
