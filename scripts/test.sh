#!/usr/bin/env bash
# Sets up, builds, then runs every test under Wine in a private session.
# Extra arguments go to ctest, e.g. `scripts/test.sh -R favorites`.
# Prints nothing after ctest, so its summary is the last thing on screen.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export BUILD_DIR=${BUILD_DIR:-$root/build}

bash "$root/scripts/build.sh"

source "$root/scripts/session.sh"
session_start # its trap stops the session however this script ends

# -j1: the tests share one Wine prefix and one display. A filter that
# matches nothing is an error, not a silent pass. Each test's time limit is
# set where it is added (tests/CMakeLists.txt).
ctest --test-dir "$BUILD_DIR" --output-on-failure --no-tests=error -j1 "$@"
