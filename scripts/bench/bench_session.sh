# shellcheck shell=bash
# Sourced by the benchmarks. bench_start builds build/, checks that the programs
# a benchmark needs were built there, and starts a Wine session of the
# benchmark's own (scripts/session.sh) in the folder it names, never the prefix
# of test runs on build/; the session's trap stops it however the script ends.

_bench_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
bench_build=$_bench_root/build

# bench_start <session folder> <program under build/>...
bench_start() {
  local session_dir=$1 exe
  shift
  BUILD_DIR=$bench_build bash "$_bench_root/scripts/build.sh" >/dev/null
  for exe in "$@"; do
    [[ -f $bench_build/$exe ]] || { echo "$(basename "$0"): $bench_build/$exe was not built" >&2; exit 1; }
  done
  source "$_bench_root/scripts/session.sh"
  export BUILD_DIR=$session_dir
  session_start
}

# A Linux path as Windows programs under Wine see it.
winpath() { local p="Z:$1"; echo "${p//\//\\}"; }

# The machine, as each benchmark prints it first.
bench_machine() {
  echo "machine: $(nproc) CPUs, $(awk '/MemTotal/ { printf "%.1f GiB", $2 / 1048576 }' /proc/meminfo) RAM," \
    "$(wine --version 2>/dev/null), $(date -u '+%Y-%m-%d %H:%M UTC'), load average $(cut -d' ' -f1-3 /proc/loadavg)"
}

# The Linux path of the favorites folder of the session prefix's user.
bench_favorites_folder() {
  local user
  user=$(whoami)
  echo "$WINEPREFIX/drive_c/users/$user/Favorites"
}
