#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The install tree of `cmake --install` in a scratch prefix: every file where a Linux desktop looks for it, the
# menu entry, the AppStream file and the manual pages valid and naming the prefix installed to, the icon in its
# sizes, and the installed game started headless by its menu entry's command from an empty folder, keeping
# Config.cfg in the player's folder and nothing where it was started; then the whole tree moved, and run again.
#   install_tree.sh <build folder> <AppStream id> <version> <icon sizes...>
set -euo pipefail
build=$1 appid=$2 version=$3
shift 3
sizes=("$@")

scratch=$(mktemp -d)
game=
cleanup() {
  [ -n "$game" ] && kill "$game" 2>/dev/null || true
  rm -rf "$scratch"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

# An odd prefix on purpose: the game must find its data from where it lies, not from where it was configured.
prefix=$scratch/opt/gw
cmake --install "$build" --prefix "$prefix" >"$scratch/install.log" || { cat "$scratch/install.log"; fail "cmake --install"; }

need=(
  bin/gromwumbler
  share/gromwumbler/Data/Data.pp share/gromwumbler/sound/1.xm share/gromwumbler/sound/2.xm share/gromwumbler/moregames.url
  "share/applications/$appid.desktop" "share/metainfo/$appid.metainfo.xml"
  share/icons/hicolor/scalable/apps/gromwumbler.svg
  share/man/man6/gromwumbler.6.gz
  share/doc/gromwumbler/copyright share/doc/gromwumbler/changelog.gz
  share/doc/gromwumbler-data/copyright share/doc/gromwumbler-data/changelog.gz
)
if grep -q gromwumbler-scores "$build/install_manifest.txt"; then
  need+=(bin/gromwumbler-scores lib/systemd/system/gromwumbler-scores.service share/man/man8/gromwumbler-scores.8.gz)
fi
for f in "${need[@]}"; do [ -f "$prefix/$f" ] || fail "missing $f"; done
[ -x "$prefix/bin/gromwumbler" ] || fail "bin/gromwumbler is not executable"
# Nothing of the portable game folder lands beside the program.
[ ! -e "$prefix/bin/Data" ] && [ ! -e "$prefix/bin/sound" ] || fail "data beside the installed program"
cmp -s "$prefix/share/gromwumbler/moregames.url" "$build/game/moregames.url" || fail "moregames.url is not the build's"

for size in "${sizes[@]}"; do
  png=$prefix/share/icons/hicolor/${size}x${size}/apps/gromwumbler.png
  [ -f "$png" ] || fail "missing the ${size}x${size} icon"
  # Width and height are the big-endian words at bytes 16 and 20 of a PNG.
  read -r w h < <(od -An -tu1 -j16 -N8 "$png" | awk '{print $1*16777216+$2*65536+$3*256+$4, $5*16777216+$6*65536+$7*256+$8}')
  [ "$(head -c8 "$png" | od -An -tx1 | tr -d ' \n')" = 89504e470d0a1a0a ] || fail "$png is not a PNG"
  [ "$w" = "$size" ] && [ "$h" = "$size" ] || fail "$png is ${w}x${h}"
done

desktop-file-validate "$prefix/share/applications/$appid.desktop" || fail "desktop-file-validate"
# Offline (its homepage is not reachable from here), and without even a pedantic note.
notes=$(appstreamcli validate --pedantic --no-net "$prefix/share/metainfo/$appid.metainfo.xml") ||
  fail "appstreamcli validate: $notes"
! grep -E '^[EWP]:' <<<"$notes" || fail "appstreamcli validate --pedantic has notes"
grep -q "<release version=\"$version\"" "$prefix/share/metainfo/$appid.metainfo.xml" || fail "AppStream release is not $version"
for page in "$prefix"/share/man/man*/*.gz; do
  warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l "$page" 2>&1 >/dev/null || true)
  [ -z "$warnings" ] || fail "$page: $warnings"
done
# Paths are those of the prefix installed to, not of the one configured; a menu's PATH lacks this prefix, so the
# entry names the program in full.
desktop=$prefix/share/applications/$appid.desktop
command=$(sed -n 's/^Exec=//p' "$desktop")
[ "$command" = "$prefix/bin/gromwumbler" ] || fail "the menu entry starts '$command'"
zcat "$prefix/share/man/man6/gromwumbler.6.gz" | grep -qF "$prefix/share/gromwumbler" ||
  fail "the manual page does not name the installed data folder"
if [ -f "$prefix/lib/systemd/system/gromwumbler-scores.service" ]; then
  grep -q "^ExecStart=$prefix/bin/gromwumbler-scores .*--db /var/lib/gromwumbler-scores/" \
    "$prefix/lib/systemd/system/gromwumbler-scores.service" || fail "the unit does not start the installed server"
fi

# The command line.
[ "$("$prefix/bin/gromwumbler" --version)" = "gromwumbler (Grom Wumbler) $version" ] || fail "--version"
"$prefix/bin/gromwumbler" --help | grep -q '^Usage: gromwumbler' || fail "--help"
status=0
"$prefix/bin/gromwumbler" --bogus 2>/dev/null || status=$?
[ "$status" = 2 ] || fail "an unknown option ends with $status"

# Two players of one machine start the installed game from empty folders, as their menus do (the PATH of a
# desktop session started by systemd): each gets a table of their own.
start_game() {  # <player home> <folder to start from> [XDG_DATA_HOME]
  local home=$1 from=$2 xdg=${3:-}
  mkdir -p "$home" "$from"
  (cd "$from" && exec env -u XDG_DATA_HOME HOME="$home" ${xdg:+XDG_DATA_HOME="$xdg"} SDL_VIDEODRIVER=dummy \
     SDL_AUDIODRIVER=dummy PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin $command \
     2>"$scratch/stderr.txt") &
  game=$!
}
wait_for_file() {  # the game writes Config.cfg at its first start, before the first frame
  local file=$1
  for _ in $(seq 300); do
    [ -f "$file" ] && [ "$(stat -c %s "$file")" = 100 ] && return 0
    kill -0 "$game" 2>/dev/null || { cat "$scratch/stderr.txt" >&2; fail "the game ended"; }
    sleep 0.1
  done
  fail "no $file"
}
stop_game() {
  kill "$game" 2>/dev/null || true
  wait "$game" 2>/dev/null || true
  game=
}

start_game "$scratch/anna" "$scratch/anna-start"
wait_for_file "$scratch/anna/.local/share/GromWumbler/Config.cfg"
stop_game
[ -z "$(ls -A "$scratch/anna-start")" ] || fail "the game wrote into the folder it was started from"

start_game "$scratch/boris" "$scratch/boris-start" "$scratch/boris-data"
wait_for_file "$scratch/boris-data/GromWumbler/Config.cfg"
stop_game
[ -z "$(ls -A "$scratch/boris-start")" ] || fail "the game wrote into the folder it was started from"
[ ! -e "$scratch/boris/.local/share/GromWumbler" ] || fail "XDG_DATA_HOME was not used"

# The installed data folder stays as installed.
[ "$(cd "$prefix/share/gromwumbler" && find . -type f | sort | tr '\n' ' ')" = \
  "./Data/Data.pp ./moregames.url ./sound/1.xm ./sound/2.xm " ] || fail "the game wrote into its data folder"

# The tree moved as a whole still finds its data.
mkdir -p "$scratch/moved"
mv "$prefix" "$scratch/moved/gw"
command=$scratch/moved/gw/bin/gromwumbler
start_game "$scratch/clara" "$scratch/clara-start"
wait_for_file "$scratch/clara/.local/share/GromWumbler/Config.cfg"
stop_game
[ -z "$(ls -A "$scratch/clara-start")" ] || fail "the moved game wrote into the folder it was started from"
echo "install tree OK"
