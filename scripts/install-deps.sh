#!/usr/bin/env bash
# Installs the Debian packages Ventrix needs to build, run and test, when
# any of them is missing. Needs root (or sudo).
set -euo pipefail

# clang-16 for the fuzz build (libclang-rt-16-dev holds its libFuzzer):
# clang 14 rejects GCC 12's std::ranges::subrange, so every view and
# std::ranges::equal_range. poppler-utils: the printing tests read back the
# text of the PDFs they print. The packaging test checks the installed menu
# entry, file types and man pages with desktop-file-utils, shared-mime-info,
# libxml2-utils, man-db and gio (libglib2.0-bin), and builds the .deb
# (dpkg-dev: dpkg-shlibdeps). clang-tidy-16 (with run-clang-tidy-16): the
# static analysis of src/. openbox, xdotool and x11-utils (xprop): the
# desktop tests run on Xvfb under a real window manager and drive it with
# synthetic pointer and key events. locales: the widget tests run in German
# and Czech too. ccache: the builds of the fast and full commands share
# their compiled objects. libxcb1-dev: the monitor asks the X server whether a
# window-manager resize drag still holds the button.
packages=(cmake g++ make pkg-config libgtest-dev libgmock-dev libbenchmark-dev
          qt6-base-dev xvfb xauth fonts-dejavu-core clang-16 libclang-rt-16-dev clang-tidy-16 poppler-utils
          desktop-file-utils shared-mime-info libxml2-utils man-db libglib2.0-bin dpkg-dev
          openbox xdotool x11-utils locales ccache libxcb1-dev)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
if [ ${#missing[@]} -ne 0 ]; then
  echo "Installing: ${missing[*]}"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# The locales the tests run the windows in.
wanted=(de_DE.UTF-8 cs_CZ.UTF-8)
have=$(locale -a 2>/dev/null | tr 'A-Z' 'a-z' | sed 's/utf-8/utf8/')
gen=0
for l in "${wanted[@]}"; do
  key=$(echo "$l" | tr 'A-Z' 'a-z' | sed 's/utf-8/utf8/')
  if ! grep -qx "$key" <<<"$have"; then
    $sudo sed -i "s/^# *\($l UTF-8\)/\1/" /etc/locale.gen
    grep -q "^$l UTF-8" /etc/locale.gen || echo "$l UTF-8" | $sudo tee -a /etc/locale.gen >/dev/null
    gen=1
  fi
done
[ $gen -eq 0 ] || $sudo locale-gen >/dev/null
