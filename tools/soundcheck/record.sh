#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Plays the game as a player would, under Xvfb with openbox, and records what it sounds like through SDL's disk
# audio driver; then checks the recording (analyze.py): the menu song after the splash, near-silence with music
# switched off apart from the beeps of menu moves, no beeps with sound switched off and one when it comes back on,
# the menu song switched on from behind another window without its beep, the level jingle and the game song at a
# new game, a chomp for every creature eaten, the whoops and the next level's jingle when they come, and, once the
# game is lost, the sad phrase, a moment of silence and the menu song from its start. Prints the levels of the mix.
#   bash tools/soundcheck/record.sh [build folder, default build]
# Needs a built game (bash setup.sh build). Leaves the recording and its marks in build/soundcheck/.
set -euo pipefail
cd "$(dirname "$0")/../.."
build=$(realpath "${1:-build}")
out="$build/soundcheck"

tools=(xvfb openbox xdotool x11-utils sox python3-numpy)
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
cmake --build "$build" --target gw_xmrender gw_sfxgen >/dev/null

rm -rf "$out"
mkdir -p "$out/game"
# A fresh game folder: first start, so music and sound are on.
cp -r "$build/game/Data" "$build/game/sound" "$build/game/gromwumbler" "$out/game/"
# Two passes of each song, so that a game song that wraps still matches; and the effects as the game holds them.
for song in 1 2; do "$build/tools/xm/gw_xmrender" "$out/game/sound/$song.xm" "$out/$song.wav" 2 >/dev/null; done
mkdir -p "$out/effects"
"$build/tools/sfx/gw_sfxgen" "$out/effects/bank.cpp" --wav-dir "$out/effects" >/dev/null

# A display number of its own, chosen by Xvfb among the free ones, so no other display is ever touched.
Xvfb -displayfd 3 -screen 0 1280x1024x24 3>"$out/display" >/dev/null 2>&1 &
xvfb=$!
for _ in $(seq 50); do
  [ -s "$out/display" ] && break
  sleep 0.2
done
[ -s "$out/display" ] || { echo "Xvfb did not start" >&2; exit 1; }
display=:$(head -1 "$out/display")
game=
other=
cleanup() {
  [ -n "$game" ] && kill "$game" 2>/dev/null || true
  [ -n "$other" ] && kill "$other" 2>/dev/null || true
  kill "$xvfb" 2>/dev/null || true
}
trap cleanup EXIT
export DISPLAY=$display
sleep 1
openbox >/dev/null 2>&1 &
# The window manager up before the game maps its window (one still starting can drop the map request).
for _ in $(seq 300); do xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break; sleep 0.1; done

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
# The window may be found a moment before it can take the focus.
for _ in $(seq 25); do
  xdotool windowfocus --sync "$win" 2>/dev/null && break
  sleep 0.2
done
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
for _ in 1 2 3; do key Up; sleep 0.4; done   # display, music and sound rows
key Right          # sound off
sleep 0.3
mark sound_off
for k in Down Up Down Up; do key "$k"; sleep 0.5; done   # moves that would beep
mark sound_off_end
key Left           # sound on: the beep after the choice is heard again
mark sound_on
sleep 1
key Down           # the music row
sleep 0.5
# Another window takes the focus; the keys still reach the game, which switches its song on but beeps no more.
xmessage -geometry +900+10 'another window' &
other=$!
for _ in $(seq 50); do
  owin=$(xdotool search --onlyvisible --classname '^xmessage$' 2>/dev/null | tail -1 || true)
  [ -n "$owin" ] && break
  sleep 0.2
done
[ -n "$owin" ] || { echo "the other window did not appear" >&2; exit 1; }
xdotool windowactivate --sync "$owin" 2>/dev/null || xdotool windowfocus --sync "$owin"
sleep 0.5
mark unfocused
key Left           # music on: the menu song from its start
sleep 3
key Up             # the sound row, unheard
sleep 1
mark unfocused_end
kill "$other"
other=
xdotool windowactivate --sync "$win" 2>/dev/null || xdotool windowfocus --sync "$win"
sleep 0.5
mark focused
key Down           # the music row, heard over the song
sleep 1
mark focused_end
key Escape         # back to the menu, "Настройки" still chosen
sleep 1
key Up             # "Новая игра"
sleep 0.5
key Return
mark new_game
sleep 2.3          # the level intro
# Fire on and on through most of the first level (it lasts about 19 s): every creature caught is a chomp, enough
# of them the rising whoop. No key after that, since one would act on the screens after the game.
firing=$((SECONDS + 16))
while ((SECONDS < firing)); do
  key space
  mark fire
  sleep 0.4
done
sleep 70           # the rest of the game, one more level if the first was won, until it is lost; then the menu
mark end
kill "$game"
wait "$game" 2>/dev/null || true
game=

# Debian's own Python, which has the numpy just installed.
/usr/bin/python3 tools/soundcheck/analyze.py "$raw" "$marks" "$out/1.wav" "$out/2.wav" "$out/effects"
