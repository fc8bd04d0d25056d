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
# static analysis of src/.
packages=(cmake g++ make pkg-config libgtest-dev libgmock-dev libbenchmark-dev
          qt6-base-dev xvfb xauth fonts-dejavu-core clang-16 libclang-rt-16-dev clang-tidy-16 poppler-utils
          desktop-file-utils shared-mime-info libxml2-utils man-db libglib2.0-bin dpkg-dev)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
