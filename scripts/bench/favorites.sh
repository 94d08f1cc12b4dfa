#!/usr/bin/env bash
# Measures the favorites load under Wine: a generated favorites folder of
# 10,000 entries in 100 folders with their order records, loaded 11 times
# (after one warm-up), beside the floor measured in the same runs: a plain loop
# that lists the same folders and reads each shortcut up to its URL line.
# Medians and the ratio are printed; the goal is a load within 1.5 x the floor.
# Then the Favorites popup is built from that tree 11 times: goal under 50 ms.
# The Wine session lives in BENCH_SESSION_DIR, never the prefix of test runs.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
runs=${1:-11}

source "$root/scripts/bench/bench_session.sh"
bench_start "${BENCH_SESSION_DIR:-/tmp/tarnwick-bench-favorites}" tests/favorites_load_bench.exe

bench_machine
"$root/scripts/wine-exec" "$bench_build/tests/favorites_load_bench.exe" "$runs" | tr -d '\r'
