#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The browser build's figures beside the Linux build's, in one run: first the page in headless Chromium
# (bench/web-play.mjs), then the native game under its own Xvfb (bench/measure-load.sh, its play figures at level 1
# are the ones to set beside the page's CPU in play).
#   bash bench/web-compare.sh [NATIVE_BUILD] [WEB_BUILD]
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
native=${1:-$here/build}
web=${2:-$here/build-web}
echo "== The browser build (headless Chromium, software drawing)"
node "$here/bench/web-play.mjs" "$native" "$web"
echo "== The Linux build (its own Xvfb)"
bash "$here/bench/measure-load.sh" "$native/game" 3 8
