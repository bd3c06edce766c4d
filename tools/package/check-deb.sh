#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Makes the Debian packages and checks them as a Debian 12 machine's owner and player would: the data package is
# architecture-independent and the game depends on exactly its version, the programs carry the distribution's
# hardening, lintian --pedantic finds nothing the packages do not justify (their lintian overrides), apt installs
# the game, its menu entry and AppStream file validate, the installed game started from the menu entry's command
# under Xvfb in an empty folder shows the menu, keeps Config.cfg in the player's folder and writes nothing where it
# was started, and quits through its menu; then the packages are purged again. CI runs it after the tests.
#   sudo bash tools/package/check-deb.sh [build folder, default build-deb]
# With GW_WEB_PLAY naming a browser build's play folder (bash setup.sh web makes build-web/play), the score
# server's package carries it, and the check sees the installed server serve it at /play/ as its unit would.
# Run as root on a Debian 12 machine that has what `bash setup.sh build` installs.
set -euo pipefail
cd "$(dirname "$0")/../.."
repo=$(pwd)
[ "$(id -u)" -eq 0 ] || { echo "run as root: it installs and removes the package" >&2; exit 2; }
build=$(realpath -m "${1:-build-deb}")

step() { printf '\n== %s\n' "$*"; }
fail() { echo "FAIL: $*" >&2; exit 1; }

tools=(lintian desktop-file-utils appstream binutils xvfb openbox xdotool x11-utils imagemagick curl)
missing=()
for p in "${tools[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if ((${#missing[@]})); then
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}"
fi
packages=(gromwumbler gromwumbler-data gromwumbler-scores gromwumbler-scores-play)
for p in "${packages[@]}"; do
  if dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    fail "$p is installed already; this check installs and removes it"
  fi
done

step "Building the packages in $build"
# Only what the packages hold is built (cpack would otherwise build every target first, the tests among them).
web_play=${GW_WEB_PLAY:+$(realpath "$GW_WEB_PLAY")}
cmake -S "$repo" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_INSTALL_PREFIX=/usr -DGW_GAMES_LAYOUT=ON \
  -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON -DGW_WEB_PLAY="$web_play" >/dev/null
cmake --build "$build" -j "$(nproc)" --target gromwumbler gw_icon \
  $(grep -q 'add_subdirectory(server)' CMakeLists.txt && echo gromwumbler-scores) >/dev/null
