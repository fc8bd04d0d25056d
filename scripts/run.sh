#!/usr/bin/env bash
# Installs what is missing, builds Ventrix and starts it.
#   scripts/run.sh            the program on the serial ports of this machine
#   scripts/run.sh --demo     with the simulated unit, connected at once
# Further arguments go to the program (a first word ENGLISH, DEUTSCH,
# FRENCH or CESKY selects the language).
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake -S . -B build >/dev/null
cmake --build build -j2 --target ventrix ventrix-unitsim ventrix-release-port

# Without a desktop, run on a virtual X display.
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1400x1150x24" build/src/ventrix "$@"
fi
exec build/src/ventrix "$@"
