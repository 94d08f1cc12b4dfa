#!/usr/bin/env bash
# Memory and handles of the Tarnwick process with 1 window and with 11, the cost
# of each extra window, then rounds of opening 10 windows and closing back to
# one, to show that the figures return (no growth per window).
# Figures come from Linux, since Wine reports none for another process: VmRSS
# with its shared-memory and anonymous parts (RssShmem, RssAnon of
# /proc/<pid>/status), private memory (Private_Clean + Private_Dirty of
# /proc/<pid>/smaps_rollup) and open file descriptors of the Wine process that
# runs Tarnwick.exe; beside them the handle count the system reports for the
# process (0 where it reports none). footprint_driver.exe opens windows with the
# New Window command (Ctrl+N) and closes them with WM_CLOSE.
# The Wine session lives in BENCH_SESSION_DIR, never the prefix of test runs.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
rounds=${1:-5}
extra=10
settle=${FOOTPRINT_SETTLE_S:-2}  # seconds after each step before the figures are read
# The windows open maximised, as a user's first window does; FOOTPRINT_SHOW=/NORMAL
# gives windows of the system's default size (every window takes the first one's state).
show=${FOOTPRINT_SHOW:-}

source "$root/scripts/bench/bench_session.sh"
bench_start "${BENCH_SESSION_DIR:-/tmp/speed-footprint}" Tarnwick.exe tests/footprint_driver.exe
build=$bench_build

# about:blank: no network wait, and New Window has an address to open.
coproc DRIVER { "$root/scripts/wine-exec" "$build/tests/footprint_driver.exe" "$(winpath "$build/Tarnwick.exe")" about:blank $show; }
driver_in=${DRIVER[1]} driver_out=${DRIVER[0]}

answer=
expect() {
  IFS= read -r -t 120 answer <&"$driver_out" || { echo "footprint: no answer from the driver" >&2; exit 1; }
  answer=${answer%$'\r'}
  [[ $answer == ok* ]] || { echo "footprint: driver: $answer" >&2; exit 1; }
}
step() { echo "$1" >&"$driver_in"; expect; }

expect # the first window is up
# The Wine process of Tarnwick.exe in this session's prefix (its first argument is the program).
pid=
for ((i = 0; i < 50; i++)); do
  [[ -z $pid ]] || break
  for p in /proc/[0-9]*; do
    [[ -r $p/environ ]] || continue
    tr '\0' '\n' 2>/dev/null <"$p/environ" | grep -qx "WINEPREFIX=$WINEPREFIX" || continue
    first=$(tr '\0' '\n' 2>/dev/null <"$p/cmdline" | head -n1)
    [[ $first == *Tarnwick.exe ]] && pid=${p#/proc/} && break
  done
  [[ -n $pid ]] || sleep 0.1
done
[[ -n $pid ]] || { echo "footprint: no Linux process for Tarnwick.exe" >&2; exit 1; }

rss_kib() { awk -v f="${1:-VmRSS}:" '$1 == f { print $2 }' "/proc/$pid/status"; }
private_kib() { awk '/^Private_(Clean|Dirty):/ { s += $2 } END { print s }' "/proc/$pid/smaps_rollup"; }
fds() { find "/proc/$pid/fd" -mindepth 1 -maxdepth 1 | wc -l; }
handles() { sed -n 's/.*handles=\([0-9]*\).*/\1/p' <<<"$answer"; }
windows() { sed -n 's/.*windows=\([0-9]*\).*/\1/p' <<<"$answer"; }

declare -a rows
sample() { # label
  sleep "$settle"
  step count
  rows+=("$(printf '%-22s %7s %9s %9s %9s %9s %5s %7s' "$1" "$(windows)" "$(rss_kib)" "$(rss_kib RssShmem)" \
    "$(rss_kib RssAnon)" "$(private_kib)" "$(fds)" "$(handles)")")
  last_rss=$(rss_kib) last_shm=$(rss_kib RssShmem) last_private=$(private_kib) last_fds=$(fds) last_handles=$(handles)
}

bench_machine
echo "windows: ${show:-maximised} on the session's 1280 x 1024 x 24 display"

sample "1 window"
one_rss=$last_rss one_shm=$last_shm one_private=$last_private one_fds=$last_fds one_handles=$last_handles
step "open $((extra + 1))"
sample "$((extra + 1)) windows"
eleven_rss=$last_rss eleven_shm=$last_shm eleven_private=$last_private eleven_fds=$last_fds eleven_handles=$last_handles
step "close 1"
sample "back to 1 (round 0)"
zero_rss=$last_rss zero_private=$last_private zero_fds=$last_fds zero_handles=$last_handles
for ((r = 1; r <= rounds; r++)); do
  step "open $((extra + 1))"
  sample "$((extra + 1)) windows (round $r)"
  step "close 1"
  sample "back to 1 (round $r)"
done
base_rss=$last_rss base_private=$last_private base_fds=$last_fds base_handles=$last_handles
step "quit"

echo
printf '%-22s %7s %9s %9s %9s %9s %5s %7s\n' "state" windows "RSS KiB" "shm KiB" "anon KiB" "priv KiB" fds handles
printf '%s\n' "${rows[@]}"
per() { awk -v a="$1" -v b="$2" -v n="$extra" 'BEGIN { printf "%.1f", (b - a) / n }'; }
echo
echo "per extra window: RSS $(per "$one_rss" "$eleven_rss") KiB (shared memory $(per "$one_shm" "$eleven_shm") KiB), private $(per "$one_private" "$eleven_private") KiB," \
  "fds $(per "$one_fds" "$eleven_fds"), handles $(per "$one_handles" "$eleven_handles")"
echo "growth over $rounds rounds, back at 1 window (round $rounds against round 0): RSS $((base_rss - zero_rss)) KiB," \
  "private $((base_private - zero_private)) KiB, fds $((base_fds - zero_fds)), handles $((base_handles - zero_handles))"
