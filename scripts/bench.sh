#!/usr/bin/env bash
# Builds the Release benchmarks (preset "bench") and runs them, then prints one table: each
# benchmark's time per operation and, for the round trips, its ratio to the bare seqpacket echo
# measured in the same run; for the command line, whole processes such as `orvane status --json`
# against `cat` of the limit variable, each run by turns with cat (the counter xCat), and
# `orvane fit` on a 40 GB model against `orvane status` (the counter xStatus). The round
# trips run twice: with the sim directory on disk (/tmp) and in memory (/dev/shm), where the
# stand-in's variable is as cheap to write as the kernel's.
# Each benchmark runs three times and the table shows the median; arguments given to the script
# replace those options for every benchmark (e.g. --benchmark_filter=Round).
set -euo pipefail
cd "$(dirname "$0")/.."

cmake --preset bench >/dev/null
cmake --build --preset bench >/dev/null
out=build/bench/results
rm -rf "$out"
mkdir -p "$out"

run() { # name executable [environment...]
  local name=$1 exe=$2
  shift 2
  env "$@" "build/bench/bench/$exe" --benchmark_out_format=csv --benchmark_out="$out/$name.csv" \
    "${extra[@]}" >"$out/$name.log" 2>&1 || { cat "$out/$name.log"; exit 1; }
}
extra=("$@")
if [ ${#extra[@]} -eq 0 ]; then
  extra=(--benchmark_repetitions=3 --benchmark_report_aggregates_only=true)
fi
run contract orvane_bench_contract
run feed orvane_bench_feed
run roundtrip-disk orvane_bench_roundtrip ORVANE_BENCH_DIR=/tmp
if [ -d /dev/shm ]; then
  run roundtrip-memory orvane_bench_roundtrip ORVANE_BENCH_DIR=/dev/shm
fi
run ui orvane_bench_ui QT_QPA_PLATFORM=offscreen
run cli orvane_bench_cli
run fit orvane_bench_fit

model=$(lscpu | sed -n 's/^Model name: *//p' | head -n1)
echo "Machine: ${model:-unknown}, $(nproc) cores, Linux $(uname -r)"
printf '%-44s %14s %10s\n' benchmark "time/op" "x floor"
for file in "$out"/contract.csv "$out"/feed.csv "$out"/roundtrip-disk.csv "$out"/roundtrip-memory.csv "$out"/ui.csv \
    "$out"/cli.csv "$out"/fit.csv; do
  [ -f "$file" ] || continue
  suffix=""
  case "$file" in
    *roundtrip-disk*) suffix=" (sim dir on disk)" ;;
    *roundtrip-memory*) suffix=" (sim dir in memory)" ;;
  esac
  awk -F, -v suffix="$suffix" '
    /^name,/ {
      for (i = 1; i <= NF; i++) {
        if ($i == "xCat" || $i == "\"xCat\"") xcat = i
        if ($i == "xStatus" || $i == "\"xStatus\"") xstatus = i
      }
    }
    /^"/ {
      name = $1; gsub(/"/, "", name)
      if (name ~ /_(mean|stddev|cv)$/) next
      sub(/_median$/, "", name); sub(/\/.*$/, "", name)
      if ($9 == "true") { printf "%-44s %14s\n", name suffix, "failed: " $10; next }
      time = $3 + 0; unit = $5
      if (name == "echoRoundTrip" || name == "catVariable") floor = time
      ratio = (name ~ /^(echo|warm|cat)/ && floor > 0) ? sprintf("%.2f", time / floor) : ""
      if (xcat && $xcat != "") ratio = sprintf("%.2f", $xcat)
      if (xstatus && $xstatus != "") { ratio = sprintf("%.2f", $xstatus); name = name " (x status)" }
      printf "%-44s %10.3g %-3s %10s\n", name suffix, time, unit, ratio
    }' "$file"
done
