#!/usr/bin/env bash
# Sets up, builds and starts Tarnwick (arguments are passed to it).
# With $DISPLAY set it runs there until closed. Without, it runs on a private
# Xvfb just long enough to take a screenshot, and prints the screenshot's path.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export BUILD_DIR=${BUILD_DIR:-$root/build}

bash "$root/scripts/build.sh"
BUILD_DIR=$(cd "$BUILD_DIR" && pwd)

exe=$BUILD_DIR/Tarnwick.exe
[[ -f $exe ]] || { echo "run: $exe was not built" >&2; exit 1; }

source "$root/scripts/session.sh"

if [[ -n ${DISPLAY:-} ]]; then
  export TARNWICK_USE_DISPLAY=1
  session_start
  # In the background, so a signal to this script runs the session's trap at once.
  "$root/scripts/wine-exec" "$exe" "$@" &
  wait $!
  exit
fi

session_start
log=$BUILD_DIR/run.log
"$root/scripts/wine-exec" "$exe" "$@" >"$log" 2>&1 &
app=$!

# Wait for a shown window whose title names the program.
shown=
for ((i = 0; i < 40; i++)); do
  if ! kill -0 "$app" 2>/dev/null; then
    echo "run: Tarnwick exited before showing a window; its output:" >&2
    cat "$log" >&2
    exit 1
  fi
  for id in $(xwininfo -root -tree 2>/dev/null | awk '/"[^"]*Tarnwick[^"]*": \(/ {print $1}'); do
    xwininfo -id "$id" 2>/dev/null | grep -q 'Map State: IsViewable' && shown=1
  done
  [[ -n $shown ]] && break
  sleep 0.5
done
[[ -n $shown ]] || echo "run: no Tarnwick window after 20 s; taking the screenshot anyway" >&2
sleep 1 # let the first paint finish

shot=$BUILD_DIR/screenshot.png
import -window root "$shot"
echo "$shot"

# Ends the program with the rest of this prefix's Wine processes.
session_stop
wait "$app" 2>/dev/null || true
