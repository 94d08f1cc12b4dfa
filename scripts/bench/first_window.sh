#!/usr/bin/env bash
# Start to useful work, Tarnwick.exe against the peer that hosts the same
# WebBrowser control in a browser frame: Wine's own iexplore.exe, started as it
# is. Both get the same loopback URL on the command line and are timed from
# inside Wine by startup_timing.exe --requests, alternately, one warm-up each
# then `runs` (11) each: process start to the first visible top-level window
# (with the count of child windows it held, which shows the frame was complete
# when seen), and to the first request line reaching the timing program's own
# listener on 127.0.0.1. The floor of the same session, an empty program's
# start to exit, is printed beside them.
#
# Unlike test sessions, the platform's HTML component is left enabled, as a
# user's Wine has it; the favorites folder of the benchmark's prefix is empty
# (the peer reads it at start, Tarnwick only when its Favorites menu opens).
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

# The session disables the HTML component for tests, so the prefix was created
# without it registered; a user's Wine has it, and so does this benchmark.
export WINEDLLOVERRIDES="mscoree=;winemenubuilder.exe=d;winedbg.exe=d"
if [[ ! -f $WINEPREFIX/.tarnwick-html ]]; then
  "$root/scripts/wine-exec" regsvr32 /s mshtml.dll
  touch "$WINEPREFIX/.tarnwick-html" # the registry is saved when the session's server stops
fi

favorites=$(bench_favorites_folder)
mkdir -p "$favorites"
if [[ -n $(ls -A "$favorites") ]]; then
  echo "first_window: the favorites folder $favorites is not empty; use a fresh BENCH_SESSION_DIR" >&2
  exit 1
fi

bench_machine
echo "== a = Tarnwick.exe, b = iexplore.exe, the same loopback URL: start to first visible window and to first request (inside Wine)"
out=$("$root/scripts/wine-exec" "$timing" --requests "$runs" "$(winpath "$build/Tarnwick.exe")" "$peer" | tr -d '\r')
echo "$out"
echo "== empty_program.exe, start to exit (inside Wine): the floor of any start"
floor=$("$root/scripts/wine-exec" "$timing" --exit "$runs" "$(winpath "$build/tests/empty_program.exe")" | tr -d '\r')
echo "$floor"
echo "load average after: $(cut -d' ' -f1-3 /proc/loadavg)"

field_of() { grep "^$1 run " <<<"$out" | sed -n "s/.* $2 \([0-9.]*\) ms.*/\1/p" | paste -sd' '; }
value_of() { sed -n "s/^$1=//p" <<<"$2"; }
echo
printf '%-14s %-16s %-16s %s\n' program "window median" "request median" "runs, window / request (ms)"
for side in a b; do
  name=Tarnwick.exe
  [[ $side == b ]] && name=iexplore.exe
  printf '%-14s %-16s %-16s %s / %s\n' "$name" "$(value_of ${side}_window_median_ms "$out")" \
    "$(value_of ${side}_request_median_ms "$out")" "$(field_of $side window)" "$(field_of $side request)"
done
printf '%-14s %-16s\n' "empty program" "$(value_of median_ms "$floor")"
echo "ratios Tarnwick / iexplore: first window $(value_of window_ratio "$out") (goal: at most 0.95)," \
  "first request $(value_of request_ratio "$out") (goal: at most 0.90)"
