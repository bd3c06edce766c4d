#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The Windows build tested under Wine, on an Xvfb of its own with a Wine prefix of its own (in the build folder):
#   tests/windows/run.sh BUILD_WIN HOST_BUILD [SHOTS]
#  1. gw_tests.exe, the core suites;
#  2. the menu and a frame of play drawn by the Windows build, compared pixel for pixel with the Linux build's;
#  3. the portable zip unpacked into a folder named with Cyrillic letters and spaces: the menu shows, a game
#     starts, quitting through the menu ends with 0 and leaves Config.cfg beside the game;
#  4. the installer, silent: the installed game started from its shortcut's target keeps its table in
#     %APPDATA%\GromWumbler, and the uninstaller removes what was installed;
#  5. a score sent by the Windows build to our own server on loopback is stored.
# SHOTS, when given, receives the screenshots (menu, play, the installed game's menu).
set -euo pipefail
win=$(realpath "$1")
host=$(realpath "$2")
shots=${3:-}
here=$(cd "$(dirname "$0")" && pwd)
for tool in wine wineserver Xvfb openbox xdotool xprop import convert unzip curl; do
  command -v "$tool" >/dev/null || { echo "FAIL: $tool is missing (bash setup.sh windows installs it)" >&2; exit 1; }
done
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$win/CMakeCache.txt")