rm -f "$build"/*.deb
(cd "$build" && cpack -G DEB >/dev/null)
debs=("$build"/*.deb)
game_deb=$(ls "$build"/gromwumbler_*.deb)
data_deb=$(ls "$build"/gromwumbler-data_*.deb)
for deb in "${debs[@]}"; do
  echo "$(basename "$deb"): $(stat -c %s "$deb") bytes"
  dpkg-deb -f "$deb" Package Version Architecture Section Depends | sed 's/^/  /'
done

scratch=$(mktemp -d)
xvfb= wm= game= installed=
cleanup() {
  [ -n "$game" ] && kill "$game" 2>/dev/null || true
  [ -n "$wm" ] && kill "$wm" 2>/dev/null || true
  [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null || true
  if [ -n "$installed" ]; then
    DEBIAN_FRONTEND=noninteractive apt-get purge -y -qq "${packages[@]}" >/dev/null 2>&1 || true
  fi
  rm -rf "$scratch"
}
trap cleanup EXIT
# shellcheck source=../display.sh (the repository is the current folder from here on)
source tools/display.sh

step "The data package"
[ "$(dpkg-deb -f "$data_deb" Architecture)" = all ] || fail "gromwumbler-data is not Architecture: all"
version=$(dpkg-deb -f "$game_deb" Version)
dpkg-deb -f "$game_deb" Depends | grep -qF "gromwumbler-data (= $version)" || fail "the game does not depend on its data"
[ -z "$(dpkg-deb -c "$game_deb" | grep '/usr/share/games/')" ] || fail "the program's package carries data"
url=$(dpkg-deb --fsys-tarfile "$data_deb" | tar -xOf - ./usr/share/games/gromwumbler/moregames.url | sed -n 's/^URL=//p')
[ -n "$url" ] && [ "$url" = "$(sed -n 's/^URL=//p' "$build/game/moregames.url")" ] || fail "no moregames.url"
echo "Architecture: all; the game depends on gromwumbler-data (= $version); moregames.url opens $url"

step "Hardening of the programs"
mkdir "$scratch/unpacked"
for deb in "${debs[@]}"; do dpkg-deb -x "$deb" "$scratch/unpacked"; done
for program in "$scratch"/unpacked/usr/games/gromwumbler "$scratch"/unpacked/usr/bin/gromwumbler-scores; do
  [ -f "$program" ] || continue
  name=$(basename "$program")
  # Read whole first: grep -q may stop reading early, which pipefail would count as readelf failing.
  header=$(readelf -hW "$program") segments=$(readelf -lW "$program") dynamic=$(readelf -dW "$program")
  symbols=$(readelf --dyn-syms -W "$program")
  grep -q 'Type: *DYN' <<<"$header" || fail "$name is not position-independent"
  grep -q GNU_RELRO <<<"$segments" || fail "$name has no RELRO segment"
  grep -Eq 'BIND_NOW|FLAGS_1.*NOW' <<<"$dynamic" || fail "$name is not bound at start (no BIND_NOW)"
  grep -q '__stack_chk_fail' <<<"$symbols" || fail "$name has no stack protector"
  fortified=$(grep -oE '__[a-z0-9_]+_chk@' <<<"$symbols" | tr -d @ | sort -u | tr '\n' ' ')
  [ -n "$fortified" ] || fail "$name calls no fortified functions"
  echo "$name: PIE, GNU_RELRO + BIND_NOW, __stack_chk_fail, fortified: $fortified"
done

step "lintian --pedantic"
# What the packages justify is in their overrides (/usr/share/lintian/overrides); anything else fails, but one
# kind of note: lintian's spelling check reads every run of letters in a program, machine code too, and a
# "misspelling" found nowhere among the program's texts (.rodata) is a chance run of instruction bytes.
lintian --pedantic --display-info --show-overrides --fail-on error,warning,pedantic "${debs[@]}" 2>/dev/null \
  >"$scratch/lintian.txt" || { cat "$scratch/lintian.txt"; fail "lintian reports errors, warnings or pedantic notes"; }
cat "$scratch/lintian.txt"
while read -r level package tag rest; do
  [ "$level" = I: ] || continue
  if [ "$tag" = spelling-error-in-binary ]; then
    word=${rest%% *} file=${rest##*\[} file=${file%\]}
    texts=$(readelf -p .rodata "$scratch/unpacked/$file")
    if ! grep -qiw -- "$word" <<<"$texts"; then
      echo "  ($word: not among the texts of $file, only in its machine code)"
      continue
    fi
  fi
  fail "lintian: $package $tag $rest is not justified"
done <"$scratch/lintian.txt"
echo "lintian: nothing unjustified"

step "apt install $(basename "$game_deb") $(basename "$data_deb")"
installed=yes
DEBIAN_FRONTEND=noninteractive apt-get install -y -q "$game_deb" "$data_deb" |
  grep -E '^(Setting up|Unpacking|The following NEW)' || true
dpkg-query -W -f='${Status}\n' gromwumbler | grep -q 'install ok installed' || fail "not installed"

desktop=$(dpkg -L gromwumbler | grep '^/usr/share/applications/.*\.desktop$')
metainfo=$(dpkg -L gromwumbler | grep '^/usr/share/metainfo/.*\.metainfo\.xml$')
step "desktop-file-validate $desktop"
desktop-file-validate "$desktop" || fail "desktop-file-validate"
echo "valid"
step "appstreamcli validate $metainfo"
appstreamcli validate --pedantic --no-net "$metainfo" || fail "appstreamcli validate"
step "the icon and the manual page"
icon=$(sed -n 's/^Icon=//p' "$desktop")
ls /usr/share/icons/hicolor/*/apps/"$icon".* | sed 's/^/  /'
man -w gromwumbler

