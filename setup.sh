#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Sets up a fresh Debian machine, builds the game and either runs it or runs the test suite.
#   bash setup.sh run    install what is missing, build, start the game from build/game
#   bash setup.sh test   install what is missing, build, run every test
#   bash setup.sh windows  the same build, then the Windows one (build-win/): the game cross-built with MinGW-w64
#                          on libraries built from Debian's sources, the portable zip and the installer
#   bash setup.sh web    install what is missing, build, then the browser build in build-web/play/
set -euo pipefail
cd "$(dirname "$0")"

mode=${1:-run}
case "$mode" in run|test|build|windows|web) ;; *) echo "usage: bash setup.sh run|test|build|windows|web" >&2; exit 2 ;; esac

packages=(
  build-essential cmake pkg-config
  libsdl2-dev libsdl2-mixer-dev libfreetype-dev libfontconfig-dev libxmp-dev libcurl4-openssl-dev libasound2-dev
  libcpp-httplib-dev libsqlite3-dev zlib1g-dev nlohmann-json3-dev libboost-dev libpq-dev postgresql nginx-light wrk
  librsvg2-dev libcairo2-dev fonts-comfortaa
  libgtest-dev libgmock-dev libbenchmark-dev
  lintian desktop-file-utils appstream man-db
  xvfb openbox xdotool x11-utils imagemagick
  clang libclang-rt-14-dev
)
# The browser build: Debian's emscripten (its JavaScript tools use Debian's node modules), the tools that fetch
# and unpack Debian's source packages, brotli for the page's files, and chromium for its tests.
if [ "$mode" = web ]; then
  packages+=(emscripten node-acorn dpkg-dev brotli chromium)
  command -v npm >/dev/null || packages+=(npm)
fi
if [ "$mode" = windows ]; then
  # The cross-compiler (its posix flavour: the game uses std::thread), the installer maker, and Wine to test
  # (wine gives the `wine` command; wine64 alone only recommends it).
  packages+=(g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix nsis wine wine64 unzip curl dpkg-dev)
fi
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
apt_wait_s=${APT_WAIT_S:-300}

# apt-get that waits (up to apt_wait_s seconds) while another package manager holds its lock, then goes on.
# apt waits for dpkg's lock by itself when told to; the package lists' lock it only reports, so that one is
# retried here.
apt_get() {
  local deadline=$((SECONDS + apt_wait_s)) left log rc
  log=$(mktemp)
  while :; do
    left=$((deadline - SECONDS))
    ((left > 0)) || left=0
    rc=0
    "${sudo_cmd[@]}" env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout="$left" "$@" 2>"$log" || rc=$?
    cat "$log" >&2
    if ((rc == 0)); then rm -f "$log"; return 0; fi
    if ! grep -q 'Could not get lock\|Unable to acquire\|Unable to lock' "$log" || ((SECONDS >= deadline)); then
      rm -f "$log"
      return "$rc"
    fi
    echo "Another package manager is busy; waiting for it..." >&2
    sleep 5
  done
}

if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  apt_get update -qq
  apt_get install -y -qq "${missing[@]}"
fi

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j "$(nproc)"

case "$mode" in
  run)  cd build/game && exec ./gromwumbler ;;
  test) cd build && exec ctest --output-on-failure -j "$(nproc)" ;;
  build) ;;
  web) exec bash tools/web/build.sh build build-web ;;
  windows)
    prefix=$(bash tools/windows/build-deps.sh)
    cmake -S . -B build-win -DCMAKE_TOOLCHAIN_FILE=dist/windows/Toolchain.cmake -DCMAKE_BUILD_TYPE=RelWithDebInfo \
      -DGW_WIN_PREFIX="$prefix" -DGW_HOST_BUILD="$PWD/build"
    cmake --build build-win -j "$(nproc)"
    ;;
esac
