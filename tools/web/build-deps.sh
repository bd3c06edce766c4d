#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the libraries the browser build links (SDL2, SDL2_mixer, libxmp, FreeType, zlib) with emscripten, from Debian's
# own source packages of the versions the Linux build uses, and prints the prefix they are installed in:
#   bash tools/web/build-deps.sh
# The prefix lives in the user's cache (not in a build folder), keyed by the library versions, the compiler and
# this recipe, so a fresh build folder reuses it and a change to any of them builds anew.
# SDL2, SDL2_mixer and libxmp are compiled from their source lists with the configuration the sources carry for
# emscripten: their configure scripts link a test program per check, which takes emscripten many minutes.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
cache=${XDG_CACHE_HOME:-$HOME/.cache}/gromwumbler
jobs=${GW_JOBS:-2}
# Debian's emscripten runs its JavaScript tools with whatever node is first on the PATH; Debian's own modules
# (node-acorn) are where Debian's node looks, which another node does not.
export NODE_PATH=/usr/share/nodejs${NODE_PATH:+:$NODE_PATH}

# Each library by the Debian development package the Linux build uses: its source package and exact version.
declare -A source version
for dev in libsdl2-dev libsdl2-mixer-dev libfreetype-dev libxmp-dev zlib1g-dev; do
  read -r pkg ver < <(dpkg-query -W -f='${source:Package} ${source:Version}\n' "$dev")
  source[$dev]=$pkg version[$dev]=$ver
done

# sed reads to the end: head would close the pipe on emcc while it still writes, and fail the build.
emcc_version=$(emcc --version | sed -n 1p)
key=$({ echo "$emcc_version"; for dev in "${!version[@]}"; do echo "$dev ${version[$dev]}"; done | sort
        cat "$0"; } | sha256sum | cut -c1-16)
prefix=$cache/web-deps-$key
if [ -f "$prefix/.complete" ]; then echo "$prefix"; exit 0; fi

srcdir=$cache/web-src
mkdir -p "$cache"
work=$(mktemp -d "$cache/web-build.XXXXXX")
trap 'rm -rf "$work"' EXIT
rm -rf "$prefix"
mkdir -p "$prefix/lib" "$prefix/include/SDL2"
unpack() { bash "$root/tools/debian-source.sh" "$srcdir" "${source[$1]}" "${version[$1]}"; }

# Compiles the C files given after "--" into the static library $1, flags before "--", $jobs at a time.
compile_library() {
  local library=$1; shift
  local flags=()
  while [ "$1" != -- ]; do flags+=("$1"); shift; done
  shift
  local objects=$work/$(basename "$library" .a)
  mkdir -p "$objects"
  printf '%s\n' "$@" | xargs -P "$jobs" -I{} sh -c \
    'emcc -c -Oz -DNDEBUG -w "$@" "{}" -o "$0/$(echo "{}" | md5sum | cut -c1-12).o"' "$objects" "${flags[@]}" >&2
  emar rcs "$library" "$objects"/*.o
}

# SDL2: video, events, audio, game controllers and the renderer over WebGL, as its emscripten configuration has
# them (no threads).
sdl=$(unpack libsdl2-dev)
cp "$sdl"/include/*.h "$prefix/include/SDL2/"
mapfile -t sdl_sources < <(cd "$sdl/src" && ls ./*.c {atomic,audio,cpuinfo,dynapi,events,file,haptic,joystick,locale,misc,power,render,sensor,stdlib,thread,timer,video}/*.c \
  audio/{emscripten,disk,dummy}/*.c filesystem/emscripten/*.c haptic/dummy/*.c joystick/{emscripten,virtual}/*.c \
  loadso/dlopen/*.c locale/emscripten/*.c misc/emscripten/*.c power/emscripten/*.c render/{opengles2,software}/*.c \
  sensor/dummy/*.c thread/generic/*.c timer/unix/*.c video/{emscripten,dummy,yuv2rgb}/*.c main/dummy/*.c \
  2>/dev/null | sed "s|^|$sdl/src/|")
compile_library "$prefix/lib/libSDL2.a" -I"$prefix/include/SDL2" -I"$sdl/src" -I"$sdl/src/video/khronos" \
  -- "${sdl_sources[@]}"

# SDL2_mixer: chunks and the music hook, WAVE only (the game hands it its own samples and songs).
mixer=$(unpack libsdl2-mixer-dev)
cp "$mixer/include/SDL_mixer.h" "$prefix/include/SDL2/"
compile_library "$prefix/lib/libSDL2_mixer.a" -I"$prefix/include/SDL2" -I"$mixer/include" -I"$mixer/src" \
  -I"$mixer/src/codecs" -DMUSIC_WAV -- "$mixer"/src/*.c "$mixer"/src/codecs/*.c

# libxmp: the whole library (its small edition's loader table is not in this source), less the ProWizard
# converters its own build leaves out (PROWIZ_OBJS2 in src/loaders/prowizard/Makefile).
xmp=$(unpack libxmp-dev)
cp "$xmp/include/xmp.h" "$prefix/include/"
compile_library "$prefix/lib/libxmp.a" -I"$xmp/include" -I"$xmp/src" -DLIBXMP_STATIC -DHAVE_MKSTEMP=1 -DHAVE_UMASK=1 \
  -DHAVE_DIRENT=1 -DHAVE_FNMATCH=1 \
  -- $(ls "$xmp"/src/*.c "$xmp"/src/loaders/*.c "$xmp"/src/loaders/prowizard/*.c "$xmp"/src/depackers/*.c | grep -Ev '/win32\.c$|/prowizard/(pm|pm01|pm20|pm40|pp30)\.c$')

# zlib deflates the recorded games: its library sources, without the examples and tests beside them.
zlib=$(unpack zlib1g-dev)
cp "$zlib/zlib.h" "$zlib/zconf.h" "$prefix/include/"
compile_library "$prefix/lib/libz.a" -I"$zlib" -DHAVE_UNISTD_H -DHAVE_STDARG_H -- \
  "$zlib"/{adler32,compress,crc32,deflate,gzclose,gzlib,gzread,gzwrite,infback,inffast,inflate,inftrees,trees,uncompr,zutil}.c

# FreeType: TrueType outlines, without the image libraries (its configure checks are few); its gzip module on the
# zlib above, or it would bring a second copy of zlib's inflate into the one program.
freetype=$(unpack libfreetype-dev)
emcmake cmake -S "$freetype" -B "$work/freetype" -DCMAKE_BUILD_TYPE=MinSizeRel \
  -DCMAKE_C_FLAGS_MINSIZEREL="-Oz -DNDEBUG" -DCMAKE_INSTALL_PREFIX="$prefix" -DBUILD_SHARED_LIBS=OFF \
  -DFT_REQUIRE_ZLIB=ON -DZLIB_INCLUDE_DIR="$prefix/include" -DZLIB_LIBRARY="$prefix/lib/libz.a" -DFT_DISABLE_BZIP2=ON -DFT_DISABLE_PNG=ON -DFT_DISABLE_HARFBUZZ=ON -DFT_DISABLE_BROTLI=ON >&2
cmake --build "$work/freetype" -j "$jobs" --target install >&2

touch "$prefix/.complete"
echo "$prefix"
