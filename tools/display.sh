# SPDX-License-Identifier: GPL-3.0-or-later
# Sourced by the scripts that play the game in a real window: a display of their own with a window manager.
#   start_display FOLDER   Xvfb on a free display number (written to FOLDER/display), DISPLAY exported, openbox
#                          running; sets xvfb and wm to their process ids for the caller's clean-up.

start_display() {
  local folder=$1
  # No socket file in /tmp/.X11-unix (the abstract socket serves): a test run leaves /tmp as it found it.
  Xvfb -displayfd 3 -nolisten unix -screen 0 1280x1024x24 3>"$folder/display" >/dev/null 2>&1 &
  xvfb=$!
  for _ in $(seq 300); do [ -s "$folder/display" ] && break; sleep 0.1; done
  [ -s "$folder/display" ] || { echo "FAIL: Xvfb did not start" >&2; return 1; }
  export DISPLAY=:$(cat "$folder/display")
  openbox >/dev/null 2>&1 &
  wm=$!
  # The window manager must be up before the game maps its window: one still starting can drop the map request,
  # leaving the game's window unmapped for good.
  for _ in $(seq 300); do xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && return 0; sleep 0.1; done
  echo "FAIL: openbox did not start" >&2
  return 1
}

# await_quit PID: waits (up to 30 s) for the game started as PID, a child of this shell, to end; returns its exit
# status, or 124 when it has not ended.
await_quit() {
  local pid=$1 status=0
  for _ in $(seq 150); do kill -0 "$pid" 2>/dev/null || break; sleep 0.2; done
  kill -0 "$pid" 2>/dev/null && return 124
  wait "$pid" || status=$?
  return "$status"
}