step "The installed game, from the menu entry's command, under Xvfb in an empty folder"
# The player: a home folder of their own and the PATH of a desktop session started by systemd (no games folders on
# it), nothing else of the environment changed, as a desktop session would start the menu entry's command.
home=$scratch/player
start=$scratch/started-here
mkdir -p "$home" "$start"
command=$(sed -n 's/^Exec=//p' "$desktop")
# A display of our own: Xvfb picks a free number and tells it.
start_display "$scratch"
(cd "$start" && exec env -u XDG_DATA_HOME HOME="$home" PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin $command 2>"$scratch/stderr.txt") &
game=$!
win=
for _ in $(seq 300); do
  win=$(xdotool search --onlyvisible --pid "$game" --name '^Grom Wumbler$' 2>/dev/null | head -1 || true)
  [ -n "$win" ] && break
  sleep 0.2
done
[ -n "$win" ] || { cat "$scratch/stderr.txt" >&2; fail "the game window did not appear"; }
echo "window $win: $(xdotool getwindowname "$win"), process $(ps -o args= -p "$(xdotool getwindowpid "$win")")"
xdotool windowfocus --sync "$win"
sleep 8  # the splash, then the menu
shot=$scratch/menu.png
timeout 10 import -window "$win" "$shot"
cp "$shot" "$build/check-deb-menu.png"
# The menu's sign and sky as the README shows them (the chosen entry and the flyers vary, so only the top band).
convert "$shot" -crop 800x150+0+0 +repage "$scratch/band.png"
convert docs/menu.png -crop 800x150+0+0 +repage "$scratch/expected-band.png"
diff=$(compare -metric RMSE "$scratch/band.png" "$scratch/expected-band.png" null: 2>&1 | sed 's/.*(\(.*\))/\1/' || true)
echo "menu band against docs/menu.png: RMSE $diff (of 1)"
awk -v d="$diff" 'BEGIN { exit !(d + 0 < 0.05) }' || fail "the screen is not the menu (see $build/check-deb-menu.png)"

config=$home/.local/share/GromWumbler/Config.cfg
[ -f "$config" ] || fail "no $config"
echo "$config: $(stat -c %s "$config") bytes"
[ -z "$(ls -A "$start")" ] || fail "written into the folder it was started from: $(ls -A "$start")"
echo "the folder it was started from is empty"

# Quit as a player does: Escape on the menu asks, the left answer "ДА" closes the game.
xdotool key --window "$win" Escape
sleep 1
xdotool key --window "$win" Left
sleep 0.5
# The game closes its window on the key's press; the release then finds no window, which xdotool reports.
xdotool key --window "$win" Return 2>/dev/null || true
status=0
for _ in $(seq 150); do kill -0 "$game" 2>/dev/null || break; sleep 0.2; done
if kill -0 "$game" 2>/dev/null; then fail "the game did not quit through its menu"; fi
wait "$game" || status=$?
game=
echo "quit through the menu, exit status $status"
[ "$status" = 0 ] || fail "exit status $status"
[ -z "$(ls -A "$start")" ] || fail "written into the folder it was started from: $(ls -A "$start")"
[ "$(ls -A "$home/.local/share/GromWumbler")" = Config.cfg ] || fail "the player's folder holds $(ls -A "$home/.local/share/GromWumbler")"

step "apt purge"
DEBIAN_FRONTEND=noninteractive apt-get purge -y -q gromwumbler gromwumbler-data | grep -E '^(Removing|Purging)' || true
installed=
for p in gromwumbler gromwumbler-data; do
  ! dpkg-query -W -f='${Status}\n' "$p" 2>/dev/null | grep -q 'install ok installed' || fail "$p still installed"
done
[ ! -e /usr/games/gromwumbler ] && [ ! -e /usr/share/games/gromwumbler ] || fail "files left behind"
echo "purged, nothing left in /usr/games or /usr/share/games/gromwumbler"

