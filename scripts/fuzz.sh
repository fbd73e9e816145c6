#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (preset "fuzz") and runs each for the given number of
# seconds (default 30), starting from the seed corpus in fuzz/corpus/<target>. What a run learns
# stays in build/fuzz/corpus; an input that breaks a target is kept in build/fuzz/crashes and
# fails the script. Copy such an input to fuzz/regressions/<target>/ and the tests replay it.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds="${1:-30}"
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz

status=0
for target in wireDecode connection feed gguf safetensors ollamaManifest; do
  learned="build/fuzz/corpus/$target"
  crashes="build/fuzz/crashes/$target"
  log="build/fuzz/$target.log"
  mkdir -p "$learned" "$crashes"
  echo "fuzzing $target for ${seconds}s (log: $log)"
  if ! "build/fuzz/fuzz/orvane_fuzz_$target" -max_total_time="$seconds" -timeout=10 \
      -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$crashes/" \
      "$learned" "fuzz/corpus/$target" >"$log" 2>&1; then
    status=1
    grep -E 'ERROR|invariant broken|SUMMARY|Test unit written' "$log" || tail -n 20 "$log"
  fi
  grep -E '^stat::(number_of_executed_units|peak_rss_mb)|^Done ' "$log" | sed 's/^/  /'
done
exit "$status"
