#!/usr/bin/env bash
# Installs the Debian packages Tarnwick needs to build, run and test.
# Asks apt only for what is missing, so a second run takes well under a second.
set -euo pipefail

packages=(
  cmake ninja-build                       # build
  mingw-w64 g++-mingw-w64-x86-64-posix    # cross-compiler (posix threads, for GoogleTest)
  googletest                              # sources in /usr/src/googletest, cross-built with the tests
  wine wine64                             # runs the .exe files
  xvfb x11-utils imagemagick              # private display, window polling, screenshots
  fonts-ipafont-gothic                    # Japanese glyphs for the Japanese resources under Wine
  nsis                                    # the Windows installer
  locales                                 # the Japanese locale, generated below
)

missing=()
for p in "${packages[@]}"; do
  # dpkg -s also succeeds for removed packages that left config files: read the status.
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
sudo=()
[[ $(id -u) == 0 ]] || sudo=(sudo)
if ((${#missing[@]})); then
  echo "setup: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  "${sudo[@]}" apt-get update -qq
  # Recommends stay on: they bring Wine's fonts and the X libraries it draws with.
  "${sudo[@]}" apt-get install -y -qq "${missing[@]}" >/dev/null
fi

# Wine takes its locale and the character set of Linux file names from the C
# library: without a ja_JP.UTF-8 locale a Japanese session reads non-ASCII file
# names as another code page.
if ! locale -a 2>/dev/null | grep -qix 'ja_JP.utf-\?8'; then
  echo "setup: generating the ja_JP.UTF-8 locale"
  "${sudo[@]}" localedef -i ja_JP -f UTF-8 ja_JP.UTF-8
fi
