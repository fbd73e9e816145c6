#!/usr/bin/env bash
# Starts the helper daemon against the stand-in in the sim directory, as a launchd start would.
set -euo pipefail
cd "$(dirname "$0")/.."

sim_dir="${ORVANE_SIM_DIR:-${XDG_STATE_HOME:-$HOME/.local/state}/orvane-sim}"
if [ ! -d "$sim_dir" ]; then
  mkdir -p "$sim_dir"
  chmod 700 "$sim_dir"
  echo 0 > "$sim_dir/iogpu.wired_limit_mb"
fi
echo "OrvaneHelper serves $sim_dir/com.halvern.Orvane.helper.sock and exits after 10 idle seconds." >&2
export ORVANE_SIM_DIR="$sim_dir"
exec ./build/default/OrvaneHelper --listen "$sim_dir/com.halvern.Orvane.helper.sock"
