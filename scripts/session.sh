# shellcheck shell=bash
# Sourced by the other scripts. session_start gives them a private Wine session:
# a Wine prefix inside the build folder (never the user's ~/.wine), an X display
# (a private Xvfb unless TARNWICK_USE_DISPLAY=1 with DISPLAY set) and a
# persistent wineserver, all exported for child processes such as ctest only.
# session_stop ends exactly what session_start started; a trap calls it on exit.

_session_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
_session_xvfb_pid=
_session_server=
# The 64-bit loader: Debian's `wine` would pick the 32-bit one if wine32 is there.
_session_wine=$(command -v wine64 || { [[ -x /usr/lib/wine/wine64 ]] && echo /usr/lib/wine/wine64; } || echo wine)

session_start() {
  local build_dir=${BUILD_DIR:-$_session_root/build}
  mkdir -p "$build_dir"
  build_dir=$(cd "$build_dir" && pwd)

  export WINEPREFIX=$build_dir/wineprefix WINEARCH=win64 WINEDEBUG=-all
  # No Mono/Gecko installer prompts, no menu entries or file associations
  # written into the user's home, and a crash ends the program at once instead
  # of waiting in the debugger until a test times out.
  export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d;winedbg.exe=d"
  _session_server=1 # from here on, stopping means `wineserver -k` for this prefix

  trap session_stop EXIT
  trap 'exit 130' INT
  trap 'exit 143' TERM

  local managed=N
  if [[ ${TARNWICK_USE_DISPLAY:-} == 1 && -n ${DISPLAY:-} ]]; then
    managed=Y # a real desktop has a window manager to draw the frames
  else
    _session_start_xvfb "$build_dir/xvfb.log"
  fi

  if [[ ! -f $WINEPREFIX/.tarnwick-ready ]]; then
    # One prefix per build folder; the marker says its creation finished.
    rm -rf "$WINEPREFIX" # half-made by an interrupted run
    echo "session: creating Wine prefix $WINEPREFIX" >&2
    "$_session_wine" wineboot -i >"$build_dir/wineboot.log" 2>&1
    wineserver -w # its short-lived server saves the new registry as it exits
    touch "$WINEPREFIX/.tarnwick-ready"
  fi

  # Without the C library's locale of that name (Debian installs none by default;
  # scripts/setup.sh generates ja_JP.UTF-8) Wine reads LC_ALL alone: a Japanese
  # LANG or LC_MESSAGES would leave programs English while the fonts below were mapped.
  local locale=${LC_ALL:-${LC_MESSAGES:-${LANG:-}}}
  if [[ $locale == ja* && -z ${LC_ALL:-} ]]; then
    export LC_ALL=$locale 2>/dev/null # bash's warning that it has no such locale
  fi
  _session_map_japanese_fonts

  # Persistent, so each test's wine start is quick and no server is forked
  # from inside a test (where it would hold ctest's output pipe open).
  if ! wineserver -p; then
    _session_server= # not ours to stop
    echo "session: a Wine server is already running for $WINEPREFIX." >&2
    echo "session: another run or test on this build folder? If not, stop it with:" >&2
    echo "session:   WINEPREFIX=$WINEPREFIX wineserver -k" >&2
    return 1
  fi
  _session_set_managed "$managed" # saved to disk when the server stops

  # Wine's background programs (services, the desktop's explorer.exe) keep the
  # stderr of the program that first needed them; were that a test, ctest would
  # wait for its output pipe to close until the timeout. Start them now, with
  # stderr going nowhere: rundll32 makes a window, which brings up the desktop.
  "$_session_wine" rundll32 user32.dll,GetDesktopWindow </dev/null >/dev/null 2>&1 || true
}

# The Japanese resources name Windows' Japanese fonts, which Wine does not have:
# under a Japanese locale, Wine's font replacements map them onto the IPA Gothic
# font setup.sh installs. Only then: Wine would otherwise draw the English user
# interface with it too. A marker in the prefix says whether the mapping is in.
_session_map_japanese_fonts() {
  local marker=$WINEPREFIX/.tarnwick-japanese-fonts face action=
  local locale=${LC_ALL:-${LC_MESSAGES:-${LANG:-}}}
  if [[ $locale == ja* ]]; then
    [[ -f $marker ]] || action=add
  else
    [[ -f $marker ]] && action=delete
  fi
  [[ -n $action ]] || return 0
  for face in "MS UI Gothic" "MS Gothic" "MS PGothic"; do
    if [[ $action == add ]]; then
      "$_session_wine" reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "$face" /t REG_SZ /d IPAGothic /f \
        >/dev/null 2>&1
    else
      "$_session_wine" reg delete 'HKCU\Software\Wine\Fonts\Replacements' /v "$face" /f >/dev/null 2>&1 || true
    fi
  done
  wineserver -w # the short-lived server saves the registry as it exits
  if [[ $action == add ]]; then touch "$marker"; else rm -f "$marker"; fi
}

_session_start_xvfb() {
  local log=$1 number_file i
  number_file=$(mktemp)
  # -displayfd: Xvfb picks a free display and writes its number once it is ready.
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$number_file" >"$log" 2>&1 &
  _session_xvfb_pid=$!
  for ((i = 0; i < 100; i++)); do
    [[ -s $number_file ]] && break
    kill -0 "$_session_xvfb_pid" 2>/dev/null || break
    sleep 0.1
  done
  DISPLAY=:$(head -n1 "$number_file")
  rm -f "$number_file"
  if [[ $DISPLAY == : ]]; then
    echo "session: Xvfb did not start, see $log" >&2
    return 1
  fi
  export DISPLAY
}

# Managed=N: with no window manager on Xvfb, Wine draws the window frames itself.
# Written only when it changes, to save a Wine start.
_session_set_managed() {
  local value=$1 file=$WINEPREFIX/.tarnwick-managed
  [[ -f $file && $(<"$file") == "$value" ]] && return 0
  "$_session_wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d "$value" /f >/dev/null 2>&1
  echo "$value" >"$file"
}

session_stop() {
  if [[ -n $_session_server ]]; then
    _session_server=
    wineserver -k 2>/dev/null || true # only this prefix's server and programs
    wineserver -w 2>/dev/null || true
  fi
  if [[ -n $_session_xvfb_pid ]]; then
    kill "$_session_xvfb_pid" 2>/dev/null || true
    wait "$_session_xvfb_pid" 2>/dev/null || true
    _session_xvfb_pid=
  fi
}
