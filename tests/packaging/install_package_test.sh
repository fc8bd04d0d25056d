#!/usr/bin/env bash
# Installs the build into a throw-away DESTDIR and checks what a desktop and
# dpkg will see: the menu entry, the file types, the icons, the man pages,
# the .deb built from the same install rules, and the installed program
# starting its installed simulator with --demo and talking to it.
#   install_package_test.sh BUILD_DIR
set -euo pipefail

build=$(cd "$1" && pwd)
work=$(mktemp -d)
program_pid=""
cleanup() {
  [ -n "$program_pid" ] && kill -KILL "$program_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

fail() {
  echo "FAIL: $*" >&2
  exit 1
}
# A zombie still answers kill -0: the container's init may never reap it.
alive() { [ -e "/proc/$1/stat" ] && ! grep -q '^[0-9]* (.*) Z ' "/proc/$1/stat"; }

# Everything the program or a tool might write goes below the scratch folder.
export XDG_CONFIG_HOME="$work/config" XDG_STATE_HOME="$work/state" XDG_DATA_HOME="$work/data"
export XDG_RUNTIME_DIR="$work/run" XDG_CACHE_HOME="$work/cache"
mkdir -p "$XDG_CONFIG_HOME" "$XDG_STATE_HOME" "$XDG_DATA_HOME" "$XDG_RUNTIME_DIR" "$XDG_CACHE_HOME"
chmod 700 "$XDG_RUNTIME_DIR"

root="$work/root"
usr="$root/usr"
DESTDIR="$root" cmake --install "$build" --prefix /usr >/dev/null

# The same paths are checked in the tree and in the package.
files=(
  bin/ventrix bin/ventrix-unitsim bin/ventrix-release-port
  share/ventrix/manual_ventrix_2007_en.pdf share/ventrix/manual_ventrix_2007_cz.pdf
  share/applications/ventrix.desktop
  share/mime/packages/ventrix.xml
  share/icons/hicolor/scalable/apps/ventrix.svg
  share/icons/hicolor/48x48/apps/ventrix.png
  share/icons/hicolor/256x256/apps/ventrix.png
  share/man/man1/ventrix.1.gz share/man/man1/ventrix-unitsim.1.gz share/man/man1/ventrix-release-port.1.gz
)
for f in "${files[@]}"; do [ -s "$usr/$f" ] || fail "not installed: $f"; done
for p in ventrix ventrix-unitsim ventrix-release-port; do [ -x "$usr/bin/$p" ] || fail "not executable: bin/$p"; done

# --- the menu entry: hints count as faults too, a clean entry has none.
desktop="$usr/share/applications/ventrix.desktop"
report=$(desktop-file-validate "$desktop" 2>&1) || fail "desktop-file-validate: $report"
[ -z "$report" ] || fail "desktop-file-validate: $report"
grep -qx 'Exec=ventrix %f' "$desktop" || fail "Exec does not pass the file"
grep -qx 'Categories=Utility;Engineering;' "$desktop" || fail "wrong Categories"
grep -qx 'MimeType=application/x-ventrix-ign;application/x-ventrix-cem;application/x-ventrix-vxlog;' "$desktop" ||
  fail "wrong MimeType"
grep -qx 'Icon=ventrix' "$desktop" || fail "wrong Icon"

# --- the file types: the package is valid XML, the MIME database takes it,
# and a tune the installed program writes is recognised by its name and, renamed,
# by its first line.
xmllint --noout "$usr/share/mime/packages/ventrix.xml"
XDG_DATA_DIRS="$usr/share" update-mime-database "$usr/share/mime"
grep -qx '50:application/x-ventrix-ign:\*\.ign' "$usr/share/mime/globs2" || fail "no *.ign glob"
grep -qx '50:application/x-ventrix-cem:\*\.cem' "$usr/share/mime/globs2" || fail "no *.cem glob"
grep -qx '50:application/x-ventrix-vxlog:\*\.vxlog' "$usr/share/mime/globs2" || fail "no *.vxlog glob"
grep -qa '^\[[0-9]*:application/x-ventrix-ign\]' "$usr/share/mime/magic" || fail "no magic for the tune"
grep -qa '^\[[0-9]*:application/x-ventrix-vxlog\]' "$usr/share/mime/magic" || fail "no magic for the log"
"$usr/bin/ventrix" --write-defaults "$work/tunes" >/dev/null
tune=$(find "$work/tunes" -name '*.ign' | sort | head -n 1)
[ -n "$tune" ] || fail "--write-defaults wrote no tune"
[ "$(head -c 12 "$tune")" = "CORVALIS_KEY" ] || fail "a tune does not start with CORVALIS_KEY"
cp "$tune" "$work/renamed tune"
printf '\0\1\2\3' >"$work/set.cem"  # a monitor set is binary
# A log as the program writes it begins with its signature and format version.
printf 'VXLOG\r\n\032\001\000' >"$work/ride.vxlog"
cp "$work/ride.vxlog" "$work/renamed log"
if command -v gio >/dev/null; then
  for f in "$tune:application/x-ventrix-ign" "$work/renamed tune:application/x-ventrix-ign" \
    "$work/set.cem:application/x-ventrix-cem" "$work/ride.vxlog:application/x-ventrix-vxlog" \
    "$work/renamed log:application/x-ventrix-vxlog"; do
    type=$(XDG_DATA_DIRS="$usr/share:/usr/share" gio info -a standard::content-type "${f%:*}" |
      sed -n 's/^ *standard::content-type: //p')
    [ "$type" = "${f##*:}" ] || fail "${f%:*} is '$type', not ${f##*:}"
  done
else
  echo "gio not found: the file types were checked in the database only"
fi

# --- icons: the PNG sizes from their headers, the SVG well-formed.
png_size() { od -An -tu1 -j16 -N8 "$1" | awk '{print $1*16777216+$2*65536+$3*256+$4 "x" $5*16777216+$6*65536+$7*256+$8}'; }
for size in 48 256; do
  icon="$usr/share/icons/hicolor/${size}x${size}/apps/ventrix.png"
  [ "$(head -c 8 "$icon" | od -An -tx1 | tr -d ' \n')" = "89504e470d0a1a0a" ] || fail "$icon is not a PNG"
  [ "$(png_size "$icon")" = "${size}x${size}" ] || fail "$icon is $(png_size "$icon")"
done
xmllint --noout "$usr/share/icons/hicolor/scalable/apps/ventrix.svg"
grep -q '<svg ' "$usr/share/icons/hicolor/scalable/apps/ventrix.svg" || fail "the scalable icon is no SVG"

# --- man pages: each renders without a warning from groff.
for page in "$usr"/share/man/man1/*.1.gz; do
  name=$(basename "$page" .1.gz)
  out=$(MANWIDTH=80 man --warnings -l "$page" 2>"$work/man.err")
  [ ! -s "$work/man.err" ] || fail "man $name: $(cat "$work/man.err")"
  grep -q "^NAME" <<<"$out" || fail "man $name has no NAME"
  grep -q "^ *$name  *- " <<<"$out" || fail "man $name does not name $name"
done

# --- the Debian package, built apart from the build folder's own output.
(cd "$build" && cpack -G DEB -B "$work/deb" >"$work/cpack.log") || { cat "$work/cpack.log"; fail "cpack"; }
deb=$(find "$work/deb" -maxdepth 1 -name 'ventrix_*.deb' | head -n 1)
[ -n "$deb" ] || fail "cpack made no ventrix_*.deb"
info=$(dpkg-deb -I "$deb")
grep -q '^ Package: ventrix$' <<<"$info" || fail "no Package: ventrix"
depends=$(sed -n 's/^ Depends: //p' <<<"$info")
for lib in libc6 libstdc++6 libqt6widgets6; do
  grep -q "\b$lib\b" <<<"$depends" || fail "Depends lacks $lib: $depends"
done
for script in preinst postinst prerm postrm; do
  ! grep -qw "$script" <<<"$info" || fail "the package carries a $script"
done
contents=$(dpkg-deb -c "$deb" | awk '{print $6}')
for f in "${files[@]}"; do grep -qx "\./usr/$f" <<<"$contents" || fail "the package lacks /usr/$f"; done

# --- the installed program with its installed simulator, no display.
frames="$work/frames.log"
(
  unset VENTRIX_UNITSIM DISPLAY WAYLAND_DISPLAY
  export QT_QPA_PLATFORM=offscreen VENTRIX_UNITSIM_OPTIONS="--log $frames"
  exec "$usr/bin/ventrix" --demo 2>"$work/ventrix.err"
) &
program_pid=$!
# A conversation: the identify frame answered, then the live polling going on.
for _ in $(seq 100); do
  [ -f "$frames" ] && [ "$(grep -c ' RX ' "$frames")" -ge 3 ] && grep -q ' TX ' "$frames" && break
  alive "$program_pid" || break
  sleep 0.1
done
grep -q '^ventrix: simulated unit on /dev/pts/[0-9]*$' "$work/ventrix.err" ||
  fail "no simulated unit: $(cat "$work/ventrix.err")"
[ -f "$frames" ] && [ "$(grep -c ' RX ' "$frames")" -ge 3 ] && grep -q ' TX ' "$frames" ||
  fail "the program does not talk to its simulator"
sim_pid=$(cat /proc/"$program_pid"/task/*/children 2>/dev/null | tr -s ' \n' ' ' | awk '{print $1}')
[ -n "$sim_pid" ] || fail "the simulator is not the program's child"
[ "$(readlink "/proc/$sim_pid/exe")" = "$usr/bin/ventrix-unitsim" ] ||
  fail "the simulator is $(readlink "/proc/$sim_pid/exe"), not the installed one"

kill -TERM "$program_pid"
status=0
for _ in $(seq 50); do alive "$program_pid" || break; sleep 0.1; done
alive "$program_pid" && fail "the program did not end within 5 s of SIGTERM"
wait "$program_pid" || status=$?
program_pid=""
[ "$status" -eq 0 ] || fail "the program ended with status $status on SIGTERM"
for _ in $(seq 20); do alive "$sim_pid" || break; sleep 0.1; done
! alive "$sim_pid" || fail "the simulator outlived the program"

echo "installed tree, file types, icons, man pages, package and --demo: all good"
