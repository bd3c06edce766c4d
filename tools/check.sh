#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The checking builds, in build-check/ (clang, AddressSanitizer + UndefinedBehaviorSanitizer, libFuzzer):
#   bash tools/check.sh sanitize        build everything sanitized and run the whole test suite
#   bash tools/check.sh fuzz [SECONDS]  run each fuzz target from its seeds for SECONDS (default 60)
#   bash tools/check.sh all [SECONDS]   both, as CI does after `bash setup.sh test`
# Needs the packages setup.sh installs (clang and its fuzzer runtime among them).
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
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
  -DGW_SANITIZE=ON -DGW_FUZZ=ON
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
    "$build/fuzz/gw_fuzz_$target" "$corpus" "fuzz/seeds/$target" -max_total_time="$seconds" -malloc_limit_mb=64 \
      -rss_limit_mb=2048 -timeout=10 -print_final_stats=1 -artifact_prefix="$build/fuzz/$target-"
    rm -rf "$corpus"
    trap - EXIT
  done
fi
