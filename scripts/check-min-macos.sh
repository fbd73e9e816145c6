#!/usr/bin/env bash
# Fails when a Mach-O file in a bundle needs a newer macOS than Orvane's minimum, naming each one.
#
#   scripts/check-min-macos.sh [--minimum VERSION] BUNDLE
#
# BUNDLE is Orvane.app (or any folder, or one file). Every regular file whose first bytes say
# Mach-O is read with `otool -l` (on Linux `llvm-otool-19`, or $OTOOL), each architecture of a
# universal file on its own (split with `lipo`, `llvm-lipo-19` or $LIPO): the minimum is the
# `minos` of its LC_BUILD_VERSION for macOS, or the `version` of an older LC_VERSION_MIN_MACOSX.
# A file that records none fails too. VERSION defaults to ORVANE_MINIMUM_MACOS in CMakeLists.txt.
#
# Why: Homebrew's Qt takes the system it was built on as its minimum, so a release made on a
# newer macOS can carry frameworks that the oldest supported system refuses to load.
set -euo pipefail

source_dir=$(cd "$(dirname "$0")/.." && pwd)
minimum=""
bundle=""
while [ $# -gt 0 ]; do
  case "$1" in
    --minimum) minimum="${2:?--minimum needs a version such as 15.2}"; shift 2 ;;
    -h|--help) sed -n '2,14p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    -*) echo "check-min-macos: unknown option $1" >&2; exit 2 ;;
    *) [ -z "$bundle" ] || { echo "check-min-macos: one bundle only" >&2; exit 2; }
       bundle="$1"; shift ;;
  esac
done
[ -n "$bundle" ] || { echo "usage: check-min-macos.sh [--minimum VERSION] BUNDLE" >&2; exit 2; }
[ -e "$bundle" ] || { echo "check-min-macos: no such bundle: $bundle" >&2; exit 2; }
if [ -z "$minimum" ]; then
  minimum=$(sed -n 's/^set(ORVANE_MINIMUM_MACOS "\([0-9.]*\)")$/\1/p' "$source_dir/CMakeLists.txt")
fi
[[ "$minimum" =~ ^[0-9]+(\.[0-9]+){0,2}$ ]] || {
  echo "check-min-macos: '$minimum' is not a macOS version" >&2; exit 2; }

# The Mac's own tool, else LLVM's (./scripts/install-deps.sh installs llvm-19 on Linux).
find_tool() {
  local candidate
  for candidate in "$@"; do
    if command -v "$candidate" > /dev/null; then echo "$candidate"; return 0; fi
  done
  echo "check-min-macos: none of $* found (on Linux: ./scripts/install-deps.sh)" >&2
  exit 2
}
otool="${OTOOL:-$(find_tool otool llvm-otool-19 llvm-otool)}"
lipo="${LIPO:-$(find_tool lipo llvm-lipo-19 llvm-lipo)}"
scratch=$(mktemp -d "${TMPDIR:-/tmp}/check-min-macos.XXXXXX")
trap 'rm -rf "$scratch"' EXIT

# What the first four bytes make of a file: thin or universal Mach-O (either byte order), or not.
kind() {
  case "$(od -An -tx1 -N4 "$1" 2>/dev/null | tr -d ' \n')" in
    cffaedfe|cefaedfe|feedfacf|feedface) echo thin ;;
    cafebabe|cafebabf) echo universal ;;
    *) echo other ;;
  esac
}

# The minimum macOS a thin Mach-O records, or "none". Fails when otool does.
thin_minimum() {
  local commands
  commands=$("$otool" -l "$1") || return 1
  awk '
    $1 == "cmd" { command = $2; platform = "" }
    command == "LC_BUILD_VERSION" && $1 == "platform" { platform = tolower($2) }
    command == "LC_BUILD_VERSION" && $1 == "minos" && (platform == "1" || platform == "macos") { found = $2 }
    command == "LC_VERSION_MIN_MACOSX" && $1 == "version" { found = $2 }
    END { print (found == "" ? "none" : found) }' <<< "$commands"
}

# One line per architecture: "ARCH VERSION" ("-" for a thin file; VERSION may be "none"). Fails
# when a tool does: called where set -e does not reach, it says so itself.
minimums() {
  local arch archs version
  if [ "$(kind "$1")" = thin ]; then
    version=$(thin_minimum "$1") || return 1
    echo "- $version"
    return 0
  fi
  archs=$("$lipo" -archs "$1") || return 1
  for arch in $archs; do
    rm -f "$scratch/slice"
    "$lipo" "$1" -thin "$arch" -output "$scratch/slice" || return 1
    version=$(thin_minimum "$scratch/slice") || return 1
    echo "$arch $version"
  done
}

# Whether version a is newer than version b, compared field by field as numbers.
newer() {
  awk -v a="$1" -v b="$2" 'BEGIN {
    n = split(a, x, "."); m = split(b, y, ".")
    for (i = 1; i <= (n > m ? n : m); i++) {
      if (x[i] + 0 > y[i] + 0) exit 0
      if (x[i] + 0 < y[i] + 0) exit 1
    }
    exit 1 }'
}

checked=0
failures=0
while IFS= read -r -d '' file; do
  [ "$(kind "$file")" != other ] || continue
  checked=$((checked + 1))
  if ! found=$(minimums "$file") || [ -z "$found" ]; then
    echo "$file: otool or lipo could not read it" >&2
    failures=$((failures + 1))
    continue
  fi
  while read -r arch version; do
    where="$file"
    [ "$arch" = - ] || where="$file ($arch)"
    if [ "$version" = none ]; then
      echo "$where: records no minimum macOS" >&2
      failures=$((failures + 1))
    elif newer "$version" "$minimum"; then
      echo "$where: needs macOS $version, above the minimum $minimum" >&2
      failures=$((failures + 1))
    fi
  done <<< "$found"
done < <(find "$bundle" -type f -print0)

if [ "$failures" -gt 0 ]; then
  echo "check-min-macos: $failures of $checked Mach-O files in $bundle fail macOS $minimum" >&2
  exit 1
fi
[ "$checked" -gt 0 ] || { echo "check-min-macos: no Mach-O file in $bundle" >&2; exit 1; }
echo "check-min-macos: $checked Mach-O files in $bundle, none needs more than macOS $minimum"
