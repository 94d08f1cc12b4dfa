#!/usr/bin/env bash
# Measures start-up under Wine: Tarnwick.exe to its first visible window, and an
# empty program to its exit, both from inside Wine (median of 5 warm runs); and the
# empty program as a user starts it from Linux, Wine's own process start included.
# The programs come from build/; the Wine session lives in MEASURE_SESSION_DIR, so
# it never shares a prefix with scripts/test.sh runs on build/.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
runs=5

source "$root/scripts/bench/bench_session.sh"
bench_start "${MEASURE_SESSION_DIR:-/tmp/tarnwick-measure-startup}" Tarnwick.exe tests/startup_timing.exe \
  tests/empty_program.exe
build=$bench_build
timing=$build/tests/startup_timing.exe
median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2) }'; }

echo "== Tarnwick.exe, start to first visible window (inside Wine)"
tarnwick_out=$("$root/scripts/wine-exec" "$timing" "$runs" "$(winpath "$build/Tarnwick.exe")" | tr -d '\r')
echo "$tarnwick_out"

echo "== empty_program.exe, start to exit (inside Wine)"
empty_out=$("$root/scripts/wine-exec" "$timing" --exit "$runs" "$(winpath "$build/tests/empty_program.exe")" | tr -d '\r')
echo "$empty_out"

echo "== wine-exec empty_program.exe, start to exit (from Linux)"
"$root/scripts/wine-exec" "$build/tests/empty_program.exe" # warm-up, untimed
linux_ms=()
for ((i = 1; i <= runs; i++)); do
  t0=$(date +%s%N)
  "$root/scripts/wine-exec" "$build/tests/empty_program.exe"
  t1=$(date +%s%N)
  linux_ms+=("$(awk -v d=$((t1 - t0)) 'BEGIN { printf "%.1f", d / 1e6 }')")
  echo "run $i: ${linux_ms[-1]} ms"
done
linux_median=$(printf '%s\n' "${linux_ms[@]}" | median)
echo "median_ms=$linux_median"

runs_of() { grep '^run ' <<<"$1" | awk '{ printf "%s%s", sep, $3; sep = " " }'; }
median_of() { sed -n 's/^median_ms=//p' <<<"$1"; }
echo
echo "machine: $(nproc) CPUs, $(wine --version 2>/dev/null)"
printf '%-44s %-36s %s\n' "measure" "runs (ms)" "median (ms)"
printf '%-44s %-36s %s\n' "Tarnwick.exe to first visible window" "$(runs_of "$tarnwick_out")" "$(median_of "$tarnwick_out")"
printf '%-44s %-36s %s\n' "empty_program.exe to exit (in Wine)" "$(runs_of "$empty_out")" "$(median_of "$empty_out")"
printf '%-44s %-36s %s\n' "wine-exec empty_program.exe (from Linux)" "${linux_ms[*]}" "$linux_median"
