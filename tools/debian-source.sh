#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Fetches Debian's own source package of an exact version, its patches applied, into a folder of the caller's:
#   bash tools/debian-source.sh DIR PACKAGE VERSION     prints the unpacked source folder
# The source list is private (DIR/apt) and made from this machine's own Debian sources, so the system's apt
# configuration stays as it is and whatever mirror the machine uses is the one asked. An unpacked source already in
# DIR is used as it is.
set -euo pipefail

if [ $# -ne 3 ]; then
  echo "usage: bash tools/debian-source.sh DIR PACKAGE VERSION" >&2
  exit 2
fi
dir=$1 package=$2 version=$3
upstream=${version#*:}
upstream=${upstream%-*}
mkdir -p "$dir"
dir=$(cd "$dir" && pwd)
src="$dir/$package-$upstream"
if [ -d "$src" ]; then echo "$src"; exit 0; fi

suite=$(. /etc/os-release && echo "$VERSION_CODENAME")
apt="$dir/apt"
mkdir -p "$apt/lists/partial"

# The machine's binary sources for this release (suite, -updates, -security), turned into source lines. Both
# formats apt reads: one-line .list files and deb822 .sources stanzas.
{
  for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
    [ -f "$f" ] || continue
    awk -v suite="$suite" '$1 == "deb" {
        line = $0; sub(/^deb[ \t]+/, "", line)
        n = split(line, w, /[ \t]+/); i = 1
        if (w[1] ~ /^\[/) { while (i <= n && w[i] !~ /\]$/) i++; i++ }
        if (w[i + 1] == suite || index(w[i + 1], suite "-") == 1 || index(w[i + 1], suite "/") == 1)
          print "deb-src " line
      }' "$f"
  done
} >"$apt/sources.list"
: >"$apt/sources.sources"
for f in /etc/apt/sources.list.d/*.sources; do
  [ -f "$f" ] || continue
  awk -v suite="$suite" '
    function flush() {
      if (types ~ /(^|[ \t])deb([ \t]|$)/ && enabled != "no" && uris != "" && suites != "") {
        n = split(suites, s, /[ \t]+/); keep = ""
        for (i = 1; i <= n; i++)
          if (s[i] == suite || index(s[i], suite "-") == 1) keep = keep (keep == "" ? "" : " ") s[i]
        if (keep != "") {
          printf "Types: deb-src\nURIs: %s\nSuites: %s\nComponents: %s\n", uris, keep, comps
          if (signed != "") printf "Signed-By: %s\n", signed
          printf "\n"
        }
      }
      types = uris = suites = comps = signed = enabled = ""
    }
    /^[ \t]*#/ { next }
    /^[ \t]*$/ { flush(); next }
    {
      key = tolower($1); val = $0; sub(/^[^:]*:[ \t]*/, "", val)
      if (key == "types:") types = val
      else if (key == "uris:") uris = val
      else if (key == "suites:") suites = val
      else if (key == "components:") comps = val
      else if (key == "signed-by:") signed = val
      else if (key == "enabled:") enabled = tolower(val)
    }
    END { flush() }' "$f" >>"$apt/sources.sources"
done
parts="$apt/parts"
mkdir -p "$parts"
rm -f "$parts"/*
[ -s "$apt/sources.sources" ] && cp "$apt/sources.sources" "$parts/debian.sources"
if [ ! -s "$apt/sources.list" ] && [ ! -s "$apt/sources.sources" ]; then
  echo "no Debian sources for $suite in this machine's apt configuration" >&2
  exit 1
fi

opts=(-o "Dir::Etc::SourceList=$apt/sources.list" -o "Dir::Etc::SourceParts=$parts"
      -o "Dir::State::Lists=$apt/lists" -o Dir::Cache::pkgcache= -o Dir::Cache::srcpkgcache=)
apt-get -qq "${opts[@]}" update >&2
(cd "$dir" && apt-get -qq "${opts[@]}" source "$package=$version" >&2)
[ -d "$src" ] || { echo "apt-get source made no $src" >&2; exit 1; }
echo "$src"
