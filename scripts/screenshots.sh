#!/usr/bin/env bash
# Renders the popover in its main states, and the terms window, to PNG files (offscreen, no
# display needed). Usage: scripts/screenshots.sh [folder]   (default: build/screenshots)
set -euo pipefail
cd "$(dirname "$0")/.."

out="${1:-build/screenshots}"
mkdir -p "$out"
cmake --preset default >/dev/null
cmake --build --preset default --target orvane_screenshots
QT_QPA_PLATFORM=offscreen ./build/default/tests/app/orvane_screenshots "$out"
