#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The checking builds, in build-check/ (clang, AddressSanitizer + UndefinedBehaviorSanitizer, libFuzzer):
#   bash tools/check.sh sanitize        build everything sanitized and run the whole test suite
#   bash tools/check.sh fuzz [SECONDS]  run each fuzz target from its seeds for SECONDS (default 60)
#   bash tools/check.sh all [SECONDS]   both, as CI does after `bash setup.sh test`
# Needs the packages setup.sh installs (clang and its fuzzer runtime among them). For the fuzz targets it also
# builds SDL2 from Debian's source package of the installed version, with the sanitizers and the fuzzer's
# coverage, so the pack target sees inside SDL's BMP decoder; the source and the build stay in build-check/
# (never committed) and are made once.
set -euo pipefail
cd "$(dirname "$0")/.."

mode=${1:-all}
seconds=${2:-60}
case "$mode" in sanitize|fuzz|all) ;; *) echo "usage: bash tools/check.sh sanitize|fuzz|all [SECONDS]" >&2; exit 2 ;; esac
if ! command -v clang++ >/dev/null; then
  echo "clang++ is missing: run 'bash setup.sh build' first, it installs it" >&2
  exit 1
fi

build=build-check
jobs=$(nproc)

# SDL2 with eyes for the fuzzer: Debian's own source of the installed version (its patches applied), fetched with
# a source list of our own made from the machine's apt sources (tools/debian-source.sh). Only what the BMP
# decoder and surfaces need is built.
instrumented_sdl() {
  local prefix=$PWD/$build/sdl-prefix
  if [ -f "$prefix/lib/libSDL2.a" ]; then echo "$prefix"; return; fi
  local version src
  version=$(dpkg-query -W -f='${source:Version}' libsdl2-dev)
  src=$(bash tools/debian-source.sh "$PWD/$build/sdl-src" libsdl2 "$version") || return 1
  # AddressSanitizer only: undefined behaviour inside SDL is not ours to mend, and would stop every run.
  CC=clang CFLAGS="-g -O1 -fsanitize=address -fno-omit-frame-pointer -fsanitize=fuzzer-no-link" \
    cmake -S "$src" -B "$build/sdl-build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_INSTALL_PREFIX="$prefix" -DSDL_SHARED=OFF -DSDL_STATIC=ON \
    -DSDL_TEST=OFF -DSDL_AUDIO=OFF -DSDL_JOYSTICK=OFF -DSDL_HAPTIC=OFF -DSDL_HIDAPI=OFF -DSDL_SENSOR=OFF \
    -DSDL_POWER=OFF -DSDL_X11=OFF -DSDL_WAYLAND=OFF -DSDL_KMSDRM=OFF -DSDL_OPENGL=OFF -DSDL_OPENGLES=OFF \
    -DSDL_VULKAN=OFF -DSDL_DBUS=OFF -DSDL_IBUS=OFF -DSDL_LIBUDEV=OFF -DSDL_RENDER=OFF -DSDL_OFFSCREEN=OFF \
    >"$build/sdl-configure.log" 2>&1 || { cat "$build/sdl-configure.log" >&2; return 1; }
  cmake --build "$build/sdl-build" -j "$jobs" >&2 || return 1
  cmake --install "$build/sdl-build" >/dev/null || return 1
  echo "$prefix"
}

sdl_prefix=
if [ "$mode" != sanitize ]; then
  sdl_prefix=$(instrumented_sdl) || {
    echo "WARNING: no instrumented SDL2 (see above); the pack target decodes through the system's SDL2, unseen" >&2
    sdl_prefix=
  }
fi
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
  -DGW_SANITIZE=ON -DGW_FUZZ=ON ${sdl_prefix:+-DGW_FUZZ_SDL_PREFIX="$sdl_prefix"}
cmake --build "$build" -j "$jobs"

if [ "$mode" != fuzz ]; then
  (cd "$build" && ctest --output-on-failure -j "$jobs")
fi

if [ "$mode" != sanitize ]; then
  for target in config pack; do
    # The seeds stay as they are; what the run learns goes to a scratch corpus.
    corpus=$(mktemp -d)
    trap 'rm -rf "$corpus"' EXIT
    echo "Fuzzing $target for ${seconds}s"
    # Inputs up to 64 KB: a whole small pack of 46 records fits.
    "$build/fuzz/gw_fuzz_$target" "$corpus" "fuzz/seeds/$target" -max_total_time="$seconds" -malloc_limit_mb=64 \
      -rss_limit_mb=2048 -timeout=10 -max_len=65536 -print_final_stats=1 -artifact_prefix="$build/fuzz/$target-"
    rm -rf "$corpus"
    trap - EXIT
  done
fi
