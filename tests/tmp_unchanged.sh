#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs a command (a whole test run) and fails when it leaves new entries in the temporary folder: on a small or
# memory-backed /tmp, files that each run leaves behind pile up until CI fails for want of space.
#   tmp_unchanged.sh <command...>
set -euo pipefail
(($#)) || { echo "usage: tmp_unchanged.sh <command...>" >&2; exit 2; }

folders=(/tmp)
[ -n "${TMPDIR:-}" ] && [ "$(realpath -m "$TMPDIR")" != /tmp ] && folders+=("$TMPDIR")
listing() { find "${folders[@]}" -mindepth 1 -maxdepth 1 -printf '%p\n' 2>/dev/null | LC_ALL=C sort; }

before=$(listing)
status=0
"$@" || status=$?
after=$(listing)
left=$(LC_ALL=C comm -13 <(printf '%s\n' "$before") <(printf '%s\n' "$after") | sed '/^$/d')
echo "Temporary folder (${folders[*]}): $(printf '%s\n' "$before" | sed '/^$/d' | wc -l) entries before," \
  "$(printf '%s\n' "$after" | sed '/^$/d' | wc -l) after"
if [ -n "$left" ]; then
  echo "FAIL: the run left these behind:" >&2
  sed 's/^/  /' <<<"$left" >&2
  exit 1
fi
exit "$status"
