#!/usr/bin/env bash
# Sets the machine up, then configures (first time only) and builds Tarnwick.
# BUILD_DIR overrides the build folder (default: build/ at the repository root);
# CMAKE_ARGS adds cmake arguments, e.g. CMAKE_ARGS="-DCMAKE_BUILD_TYPE=Debug".
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build_dir=${BUILD_DIR:-$root/build}

bash "$root/scripts/setup.sh"

read -ra args <<<"${CMAKE_ARGS:-}"
# CI treats compiler warnings as errors.
[[ ${CI:-} == true ]] && args+=(-DTARNWICK_WERROR=ON)

if [[ ! -f $build_dir/CMakeCache.txt ]]; then
  generator="Unix Makefiles"
  command -v ninja >/dev/null && generator=Ninja
  cmake -S "$root" -B "$build_dir" -G "$generator" \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
    -DCMAKE_BUILD_TYPE=Release "${args[@]}"
elif ((${#args[@]})); then
  # An existing build folder keeps its cache; only new arguments need a re-configure.
  cmake -S "$root" -B "$build_dir" "${args[@]}"
fi

cmake --build "$build_dir" --parallel "$(nproc)"
