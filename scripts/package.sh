#!/usr/bin/env bash
# Optional: builds the Debian package of Ventrix and installs it, so the
# program is in the menu and opens .ign files from the file manager.
#   scripts/package.sh            build build/ventrix_<version>_<arch>.deb and install it
#   scripts/package.sh --no-install   only build it
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake -S . -B build >/dev/null
cmake --build build -j2
(cd build && cpack -G DEB)
deb=$(ls -t build/ventrix_*.deb | head -n 1)
echo "Package: $deb"
[ "${1:-}" = "--no-install" ] && exit 0

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
# apt, not dpkg -i: it fetches the libraries the package depends on.
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "./$deb"
