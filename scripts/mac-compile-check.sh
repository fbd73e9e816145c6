#!/usr/bin/env bash
# The Mac build's compile errors, found on Linux: configures a Mac-shaped build (Apple silicon,
# macOS 15.2) against the real macOS SDK headers in ../shared/macos-sdk, then runs every compile
# command of that configuration -fsyntax-only with clang 19 and libc++: the Objective-C++ of
# platform/macos with ARC, and every portable source and test a Mac build compiles. The list of
# files and their flags come from CMake, so a new source file is checked without anyone editing a
# list. Fails on any diagnostic.
#
#   scripts/mac-compile-check.sh [SDK-FOLDER]     (default: ../shared/macos-sdk)
set -euo pipefail
source_dir=$(cd "$(dirname "$0")/.." && pwd)
sdk_folder=$(cd "${1:-$source_dir/../shared/macos-sdk}" && pwd)
work="$source_dir/build/mac-check"
libcxx=/usr/lib/llvm-19/include/c++/v1

for tool in /usr/bin/clang++-19 "$libcxx/vector"; do
    [ -e "$tool" ] || { echo "mac-compile-check: $tool is missing; run ./scripts/install-deps.sh" >&2; exit 1; }
done
tarballs=("$sdk_folder"/MacOSX*-subset.tar.xz)
tarball=${tarballs[0]}
[ -f "$tarball" ] || { echo "mac-compile-check: no MacOSX*-subset.tar.xz in $sdk_folder" >&2; exit 1; }
started=$(date +%s)

# The SDK, unpacked once per tarball.
mkdir -p "$work"
stamp="$work/sdk.stamp"
if [ ! -f "$stamp" ] || [ "$(cat "$stamp")" != "$(stat -c %s-%Y "$tarball")" ]; then
    rm -rf "$work/sdk"
    mkdir -p "$work/sdk"
    tar -xJf "$tarball" -C "$work/sdk"
    stat -c %s-%Y "$tarball" > "$stamp"
fi
sysroots=("$work"/sdk/MacOSX*.sdk)
sysroot=${sysroots[0]}
# GoogleTest's headers where Homebrew's would be found on a Mac: the SDK's usr/local/include.
mkdir -p "$sysroot/usr/local/include"
for header_dir in gtest gmock; do
    ln -sfn "/usr/include/$header_dir" "$sysroot/usr/local/include/$header_dir"
done
# Sparkle: its public headers, in a folder shaped like the release the Mac build downloads.
sparkle="$work/sparkle/Sparkle.framework"
mkdir -p "$sparkle/Versions/Current"
ln -sfn "$sdk_folder/Sparkle.framework/Headers" "$sparkle/Headers"
: > "$sparkle/Versions/Current/Sparkle"

export ORVANE_MAC_SYSROOT="$sysroot" ORVANE_LIBCXX_INCLUDE="$libcxx"
cmake -S "$source_dir" -B "$work/build" -G Ninja --log-level=ERROR \
    --toolchain "$source_dir/cmake/mac-check/toolchain.cmake" \
    -DCMAKE_PROJECT_INCLUDE="$source_dir/cmake/mac-check/stand-ins.cmake" \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORVANE_WERROR=ON \
    -DFETCHCONTENT_SOURCE_DIR_SPARKLE="$work/sparkle" > "$work/configure.log" 2>&1 || {
    cat "$work/configure.log" >&2
    echo "mac-compile-check: the Mac-shaped configuration failed" >&2
    exit 1
}

# One shell command per source file of ours: no object file, no debug information, and none of
# the host's own C headers (only Debian's Qt and GoogleTest stand in for their Mac builds).
python3 - "$work/build/compile_commands.json" "$source_dir" > "$work/commands.txt" <<'PY'
import json, re, sys
entries, source = json.load(open(sys.argv[1])), sys.argv[2] + "/"
for entry in entries:
    if not entry["file"].startswith(source) or entry["file"].startswith(source + "build/"):
        continue
    command = re.sub(r" -o \S+ -c ", " -fsyntax-only ", entry["command"])
    command = command.replace(" -isystem /usr/include ", " ").replace(" -g ", " ")
    print(f'cd {entry["directory"]} && {command}')
PY
count=$(wc -l < "$work/commands.txt")
mm=$(grep -c '\.mm$' "$work/commands.txt" || true)
[ "$count" -gt 0 ] || { echo "mac-compile-check: CMake gave no compile commands" >&2; exit 1; }

diagnostics="$work/diagnostics.txt"
status=0
xargs -d '\n' -P "$(nproc)" -I '{}' sh -c '{}' < "$work/commands.txt" > "$diagnostics" 2>&1 || status=$?
if [ "$status" -ne 0 ] || [ -s "$diagnostics" ]; then
    cat "$diagnostics" >&2
    echo "mac-compile-check: diagnostics above ($count files checked)" >&2
    exit 1
fi
echo "mac-compile-check: $count files ($mm Objective-C++), no diagnostics, $(( $(date +%s) - started )) s"
