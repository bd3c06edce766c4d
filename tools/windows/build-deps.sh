#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the libraries the game needs for 64-bit Windows from Debian's own source packages of the versions the
# Linux build uses, static and with only the parts the game uses, and prints the folder they are installed in:
#   bash tools/windows/build-deps.sh
# The result is cached outside any build folder (and shared by worktrees): the folder is keyed by the compiler and
# the toolchain file, and each library by its version and recipe, so a second run builds nothing and a changed
# recipe rebuilds only what it changes (and what is built on it).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)

triple=x86_64-w64-mingw32
cc=$triple-gcc-posix
toolchain=$root/dist/windows/Toolchain.cmake
jobs=${GW_JOBS:-2}
cache=${XDG_CACHE_HOME:-$HOME/.cache}/gromwumbler/win64
prefix=$cache/deps-$( { cat "$toolchain"; $cc -dumpfullversion; } | sha256sum | cut -c1-16)
src=$cache/src
mkdir -p "$prefix" "$src"
work=$(mktemp -d "$cache/work.XXXXXX")
trap 'rm -rf "$work"' EXIT

common=(-G "Unix Makefiles" -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DGW_WIN_PREFIX="$prefix"
        -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" -DBUILD_SHARED_LIBS=OFF
        -DCMAKE_PREFIX_PATH="$prefix")
# Once a step has changed, the steps after it build again: they are built on it.
chain=""

# step PACKAGE VERSION cmake|configure|zlib [OPTIONS...]: fetches Debian's source and builds and installs it.
step() {
  local package=$1 version=$2 how=$3
  shift 3
  chain=$(printf '%s\n' "$chain" "$package $version $how $*" | sha256sum | cut -c1-16)
  local stamp="$prefix/.built-$package-$chain"
  [ -f "$stamp" ] && return 0
  rm -f "$prefix/.built-$package-"*
  echo "== $package $version" >&2
  local source log=$work/$package.log
  source=$(bash "$root/tools/debian-source.sh" "$src" "$package" "$version")
  if [ "$how" = cmake ]; then
    { cmake -S "$source" -B "$work/$package" "${common[@]}" "$@" && cmake --build "$work/$package" -j "$jobs" \
        && cmake --install "$work/$package"; } >"$log" 2>&1 || { tail -40 "$log" >&2; exit 1; }
  elif [ "$how" = zlib ]; then
    # zlib's CMake build always makes its DLL too, from a resource file Debian's source leaves out: only the static
    # library is built, and it and the two headers are installed by hand (zconf.h is made in the build folder).
    { cmake -S "$source" -B "$work/$package" "${common[@]}" "$@" \
        && cmake --build "$work/$package" -j "$jobs" --target zlibstatic \
        && install -D -m644 "$work/$package/libzlibstatic.a" "$prefix/lib/libzlibstatic.a" \
        && install -D -m644 "$source/zlib.h" "$prefix/include/zlib.h" \
        && install -D -m644 "$work/$package/zconf.h" "$prefix/include/zconf.h"; } >"$log" 2>&1 \
      || { tail -40 "$log" >&2; exit 1; }
  else
    # A configure script that builds in its source tree: a copy of it.
    cp -a "$source" "$work/$package"
    (cd "$work/$package" && ./configure --host=$triple CC=$cc --prefix="$prefix" --disable-shared --enable-static "$@" \
       && make -j "$jobs" && make install) >"$log" 2>&1 || { tail -40 "$log" >&2; exit 1; }
  fi
  touch "$stamp"
}

# SDL: video, audio, input and controllers through Windows' own APIs; none of its test programs.
step libsdl2 2.26.5+dfsg-1 cmake -DSDL_SHARED=OFF -DSDL_STATIC=ON -DSDL_TEST=OFF -DSDL2_DISABLE_UNINSTALL=ON \
  -DSDL_VULKAN=OFF -DSDL_OPENGLES=OFF -DSDL_CCACHE=OFF -DSDL_LIBSAMPLERATE=OFF
# The mixer plays the effects (WAVE, built in); the songs go through libxmp directly, so no codec is built.
step libsdl2-mixer 2.6.2+dfsg-2 cmake -DSDL2MIXER_SAMPLES=OFF -DSDL2MIXER_VENDORED=OFF -DSDL2MIXER_CMD=OFF \
  -DSDL2MIXER_FLAC=OFF -DSDL2MIXER_MOD=OFF -DSDL2MIXER_MP3=OFF -DSDL2MIXER_MIDI=OFF -DSDL2MIXER_OPUS=OFF \
  -DSDL2MIXER_VORBIS=OFF -DSDL2MIXER_WAVE=ON -DSDL2MIXER_DEPS_SHARED=OFF
# zlib deflates the recorded games; static only (see step). Before FreeType, whose gzip module would otherwise
# bring its own copy of zlib's inflate, and the two would clash in the one program file.
step zlib 1:1.2.13.dfsg-1 zlib
# FreeType with Debian's own configuration (its patches are applied), on the zlib above, without the compressed
# and colour formats that the game's one TrueType face never needs.
step freetype 2.12.1+dfsg-5+deb12u4 cmake -DFT_REQUIRE_ZLIB=ON -DZLIB_LIBRARY="$prefix/lib/libzlibstatic.a" \
  -DZLIB_INCLUDE_DIR="$prefix/include" -DFT_DISABLE_BZIP2=ON -DFT_DISABLE_PNG=ON \
  -DFT_DISABLE_HARFBUZZ=ON -DFT_DISABLE_BROTLI=ON
# libcurl for plain HTTP, with Windows' own TLS (Schannel) should the score server ever move to https.
step curl 7.88.1-10+deb12u15 cmake -DHTTP_ONLY=ON -DCURL_USE_SCHANNEL=ON -DCURL_USE_OPENSSL=OFF -DCURL_ZLIB=OFF \
  -DCURL_BROTLI=OFF -DCURL_ZSTD=OFF -DUSE_NGHTTP2=OFF -DUSE_LIBIDN2=OFF -DUSE_WIN32_IDN=OFF -DCURL_USE_LIBSSH2=OFF \
  -DENABLE_UNIX_SOCKETS=OFF -DBUILD_CURL_EXE=OFF -DBUILD_TESTING=OFF -DENABLE_MANUAL=OFF -DCURL_CA_BUNDLE=none \
  -DCURL_CA_PATH=none
# libxmp has no CMake build in this version: its own configure.
step libxmp 4.5.0-2 configure
# GoogleTest for the test program run under Wine.
step googletest 1.12.1-0.2 cmake -DINSTALL_GTEST=ON -DBUILD_GMOCK=ON -Dgtest_disable_pthreads=OFF

echo "$prefix"
