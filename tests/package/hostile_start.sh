#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The installed game started from a stranger's folder: one holding a damaged Data/Data.pp, shortcut files
# with file: addresses and a Windows program. The game must show its menu from its own installed data, write
# nothing into that folder, and on quitting hand the desktop only the web address of its own Play.url. A player
# whose folder cannot be made plays unsaved and quits cleanly.
# Runs under an Xvfb of its own (keys reach the game's menu only through a real display).
#   hostile_start.sh <build folder>
set -euo pipefail
build=$1
for tool in Xvfb openbox xdotool xprop import convert; do
  command -v "$tool" >/dev/null || { echo "FAIL: $tool is missing (bash setup.sh installs it)" >&2; exit 1; }
done

scratch=$(mktemp -d)
xvfb= wm= game=
cleanup() {
  # Waited for, so Xvfb has removed its lock file in /tmp before the test ends.
  for p in $game $wm $xvfb; do kill "$p" 2>/dev/null || true; wait "$p" 2>/dev/null || true; done
  rm -rf "$scratch"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
# Waits until the game's window shows something else than the picture in $1 (a screen has changed), keeping the
# new picture in $2: the test waits for what it expects, never for a fixed time, however loaded the machine.
wait_for_change() {
  local ae
  for _ in $(seq 150); do
    kill -0 "$game" 2>/dev/null || { cat "$scratch/stderr.txt" >&2; fail "the game ended"; }
    timeout 10 import -window "$win" "$2"
    ae=$(compare -metric AE "$1" "$2" null: 2>&1 || true)
    awk -v n="$ae" 'BEGIN { exit !(n + 0 > 500) }' && return 0
    sleep 0.2
  done
  fail "the screen did not change from $(basename "$1")"
}
# shellcheck source=../../tools/display.sh
source "$(dirname "$0")/../../tools/display.sh"
# A sanitized build checks the game's leaks at its exit, but not those of the system libraries SDL loads.
# Its list of suppressions used is not the game speaking: stderr is checked for the game's own lines only.
export LSAN_OPTIONS="suppressions=$(realpath "$(dirname "$0")/../../tools/sanitize/system-leaks.supp"):print_suppressions=0${LSAN_OPTIONS:+:$LSAN_OPTIONS}"

prefix=$scratch/prefix
cmake --install "$build" --prefix "$prefix" >"$scratch/install.log" || { cat "$scratch/install.log"; fail "cmake --install"; }
data=$(dirname "$(find "$prefix/share" -path '*/Data/Data.pp' | head -1)")/..
# The game's own shortcut, in its own data folder: the one address it may open.
printf '[InternetShortcut]\r\nURL=https://games.example/play\r\n' >"$data/Play.url"

# The stranger's folder.
start=$scratch/stranger
mkdir -p "$start/Data"
head -c 4096 /dev/urandom >"$start/Data/Data.pp"
printf '[InternetShortcut]\nURL=file:///etc/hostname\n' >"$start/Play.url"
printf '[InternetShortcut]\nURL=file:///etc/passwd\n' >"$start/moregames.url"
printf 'MZ\x90\x00' >"$start/tolvex.exe"
before=$(cd "$start" && find . -printf '%p %s %T@\n' | sort | md5sum)

# An xdg-open that only records what it is given.
mkdir -p "$scratch/bin"
cat >"$scratch/bin/xdg-open" <<EOS
#!/bin/sh
echo "\$*" >>"$scratch/opened.txt"
EOS
chmod +x "$scratch/bin/xdg-open"

start_display "$scratch"

# start_game HOME: the installed game started from the stranger's folder for the player HOME, its window found and
# focused, and waited for until its menu shows (kept in $scratch/menu.png).
start_game() {
  (cd "$start" && exec env -u XDG_DATA_HOME HOME="$1" PATH="$scratch/bin:$PATH" SDL_AUDIODRIVER=dummy \
     "$prefix/bin/gromwumbler" 2>"$scratch/stderr.txt") &
  game=$!
  win=
  for _ in $(seq 300); do
    win=$(xdotool search --onlyvisible --pid "$game" --name '^Grom Wumbler$' 2>/dev/null | head -1 || true)
    [ -n "$win" ] && break
    kill -0 "$game" 2>/dev/null || { cat "$scratch/stderr.txt" >&2; fail "the game ended at its start"; }
    sleep 0.2
  done
  [ -n "$win" ] || fail "the game window did not appear"
  xdotool windowfocus --sync "$win"
  # Past the splash (a few hundred colours of text on black), the menu with its pictures (thousands).
  local colours=0
  for _ in $(seq 30); do
    kill -0 "$game" 2>/dev/null || { cat "$scratch/stderr.txt" >&2; fail "the game ended: it read the stranger's pack"; }
    timeout 10 import -window "$win" "$scratch/menu.png"
    colours=$(convert "$scratch/menu.png" -format %k info:)
    [ "$colours" -gt 2000 ] && break
    sleep 1
  done
  echo "menu: $colours colours"
  [ "$colours" -gt 2000 ] || fail "no menu pictures ($colours colours)"
}

# Quit through the menu with the keyboard as a player's reaches the focused window (XTEST: keys sent into a window
# by name would be refused by the X server once the game has closed it, and that error would be the sender's).
# Escape asks, the left answer says yes; each key waits for the screen the one before it opens. The game must end
# with 0 and no X error.
quit_through_menu() {
  xdotool key Escape
  wait_for_change "$scratch/menu.png" "$scratch/question.png"
  xdotool key Left
  # The plate moves only when "НЕТ" was chosen; the yes is taken either way once the question shows.
  xdotool key Return
  local status=0
  await_quit "$game" || status=$?
  [ "$status" = 124 ] && fail "the game did not quit through its menu"
  game=
  [ "$status" = 0 ] || { cat "$scratch/stderr.txt" >&2; fail "exit status $status"; }
  ! grep -q "X Error" "$scratch/stderr.txt" || { cat "$scratch/stderr.txt" >&2; fail "an X error at quit"; }
}

home=$scratch/home
mkdir -p "$home"
start_game "$home"
[ -f "$home/.local/share/GromWumbler/Config.cfg" ] || fail "Config.cfg is not in the player's folder"

# A second copy on the same table is refused through the program itself: its message and exit status 1. (SDL's
# dummy video driver, so the message box it also shows cannot wait for a click.)
status=0
(cd "$start" && env -u XDG_DATA_HOME HOME="$home" SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy \
   "$prefix/bin/gromwumbler" >"$scratch/second.out" 2>"$scratch/second.err") || status=$?
[ "$status" = 1 ] || { cat "$scratch/second.err" >&2; fail "the second copy ended with $status, not 1"; }
grep -q "already running with the high scores of $home/.local/share/GromWumbler" "$scratch/second.err" ||
  { cat "$scratch/second.err" >&2; fail "the second copy did not say why it ended"; }
echo "second copy refused"

quit_through_menu

# The desktop is handed over in a process of its own: give it a moment.
for _ in $(seq 50); do [ -s "$scratch/opened.txt" ] && break; sleep 0.1; done
sleep 0.5
opened=$(cat "$scratch/opened.txt" 2>/dev/null || true)
echo "xdg-open was given: ${opened:-nothing}"
[ "$opened" = "https://games.example/play" ] || fail "xdg-open was given: ${opened:-nothing}"
after=$(cd "$start" && find . -printf '%p %s %T@\n' | sort | md5sum)
[ "$before" = "$after" ] || fail "the stranger's folder was changed: $(ls -A "$start")"

# A player whose folder cannot be made (HOME is a file): the game plays without saving, and quitting ends with 0
# and nothing on stderr but the game's own notices. Thrice: a fault at quit may come only now and then.
printf 'not a folder' >"$scratch/home-file"
for round in 1 2 3; do
  start_game "$scratch/home-file"
  quit_through_menu
  others=$(grep -v '^Grom Wumbler: ' "$scratch/stderr.txt" || true)
  [ -z "$others" ] || { cat "$scratch/stderr.txt" >&2; fail "quit with nothing saved, round $round: more than the notices"; }
done
echo "quit with nothing saved: 0, notices only (3 rounds)"
echo "hostile start OK"
