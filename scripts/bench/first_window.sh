#!/usr/bin/env bash
# Start to the first visible browser window, Tarnwick.exe against the peer that
# hosts the same WebBrowser control in a browser frame: Wine's own iexplore.exe,
# started as it is. Both are timed from inside Wine by startup_timing.exe
# (CreateProcess, then polling for a visible top-level window of the child's
# process id), alternately, one warm-up each then 11 runs each; the floor of the
# same session, an empty program's start to exit, is printed beside them.
# The programs come from build/; the Wine session lives in BENCH_SESSION_DIR, so
# it never shares a prefix with scripts/test.sh runs.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
runs=${1:-11}

source "$root/scripts/bench/bench_session.sh"
bench_start "${BENCH_SESSION_DIR:-/tmp/speed-first-window}" Tarnwick.exe tests/startup_timing.exe tests/empty_program.exe
build=$bench_build
peer='C:\Program Files\Internet Explorer\iexplore.exe'
[[ -f "$WINEPREFIX/drive_c/Program Files/Internet Explorer/iexplore.exe" ]] ||
  { echo "first_window: no iexplore.exe in $WINEPREFIX" >&2; exit 1; }
timing=$build/tests/startup_timing.exe

bench_machine
echo "== a = Tarnwick.exe, b = iexplore.exe: start to first visible window (inside Wine)"
out=$("$root/scripts/wine-exec" "$timing" --compare "$runs" "$(winpath "$build/Tarnwick.exe")" "$peer" | tr -d '\r')
echo "$out"
echo "== empty_program.exe, start to exit (inside Wine): the floor of any start"
floor=$("$root/scripts/wine-exec" "$timing" --exit "$runs" "$(winpath "$build/tests/empty_program.exe")" | tr -d '\r')
echo "$floor"
echo "load average after: $(cut -d' ' -f1-3 /proc/loadavg)"

runs_of() { grep "^$1 run " <<<"$out" | awk '{ printf "%s%s", sep, $4; sep = " " }'; }
value_of() { sed -n "s/^$1=//p" <<<"$2"; }
echo
printf '%-14s %-8s %s\n' program "median" "runs (ms)"
printf '%-14s %-8s %s\n' Tarnwick.exe "$(value_of a_median_ms "$out")" "$(runs_of a)"
printf '%-14s %-8s %s\n' iexplore.exe "$(value_of b_median_ms "$out")" "$(runs_of b)"
printf '%-14s %-8s\n' "empty program" "$(value_of median_ms "$floor")"
echo "ratio Tarnwick / iexplore: $(value_of ratio "$out") (goal: at most 0.80)"
