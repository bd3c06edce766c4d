#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The browser build's page test (tests/web/play.mjs) in headless Chromium:
#   bash tests/web/run.sh NATIVE_BUILD WEB_BUILD [SHOTS_DIR]
# Installs its one npm module (puppeteer-core, pinned by package-lock.json) the first time. Ends with 77 (skipped)
# when there is no browser build or no Chromium to test it with.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
if [ $# -lt 2 ]; then
  echo "usage: bash tests/web/run.sh NATIVE_BUILD WEB_BUILD [SHOTS_DIR]" >&2
  exit 2
fi
if [ ! -f "$2/play/index.html" ] || [ ! -x /usr/bin/chromium ] || ! command -v node >/dev/null; then
  echo "no browser build in $2 (bash setup.sh web) or no chromium: skipped" >&2
  exit 77
fi
if [ ! -d "$here/node_modules/puppeteer-core" ]; then
  npm ci --prefix "$here" --no-audit --no-fund --loglevel=error >&2
fi
exec node "$here/play.mjs" "$@"