server_deb=$(ls "$build"/gromwumbler-scores_*.deb 2>/dev/null || true)
if [ -n "$server_deb" ]; then
  step "apt install $(basename "$server_deb")"
  installed=yes
  play_deb=$(ls "$build"/gromwumbler-scores-play_*.deb 2>/dev/null || true)
  if [ -n "$web_play" ]; then
    [ -n "$play_deb" ] || fail "no package of the browser build"
    [ "$(dpkg-deb -f "$play_deb" Architecture)" = all ] || fail "the browser build's package is not Architecture: all"
    dpkg-deb -f "$server_deb" Depends | grep -q 'gromwumbler-scores-play (= ' || fail "the server does not depend on its page"
  fi
  # shellcheck disable=SC2086 # no page package: nothing
  DEBIAN_FRONTEND=noninteractive apt-get install -y -q "$server_deb" $play_deb | grep -E '^(Setting up|Unpacking)' || true
  unit=$(dpkg -L gromwumbler-scores | grep '/systemd/system/gromwumbler-scores\.service$')
  echo "unit $unit"
  systemd-analyze verify "$unit" || fail "systemd-analyze verify"
  echo "systemd-analyze verify: no complaints"
  wants=/etc/systemd/system/multi-user.target.wants/gromwumbler-scores.service
  [ -L "$wants" ] || fail "the unit is not enabled"
  echo "enabled: $wants"
  grep -E '^(DynamicUser|StateDirectory|ExecStart|ProtectSystem|ProtectHome|PrivateTmp|NoNewPrivileges)=' "$unit" | sed 's/^/  /'
  # What the unit starts, run once by hand: it answers on loopback and keeps its database where it is told.
  port=$((20000 + RANDOM % 20000))
  play=()
  if [ -n "$web_play" ]; then
    grep -q -- '^ExecStart=.* --play /usr/share/gromwumbler-scores/play$' "$unit" || fail "the unit does not serve the game"
    play=(--play /usr/share/gromwumbler-scores/play)
  fi
  gromwumbler-scores --listen "127.0.0.1:$port" --db "$scratch/scores.db" "${play[@]}" 2>"$scratch/server.txt" &
  game=$!
  for _ in $(seq 50); do curl -fs "http://127.0.0.1:$port/" >/dev/null && break; sleep 0.1; done
  curl -fs "http://127.0.0.1:$port/" >/dev/null || { cat "$scratch/server.txt" >&2; fail "the server does not answer"; }
  if [ -n "$web_play" ]; then
    curl -fs "http://127.0.0.1:$port/play/" -o "$scratch/play.html" || fail "the installed game's page is not served"
    wasm=$(grep -o 'gromwumbler\.[0-9a-f]*\.wasm' "$scratch/play.html" | head -1)
    type=$(curl -fs -o /dev/null -H 'Accept-Encoding: br' -w '%{content_type} %{size_download}' "http://127.0.0.1:$port/play/$wasm") \
      || fail "the page's $wasm is not served"
    case "$type" in application/wasm*) ;; *) fail "$wasm is served as '$type'" ;; esac
    curl -fs "http://127.0.0.1:$port/" | grep -q 'href="/play/"' || fail "the records page has no link to the game"
    echo "the installed server serves the game at /play/ ($wasm: $type bytes, compressed) and links to it"
  fi
  kill "$game"
  wait "$game" || true
  game=
  [ -f "$scratch/scores.db" ] || fail "no database"
  echo "the installed server answers and keeps $scratch/scores.db"
  # shellcheck disable=SC2046 # package names
  DEBIAN_FRONTEND=noninteractive apt-get purge -y -q gromwumbler-scores $([ -n "$play_deb" ] && echo gromwumbler-scores-play) \
    | grep -E '^(Removing|Purging)' || true
  installed=
  [ ! -e /usr/bin/gromwumbler-scores ] && [ ! -e "$unit" ] && [ ! -L "$wants" ] && [ ! -e /usr/share/gromwumbler-scores ] \
    || fail "server files left behind"
  echo "removed, the unit and its enablement gone"
fi

printf '\nALL CHECKS PASSED\n'
