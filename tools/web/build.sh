#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the game for the browser into WEB_BUILD/play/ (the page, its script, the .wasm and the preloaded data):
#   bash tools/web/build.sh NATIVE_BUILD WEB_BUILD
# NATIVE_BUILD is a configured native build folder: its tools make the picture pack, the songs and the generated
# sources, which the browser build takes as they are.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
native=$(cd "$1" && pwd)
web=$2
jobs=${GW_JOBS:-2}
export NODE_PATH=/usr/share/nodejs${NODE_PATH:+:$NODE_PATH}

cmake --build "$native" -j "$jobs" --target gw_data gw_effect_bank gw_window_icon
deps=$(bash "$root/tools/web/build-deps.sh")
emcmake cmake -S "$root" -B "$web" -DCMAKE_BUILD_TYPE=Release -DGW_NATIVE_BUILD="$native" -DGW_WEB_DEPS="$deps"
cmake --build "$web" -j "$jobs"
