#!/usr/bin/env bash
# The parts of the Mac release road that Linux can check, for CI: no shell script draws a word
# from shellcheck; the minimum-macOS check passes objects built for macOS 15.2 and names each one
# built for 26.0; a release configuration refuses the placeholder update key; the cask renders
# and parses. Needs what ./scripts/install-deps.sh installs (shellcheck, clang-19, llvm-19, ruby).
#
#   scripts/release-checks.sh
set -euo pipefail
source_dir=$(cd "$(dirname "$0")/.." && pwd)
cd "$source_dir"
work="$source_dir/build/release-checks"
rm -rf "$work"
mkdir -p "$work"
failures=0
fail() {
  echo "release-checks: FAILED: $*" >&2
  failures=$((failures + 1))
}

echo "== shellcheck"
shellcheck -x scripts/*.sh .ci/run || fail "shellcheck, above"

echo "== the minimum-macOS check"
printf 'int orvane_probe(void) { return 0; }\n' > "$work/probe.c"
object() { # TARGET FILE: an object file built for TARGET, against no SDK
  mkdir -p "$(dirname "$work/$2")"
  clang-19 -target "$1" -c "$work/probe.c" -o "$work/$2"
}
object arm64-apple-macos15.2 oldest/Orvane.app/Contents/MacOS/Orvane
object arm64-apple-macos15.2 newer/Orvane.app/Contents/MacOS/Orvane
object arm64-apple-macos26.0 newer/Orvane.app/Contents/Frameworks/QtCore.framework/QtCore
echo "not a program" > "$work/newer/Orvane.app/Contents/Info.plist"
object arm64-apple-macos15.2 slices/arm64.o
object x86_64-apple-macos26.0 slices/x86_64.o
mkdir -p "$work/universal"
llvm-lipo-19 -create "$work/slices/arm64.o" "$work/slices/x86_64.o" -output "$work/universal/tool"

# BUNDLE, the status expected, what the output must name and what it must not.
while IFS='|' read -r bundle status names spares; do
  actual=0
  output=$(scripts/check-min-macos.sh "$work/$bundle" 2>&1) || actual=$?
  printf '%s\n' "$output"
  [ "$actual" -eq "$status" ] || fail "check-min-macos.sh $bundle ended $actual, not $status"
  if [ -n "$names" ] && ! grep -qF -- "$names" <<< "$output"; then
    fail "check-min-macos.sh $bundle did not name $names"
  fi
  if [ -n "$spares" ] && grep -qF -- "$spares" <<< "$output"; then
    fail "check-min-macos.sh $bundle named $spares"
  fi
done <<'CASES'
oldest/Orvane.app|0|none needs more than macOS 15.2|needs macOS 15
newer/Orvane.app|1|QtCore.framework/QtCore: needs macOS 26.0|MacOS/Orvane
universal|1|tool (x86_64): needs macOS 26.0|(arm64)
CASES

echo "== a release configuration with the placeholder update key"
if cmake -S . -B "$work/release-configure" -G Ninja -DORVANE_RELEASE=ON \
    > "$work/release-configure.log" 2>&1; then
  fail "configuring with ORVANE_RELEASE=ON and the placeholder key succeeded"
elif ! grep -q "ORVANE_SPARKLE_PUBLIC_ED_KEY is the placeholder" "$work/release-configure.log"; then
  cat "$work/release-configure.log" >&2
  fail "configuring with ORVANE_RELEASE=ON failed, but not for the placeholder key"
else
  echo "refused, as it must be"
fi

echo "== the Homebrew cask"
version=$(sed -n 's/^project(Orvane VERSION \([0-9.]*\) .*/\1/p' CMakeLists.txt)
feed=$(sed -n 's/^set(ORVANE_SPARKLE_FEED_URL "\(.*\)")$/\1/p' cmake/BundleFiles.cmake)
sha256=$(sha256sum "$work/probe.c" | cut -d ' ' -f 1)
if scripts/render-cask.sh "$version" "$sha256" "$feed" > "$work/orvane.rb"; then
  ruby -c "$work/orvane.rb" || fail "the rendered cask does not parse"
  grep -q "version \"$version\"" "$work/orvane.rb" || fail "the cask lacks version $version"
  grep -q "sha256 \"$sha256\"" "$work/orvane.rb" || fail "the cask lacks its sha256"
else
  fail "render-cask.sh $version $sha256 $feed"
fi
if scripts/render-cask.sh "$version" "$sha256\"; system(\"id\")" "$feed" > /dev/null 2>&1; then
  fail "render-cask.sh took a sha256 that would end its Ruby string"
fi

if [ "$failures" -gt 0 ]; then
  echo "release-checks: $failures failed" >&2
  exit 1
fi
echo "release-checks: all passed"
