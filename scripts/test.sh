#!/usr/bin/env bash
# Installs what is missing, builds Ventrix once and runs every test tier
# headless: logic, end-to-end on pseudo-terminals, widgets (offscreen), the
# desktop tests (Xvfb with a window manager) and the installed package.
#
#   scripts/test.sh          the fast command: one build, every test
#   scripts/test.sh --full   also clang-tidy over src/, every tier again under
#                            the address and undefined-behaviour sanitizers,
#                            and a short fuzz run of each reader of outside bytes
set -euo pipefail
cd "$(dirname "$0")/.."

full=0
case "${1:-}" in
  "") ;;
  --full) full=1 ;;
  *) echo "usage: scripts/test.sh [--full]" >&2; exit 2 ;;
esac

scripts/install-deps.sh

# Tests write only below a throw-away home of their own.
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
export XDG_CONFIG_HOME="$scratch/config" XDG_STATE_HOME="$scratch/state" XDG_RUNTIME_DIR="$scratch/run"
mkdir -p "$XDG_CONFIG_HOME" "$XDG_STATE_HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
export QT_QPA_PLATFORM=offscreen
export LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp"

launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)

cmake -S . -B build "${launcher[@]}" >/dev/null
cmake --build build -j2
ctest --test-dir build --output-on-failure -j2

[ $full -eq 1 ] || exit 0

# Static analysis of the program's own sources with the checks chosen in
# .clang-tidy: every finding is an error and fails the script.
run-clang-tidy-16 -p build -j2 -quiet "^$PWD/src/"

# Every tier again under the sanitizers, the widgets included (Qt's own
# leaks are suppressed in tests/lsan.supp).
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DVENTRIX_BENCHMARKS=OFF -DVENTRIX_SANITIZE=ON "${launcher[@]}" >/dev/null
cmake --build build-asan -j2
ctest --test-dir build-asan -L 'logic|e2e|widget' --output-on-failure -j2

# A short libFuzzer run of each reader of outside bytes (clang, same sanitizers).
cmake -S . -B build-fuzz -DCMAKE_CXX_COMPILER=clang++-16 -DVENTRIX_FUZZ=ON -DVENTRIX_WITH_QT=OFF \
      -DVENTRIX_BENCHMARKS=OFF -DVENTRIX_FUZZ_SECONDS=20 "${launcher[@]}" >/dev/null
cmake --build build-fuzz -j2 --target ventrix_fuzz
ctest --test-dir build-fuzz -L fuzz --output-on-failure -j2
