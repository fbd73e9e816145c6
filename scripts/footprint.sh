#!/usr/bin/env bash
# Footprint of the Release build (preset "bench"): what the daemon links and its stripped size,
# its resident memory while serving one client, and the application's resident memory and
# wake-ups with the popover closed and open (offscreen, with a headless status item). The
# application's wake-ups are context switches of all its threads over the window, including the
# one of the probe's own timer that ends it. Argument: the window in seconds (default 5).
set -euo pipefail
cd "$(dirname "$0")/.."

seconds="${1:-5}"
cmake --preset bench >/dev/null
cmake --build --preset bench >/dev/null

daemon=build/bench/OrvaneHelper
stripped=$(mktemp /tmp/OrvaneHelper.XXXXXX)
trap 'rm -f "$stripped"' EXIT
strip -o "$stripped" "$daemon"
chmod +x "$stripped"

echo "daemon_needs $(readelf -d "$daemon" | sed -n 's/.*Shared library: \[\(.*\)\]/\1/p' | tr '\n' ' ')"
if ldd "$daemon" | grep -qi qt; then
  echo "daemon_links_qt yes"
else
  echo "daemon_links_qt no"
fi
echo "daemon_size_bytes $(stat -c %s "$daemon")"
echo "daemon_stripped_size_bytes $(stat -c %s "$stripped")"
build/bench/bench/orvane_daemon_footprint "$stripped"
QT_QPA_PLATFORM=offscreen build/bench/orvane_app_footprint --seconds "$seconds" 2>/dev/null
