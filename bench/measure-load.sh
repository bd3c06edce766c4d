#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# What the running game costs: CPU of the game and of the display server (Xvfb), each in % of one core, on
# the main menu at rest and in play at level 1, and the game's peak resident memory after a menu, a game
# and the high-score table. Runs its own Xvfb with openbox; sound goes to SDL's dummy driver (a silent game), or,
# with MEASURE_AUDIO=disk, through the real mixer into /dev/null at the pace of a sound card.
#   bash bench/measure-load.sh [game-folder] [samples] [seconds-per-sample]
# Needs Xvfb, openbox, xdotool and xprop. CPU figures are medians of per-process CPU time (utime + stime from
# /proc/<pid>/stat) over fixed wall intervals, so other load on the machine moves them little.
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
game_dir=$(cd "${1:-$here/build/game}" && pwd)
samples=${2:-5}
seconds=${3:-8}
display=${GW_MEASURE_DISPLAY:-:113}
# A play sample must fit inside one level 1 (about 17 s after the 2 s intro).
((seconds >= 1 && seconds <= 16)) || { echo "measure-load: seconds per sample must be 1..16" >&2; exit 2; }

for tool in Xvfb openbox xdotool; do
  command -v "$tool" >/dev/null || { echo "measure-load: $tool is missing" >&2; exit 2; }
done

source "$here/bench/run-dir.sh"

# A fresh game folder: the data of the build, its own settings file.
ln -s "$game_dir/Data" "$run_dir/Data"
ln -s "$game_dir/sound" "$run_dir/sound"

Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
pids+=("$xvfb")
for _ in $(seq 50); do DISPLAY=$display xdotool getmouselocation >/dev/null 2>&1 && break; sleep 0.1; done
DISPLAY=$display openbox >/dev/null 2>&1 &
pids+=("$!")
# The window manager up before the game maps its window (one still starting can drop the map request).
for _ in $(seq 300); do DISPLAY=$display xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break; sleep 0.1; done
# The pointer stays off the window, so no button is hovered and Enter on the menu starts a new game.
DISPLAY=$display xdotool mousemove 1 1

(cd "$run_dir" && DISPLAY=$display SDL_AUDIODRIVER=${MEASURE_AUDIO:-dummy} SDL_DISKAUDIOFILE=/dev/null exec "$game_dir/gromwumbler") >/dev/null 2>&1 &
game=$!
pids+=("$game")

win=""
for _ in $(seq 100); do
  win=$(DISPLAY=$display xdotool search --name 'Grom Wumbler' 2>/dev/null | head -1 || true)
  [ -n "$win" ] && break
  sleep 0.1
done
[ -n "$win" ] || { echo "measure-load: the game window did not appear" >&2; exit 1; }

key() {
  DISPLAY=$display xdotool windowfocus --sync "$win" 2>/dev/null || true
  DISPLAY=$display xdotool key "$@"
}

ticks_per_second=$(getconf CLK_TCK)
cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }

# One sample: % of one core used by the game and by Xvfb over a wall interval.
sample() {
  local g0 x0 t0 g1 x1 t1
  g0=$(cpu_ticks "$game"); x0=$(cpu_ticks "$xvfb"); t0=$(date +%s.%N)
  sleep "$seconds"
  g1=$(cpu_ticks "$game"); x1=$(cpu_ticks "$xvfb"); t1=$(date +%s.%N)
  awk -v g=$((g1 - g0)) -v x=$((x1 - x0)) -v t0="$t0" -v t1="$t1" -v hz="$ticks_per_second" \
    'BEGIN { w = (t1 - t0) * hz; printf "%.2f %.2f\n", 100 * g / w, 100 * x / w }'
}

median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

report() {
  local name=$1 file=$2 g x
  g=$(cut -d' ' -f1 "$file" | median)
  x=$(cut -d' ' -f2 "$file" | median)
  printf '%-10s game %5.2f %%  Xvfb %5.2f %%  together %5.2f %%   (samples, game/Xvfb: %s)\n' "$name" "$g" "$x" \
    "$(awk -v a="$g" -v b="$x" 'BEGIN { print a + b }')" "$(tr '\n' ',' <"$file" | sed 's/,$//; s/ /\//g')"
}

sleep 1
key Escape  # past the splash
sleep 3
: >"$run_dir/menu"
for _ in $(seq "$samples"); do sample >>"$run_dir/menu"; done

# Play: each sample is a new game at level 1, measured after its 2 s intro while the level runs (it lasts
# 1100 frames, about 17 s); then the level ends without its target and the game goes back to the menu.
: >"$run_dir/play"
for _ in $(seq "$samples"); do
  key Return
  sleep 2.5
  sample >>"$run_dir/play"
  sleep $((17 + 2 + 3 - seconds))
done

# The high-score table, then back: its pictures and text are part of the peak.
key Down Down Return
sleep 2
key Escape
sleep 1

peak_kb=$(awk '/^VmHWM:/ { print $2 }' "/proc/$game/status")
report menu "$run_dir/menu"
report play "$run_dir/play"
printf 'peak resident memory of the game: %.1f MB (VmHWM %s kB)\n' "$(awk -v k="$peak_kb" 'BEGIN { print k / 1024 }')" \
  "$peak_kb"
