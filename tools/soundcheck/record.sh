#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Plays the game as a player would, under Xvfb with openbox, and records what it sounds like through SDL's disk
# audio driver; then checks the recording (analyze.py): the menu song after the splash, near-silence with music
# switched off apart from the beeps of menu moves, the menu song again from its start when music comes back on,
# the game song at a new game, and, once that game is lost, a moment of silence and the menu song from its start.
#   bash tools/soundcheck/record.sh [build folder, default build]
# Needs a built game (bash setup.sh build). Leaves the recording and its marks in build/soundcheck/.
set -euo pipefail
cd "$(dirname "$0")/../.."
build=$(realpath "${1:-build}")
out="$build/soundcheck"

tools=(xvfb openbox xdotool sox python3-numpy)
missing=()
for p in "${tools[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if ((${#missing[@]})); then
  sudo_cmd=()
  [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
  "${sudo_cmd[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq "${missing[@]}"
fi
cmake --build "$build" --target gw_xmrender >/dev/null

rm -rf "$out"
mkdir -p "$out/game"
# A fresh game folder: first start, so music and sound are on.
cp -r "$build/game/Data" "$build/game/sound" "$build/game/gromwumbler" "$out/game/"
for song in 1 2; do "$build/tools/xm/gw_xmrender" "$out/game/sound/$song.xm" "$out/$song.wav" >/dev/null; done

display=:$((70 + RANDOM % 20))
Xvfb "$display" -screen 0 1280x1024x24 >/dev/null 2>&1 &
xvfb=$!
game=
cleanup() {
  [ -n "$game" ] && kill "$game" 2>/dev/null || true
  kill "$xvfb" 2>/dev/null || true
}
trap cleanup EXIT
export DISPLAY=$display
sleep 1
openbox >/dev/null 2>&1 &

raw="$out/out.raw"
marks="$out/marks.txt"
: >"$marks"
# The recording grows in real time, so its length when something happens is when it happened in the sound.
mark() { echo "$1 $(stat -c %s "$raw")" >>"$marks"; }

(cd "$out/game" && exec env SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$raw" ./gromwumbler 2>"$out/stderr.txt") &
game=$!
for _ in $(seq 50); do
  win=$(xdotool search --name 'Grom Wumbler' 2>/dev/null | head -1 || true)
  [ -n "$win" ] && break
  sleep 0.2
done
[ -n "$win" ] || { echo "the game window did not appear" >&2; exit 1; }
xdotool windowfocus --sync "$win"
key() { xdotool key --window "$win" "$@"; }

sleep 8            # the splash fades in and holds; then the menu
mark menu
sleep 4
key Down           # "Настройки"
sleep 0.5
key Return
sleep 1
key Up             # from "back" to the display row, then to the music row
sleep 0.3
key Up
sleep 0.3
key Right          # music off
sleep 0.5
mark quiet
sleep 2.5
mark keys
for _ in 1 2 3; do key Up; sleep 0.6; done   # sound row, country field, back
mark keys_end
key Up
sleep 0.3
key Up             # the music row again
sleep 0.3
key Left           # music on: the menu song from its start
mark music_on
sleep 4
key Escape         # back to the menu, "Настройки" still chosen
sleep 1
key Up             # "Новая игра"
sleep 0.5
key Return
mark new_game
sleep 30           # level 1 runs out with nothing eaten: the game is lost, then back to the menu
mark end
kill "$game"
wait "$game" 2>/dev/null || true
game=

# Debian's own Python, which has the numpy just installed.
/usr/bin/python3 tools/soundcheck/analyze.py "$raw" "$marks" "$out/1.wav" "$out/2.wav"
