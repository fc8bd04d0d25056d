#!/usr/bin/env bash
# Runs one command on a desktop of its own: a fresh Xvfb display with the
# openbox window manager, Qt on its xcb platform. The display and the window
# manager end with the command; the command's exit status is returned.
#
#   tests/support/desktop-session.sh [--locale de_DE.UTF-8] COMMAND [ARGS...]
set -uo pipefail

locale=""
if [ "${1:-}" = "--locale" ]; then locale=$2; shift 2; fi
[ $# -ge 1 ] || { echo "usage: $0 [--locale L] COMMAND [ARGS...]" >&2; exit 2; }

for tool in Xvfb openbox; do
  command -v "$tool" >/dev/null || { echo "$tool is missing (scripts/install-deps.sh installs it)" >&2; exit 1; }
done

work=$(mktemp -d)
cleanup() {
  [ -n "${wm_pid:-}" ] && kill "$wm_pid" 2>/dev/null
  [ -n "${x_pid:-}" ] && kill "$x_pid" 2>/dev/null
  wait 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

# Xvfb picks a free display and writes its number to fd 3 once it listens.
exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 1920x1200x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
x_pid=$!
exec 3>&-
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.05; done
[ -s "$work/display" ] || { echo "Xvfb did not start:" >&2; cat "$work/xvfb.log" >&2; exit 1; }
export DISPLAY=":$(head -n1 "$work/display")"

# openbox with its defaults; it owns the root window once it manages.
openbox --sm-disable >"$work/openbox.log" 2>&1 &
wm_pid=$!
for _ in $(seq 100); do
  xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
  sleep 0.05
done
xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' ||
  { echo "openbox did not start:" >&2; cat "$work/openbox.log" >&2; exit 1; }

export QT_QPA_PLATFORM=xcb
unset QT_QPA_PLATFORMTHEME
if [ -n "$locale" ]; then export LANG="$locale" LC_ALL="$locale"; fi

"$@"