scratch=$(mktemp -d)
xvfb= wm= game= server=
export WINEPREFIX=$win/wine WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" SDL_AUDIODRIVER=dummy
cleanup() {
  for p in $game $server $wm; do kill "$p" 2>/dev/null || true; wait "$p" 2>/dev/null || true; done
  wineserver -k 2>/dev/null || true
  [ -n "$xvfb" ] && { kill "$xvfb" 2>/dev/null || true; wait "$xvfb" 2>/dev/null || true; }
  rm -rf "$scratch"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
step() { echo "== $* ($(date -u +%T))"; }
# shellcheck source=../../tools/display.sh
source "$here/../../tools/display.sh"
start_display "$scratch"
# A Windows path for a Linux one: Wine shows the root as Z:.
winpath() { printf 'Z:%s' "$1" | tr / '\\'; }

step "Wine prefix"
wineboot -i >/dev/null 2>&1 || fail "wineboot"
appdata=$(wine cmd /c 'echo %APPDATA%' 2>/dev/null | tr -d '\r')
appdata=$(winepath -u "$appdata" 2>/dev/null)
[ -d "$appdata" ] || fail "no %APPDATA% in the Wine prefix ($appdata)"
# The prefix is the test's own: a player's folder left by an earlier run is not this run's.
rm -rf "$appdata/GromWumbler"

step "gw_tests.exe"
# The XDG rule is the POSIX systems' player folder; Windows has %APPDATA% (checked with the installed game below).
(cd "$scratch" && wine "$win/tests/windows/gw_tests.exe" --gtest_brief=1 \
   --gtest_filter=-GameFolder.ThePlayersFolderFollowsXdgDataHomeElseHome) || fail "gw_tests.exe"

step "The same pixels"
"$host/tests/gw_frames" "$host/game/Data/Data.pp" "$scratch/linux" || fail "gw_frames (Linux)"
wine "$win/tests/windows/gw_frames.exe" "$(winpath "$host/game/Data/Data.pp")" "$(winpath "$scratch/windows")" \
  || fail "gw_frames.exe"
for frame in menu play; do
  if ! cmp -s "$scratch/linux/$frame.raw" "$scratch/windows/$frame.raw"; then
    differ=$(python3 - "$scratch/linux/$frame.raw" "$scratch/windows/$frame.raw" <<'EOS'
import sys
a, b = (open(f, 'rb').read() for f in sys.argv[1:3])
print(sum(1 for i in range(0, min(len(a), len(b)), 4) if a[i:i+3] != b[i:i+3]), "of", len(a) // 4)
EOS
)
    fail "the $frame frame differs from the Linux build's in $differ pixels"
  fi
  echo "$frame frame: identical"
done

# Waits for the game's window and its menu (past the splash: thousands of colours); prints the window id.
# shot NAME: the window into SHOTS/NAME.png.
window_of() {
  local pid=$1 id= colours=0
  for _ in $(seq 300); do
    id=$(xdotool search --onlyvisible --name '^Grom Wumbler$' 2>/dev/null | head -1 || true)
    [ -n "$id" ] && break
    kill -0 "$pid" 2>/dev/null || { cat "$scratch/stderr.txt" >&2; fail "the game ended at its start"; }
    sleep 0.2
  done
  [ -n "$id" ] || fail "the game's window did not appear"
  for _ in $(seq 60); do
    timeout 10 import -window "$id" "$scratch/now.png" 2>/dev/null || true
    colours=$(convert "$scratch/now.png" -format %k info: 2>/dev/null || echo 0)
    [ "$colours" -gt 2000 ] && break
    sleep 0.5
  done
  [ "$colours" -gt 2000 ] || fail "no menu pictures ($colours colours)"
  echo "$id"
}
shot() { [ -z "$shots" ] || cp "$scratch/now.png" "$shots/$1.png"; }
keys() { local id=$1; shift; for k in "$@"; do xdotool key --window "$id" "$k"; sleep 1.5; done; }
# Quits through the menu (Escape asks, the left answer says yes) and checks the exit status.
quit_through_menu() {
  local id=$1
  xdotool windowfocus --sync "$id" 2>/dev/null || true
  keys "$id" Escape Left
  # The key's release, sent after the press that quits, may find the window gone: that error is the sender's.
  xdotool key --window "$id" Return 2>/dev/null || true
  local status=0
  await_quit "$game" || status=$?
  [ "$status" = 124 ] && fail "the game did not quit through its menu"
  game=
  [ "$status" = 0 ] || { cat "$scratch/stderr.txt" >&2; fail "exit status $status"; }
}

step "The portable zip"
folder="$scratch/Мои игры/GromWumbler-$version"
mkdir -p "$scratch/Мои игры"
unzip -q "$win/GromWumbler-$version-win64.zip" -d "$scratch/Мои игры" || fail "unzip"
for f in gromwumbler.exe Comfortaa-Bold.ttf OFL.txt COPYING.txt ReadMe.txt moregames.url Data/Data.pp sound/1.xm \
         sound/2.xm; do
  [ -f "$folder/$f" ] || fail "the zip has no $f"
done
# Started from elsewhere: the folder it is started from never counts.
(cd "$scratch" && exec wine "$folder/gromwumbler.exe" 2>"$scratch/stderr.txt") &
game=$!
id=$(window_of "$game") || exit 1
shot windows-menu
xdotool windowfocus --sync "$id" 2>/dev/null || true
keys "$id" Return
sleep 2
timeout 10 import -window "$id" "$scratch/now.png"
shot windows-play
# Out of the game (Escape, yes) and back on the menu, then out of the program.
keys "$id" Escape Left Return
sleep 1
quit_through_menu "$id"
[ -f "$folder/Config.cfg" ] || fail "no Config.cfg beside the portable game"
[ ! -e "$appdata/GromWumbler" ] || fail "the portable game made %APPDATA%\\GromWumbler"
[ -z "$(ls "$scratch" | grep -v -e '^Мои игры$' -e '^linux$' -e '^windows$' -e '^display$' -e '^stderr.txt$' -e '^now.png$')" ] \
  || fail "the game wrote into the folder it was started from: $(ls "$scratch")"
echo "portable game OK"

step "The installer"
wine "$win/GromWumbler-$version-setup.exe" /S /AllUsers || fail "the silent installer"
installed=$(winepath -u "$(wine cmd /c 'echo %ProgramFiles%' 2>/dev/null | tr -d '\r')")/GromWumbler
[ -f "$installed/bin/gromwumbler.exe" ] || fail "nothing installed in $installed"
shortcut=$(find "$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu" -name 'Grom Wumbler.lnk' | head -1)
[ -n "$shortcut" ] || fail "no Start-menu shortcut"
# The shortcut names its target in UTF-16 among its fields.
iconv -f UTF-16LE -t UTF-8 "$shortcut" 2>/dev/null | tr -c '[:print:]' '\n' | grep -qi 'GromWumbler\\bin\\gromwumbler.exe' \
  || strings -e l "$shortcut" | grep -qi 'bin\\gromwumbler.exe' || fail "the shortcut does not start bin\\gromwumbler.exe"
wine reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\GromWumbler' /v UninstallString >/dev/null 2>&1 \
  || fail "no uninstaller registered with Windows"
before=$(cd "$installed" && find . | sort)
(cd "$scratch" && exec wine "$installed/bin/gromwumbler.exe" 2>"$scratch/stderr.txt") &
game=$!
id=$(window_of "$game") || exit 1
shot installed-menu
quit_through_menu "$id"
[ -f "$appdata/GromWumbler/Config.cfg" ] || fail "the installed game's table is not in %APPDATA%\\GromWumbler"
[ "$before" = "$(cd "$installed" && find . | sort)" ] || fail "the installed game wrote into its own folder"
# The uninstaller runs from a copy of itself and returns at once: wait for it to finish.
wine "$installed/uninstall.exe" /S /AllUsers || fail "the silent uninstaller"
for _ in $(seq 150); do [ -e "$installed" ] || break; sleep 0.2; done
[ ! -e "$installed" ] || fail "the uninstaller left $(cd "$installed" && find . | tr '\n' ' ')"
[ ! -e "$shortcut" ] || fail "the uninstaller left the shortcut"
wine reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\GromWumbler' >/dev/null 2>&1 \
  && fail "the uninstaller left its registry entry"
[ -f "$appdata/GromWumbler/Config.cfg" ] || fail "the uninstaller took the player's table"
echo "installer OK"

step "A score from Windows"
port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
"$host/server/gromwumbler-scores" --listen "127.0.0.1:$port" --db "$scratch/scores.db" 2>"$scratch/server.txt" &
server=$!
for _ in $(seq 100); do curl -sf "http://127.0.0.1:$port/healthz" >/dev/null && break; sleep 0.1; done
GROMWUMBLER_SCORE_SERVER=127.0.0.1:$port wine "$win/tests/windows/gw_send_score.exe" WINE 4321 \
  || { cat "$scratch/server.txt" >&2; fail "the score was not sent"; }
# Sent without a recording of its game, so stored unverified: listed with all=1.
curl -sf "http://127.0.0.1:$port/api/scores?period=all&all=1&limit=10" | grep -q '"score": *4321' \
  || fail "the score is not stored: $(curl -s "http://127.0.0.1:$port/api/scores?period=all&all=1")"
echo "score stored"
echo "Windows build under Wine: OK"
