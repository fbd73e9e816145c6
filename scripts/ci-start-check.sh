#!/usr/bin/env bash
# Starts Orvane as a new user would on a fresh machine (offscreen, with fresh settings and a fresh
# sim directory, and a private runtime folder as a desktop session has), checks that it is still
# running a few seconds later, and ends it.
#   scripts/ci-start-check.sh [EXECUTABLE]     (default: ./build/default/Orvane)
set -euo pipefail
executable=${1:-./build/default/Orvane}
profile=$(mktemp -d)
trap 'rm -rf "$profile"' EXIT
mkdir -m 700 "$profile/config" "$profile/sim" "$profile/runtime"

QT_QPA_PLATFORM=offscreen XDG_CONFIG_HOME="$profile/config" XDG_RUNTIME_DIR="$profile/runtime" \
    ORVANE_SIM_DIR="$profile/sim" "$executable" > "$profile/output" 2>&1 &
pid=$!
sleep 5
if ! kill -0 "$pid" 2>/dev/null; then
    wait "$pid" && status=0 || status=$?
    echo "Orvane ended within 5 seconds of starting (status $status):" >&2
    cat "$profile/output" >&2
    exit 1
fi
kill -TERM "$pid"
for _ in $(seq 50); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
done
if kill -0 "$pid" 2>/dev/null; then
    kill -KILL "$pid"
    echo "Orvane did not end within 5 seconds of SIGTERM" >&2
    exit 1
fi
wait "$pid" || true
echo "Orvane started offscreen and ran for 5 seconds:"
sed 's/^/    /' "$profile/output"
