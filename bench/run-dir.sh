# SPDX-License-Identifier: GPL-3.0-or-later
# Sourced by the benchmark scripts: a private scratch folder ($run_dir) and the processes they start ($pids),
# both gone when the script ends, however it ends.
run_dir=$(mktemp -d)
chmod 700 "$run_dir"
pids=()
cleanup() {
  local p
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  for p in "${pids[@]}"; do wait "$p" 2>/dev/null || true; done
  rm -rf "$run_dir"
}
trap cleanup EXIT
