#!/usr/bin/env bash
# Renders the popover in its main states, and the terms window, to PNG files (offscreen, no
# display needed) at the scale factors 1, 1.25, 1.5 and 2, and with every section open on a
# 1280×800 and a 1366×768 screen. Fails if a divider line does not show, or if the popover with
# every section open leaves the screen, covers the status icon or loses its title or Quit.
# Usage: scripts/screenshots.sh [folder]   (default: build/screenshots)
set -euo pipefail
cd "$(dirname "$0")/.."

out="${1:-build/screenshots}"
mkdir -p "$out"
cmake --preset default >/dev/null
cmake --build --preset default --target orvane_screenshots
renderer=./build/default/tests/app/orvane_screenshots
failed=0
for scale in 1 1.25 1.5 2; do
    "$renderer" --scale="$scale" "$out/scale-$scale" || failed=1
done
for screen in 1280x800 1366x768; do
    "$renderer" --screen="$screen" "$out/screen-$screen" || failed=1
done
exit "$failed"
