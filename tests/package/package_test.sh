#!/usr/bin/env bash
# The Debian package as a player gets it. Run by ctest (label "package") as
#   package_test.sh BUILD_DIR VERSION
# Builds the .deb with CPack from the build tree, checks its control fields, unpacks it with
# dpkg -x into a scratch root and, from an unrelated directory:
# - starts the installed game headless (SDL's dummy drivers) and closes it: status 0, no message;
# - starts its desktop entry's command in a real X server (Xvfb, sound dummy), sees the title
#   and the window's icon, presses ESC and expects status 0.
# Then desktop-file-validate, appstreamcli validate --no-net and lintian check what it installs.
set -euo pipefail
build=$(cd "$1" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
version=$2

fail() { echo "FAIL: $*" >&2; exit 1; }
note() { echo "-- $*"; }

for tool in cpack dpkg dpkg-deb dpkg-shlibdeps file lintian desktop-file-validate appstreamcli Xvfb xdotool \
  xwd xprop convert timeout; do
  command -v "$tool" >/dev/null || fail "$tool is missing: scripts/ensure-deps.sh --with-window-tools installs it"
done

work=$(mktemp -d)
xvfb_pid=""
game_pid=""
# stop PID: ends a process we started, forcibly when it has not ended after 2 s.
stop() {
  kill "$1" 2>/dev/null || return 0
  for _ in $(seq 20); do kill -0 "$1" 2>/dev/null || return 0; sleep 0.1; done
  kill -KILL "$1" 2>/dev/null || true
}
cleanup() {
  [ -z "$game_pid" ] || stop "$game_pid"
  [ -z "$xvfb_pid" ] || stop "$xvfb_pid"
  rm -rf "$work"
}
trap cleanup EXIT

# The package.
arch=$(dpkg --print-architecture)
deb="$work/pkg/kromblix_${version}_${arch}.deb"
cpack --config "$build/CPackConfig.cmake" -B "$work/pkg" >"$work/cpack.log" 2>&1 || fail "cpack: $(cat "$work/cpack.log")"
[ -f "$deb" ] || fail "no $(basename "$deb"): $(ls "$work/pkg")"
[ "$(dpkg-deb -f "$deb" Section)" = games ] || fail "Section is $(dpkg-deb -f "$deb" Section)"
depends=$(dpkg-deb -f "$deb" Depends)
for p in libsdl2-2.0-0 libsdl-mixer1.2 libc6 libstdc++6; do
  [[ ",$depends," == *", $p"[\ ,]* || ",$depends," == *",$p"[\ ,]* ]] || fail "Depends lacks $p: $depends"
done
note "$(basename "$deb"): Depends $depends"

root="$work/root"
dpkg -x "$deb" "$root"
for f in usr/games/kromblix usr/share/games/kromblix/1.m usr/share/games/kromblix/icon.bmp \
  usr/share/games/kromblix/level0.txt usr/share/games/kromblix/level19.txt usr/share/applications/kromblix.desktop \
  usr/share/man/man6/kromblix.6.gz usr/share/doc/kromblix/LICENSE usr/share/doc/kromblix/copyright \
  usr/share/icons/hicolor/{32x32,64x64,128x128,256x256}/apps/kromblix.png; do
  [ -f "$root/$f" ] || fail "the package lacks /$f"
done
metainfo=$(ls "$root"/usr/share/metainfo/*.metainfo.xml)
for size in 32 64 128 256; do
  [ "$(identify -format %wx%h "$root/usr/share/icons/hicolor/${size}x${size}/apps/kromblix.png")" = "${size}x${size}" ] ||
    fail "the ${size}x${size} icon is not $size pixels square"
done
note "layout ok"

mkdir "$work/elsewhere"
cd "$work/elsewhere"
game="$root/usr/games/kromblix"
[ "$("$game" --version)" = "kromblix $version" ] || fail "--version says $("$game" --version)"

# Headless: the data is found from the executable's place; stopped (SIGTERM, status 143) after 1.5 s.
XDG_DATA_HOME="$work/xdg" SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy "$game" >"$work/out.txt" 2>"$work/err.txt" &
game_pid=$!
sleep 1.5
kill -TERM "$game_pid"
status=0
wait "$game_pid" || status=$?
game_pid=""
[ "$status" -eq 143 ] || fail "headless run ended with $status: $(cat "$work/out.txt" "$work/err.txt")"
# A first game has no best scores yet, and says so; nothing else is said.
grep -v '^Warning: best scores ".*" do not exist yet; starting with none$' "$work/out.txt" >"$work/said.txt" || true
[ ! -s "$work/said.txt" ] && [ ! -s "$work/err.txt" ] || fail "headless run said: $(cat "$work/out.txt" "$work/err.txt")"
note "headless start and close: status 0"

# In a window, started as the desktop entry starts it.
source "$here/../support/xvfb.sh"
start_xvfb "$work" || exit 1
exec_line=$(sed -n 's/^Exec=//p' "$root/usr/share/applications/kromblix.desktop")
(export PATH="$root/usr/games:$PATH" SDL_AUDIODRIVER=dummy; exec $exec_line >"$work/out.txt" 2>"$work/err.txt") &
game_pid=$!
# SDL makes and drops a window while it starts, and sets the icon just after it names the window
# it keeps: look again until a window with the game's name has the icon too.
wid=""
for _ in $(seq 100); do
  for w in $(xdotool search --name '^KROMBLIX' 2>/dev/null); do
    xprop -id "$w" _NET_WM_ICON 2>/dev/null | grep -aq 'Icon (64 x 64)' && { wid=$w; break 2; }
  done
  sleep 0.2
done
[ -n "$wid" ] || fail "no game window with a 64 by 64 icon: $(cat "$work/err.txt")"
[ "$(xprop -id "$wid" WM_NAME)" = "WM_NAME(STRING) = \"KROMBLIX v$version\"" ] || fail "caption: $(xprop -id "$wid" WM_NAME)"
xdotool windowfocus --sync "$wid"
seen=""
for _ in $(seq 75); do
  xwd -id "$wid" -silent | convert xwd:- "$work/title.png"
  # The peach frame around the title picture.
  [ "$(convert "$work/title.png" -crop 1x1+79+300 +repage -depth 8 txt:- | tail -n1 | grep -o '#[0-9A-F]\{6\}')" = "#FFCFA6" ] &&
    { seen=yes; break; }
  sleep 0.2
done
[ -n "$seen" ] || fail "the title never showed"
xdotool key Escape
for _ in $(seq 100); do kill -0 "$game_pid" 2>/dev/null || break; sleep 0.1; done
kill -0 "$game_pid" 2>/dev/null && fail "the game did not end after ESC on the title"
status=0
wait "$game_pid" || status=$?
game_pid=""
[ "$status" -eq 0 ] || fail "ESC on the title ended the game with $status: $(cat "$work/err.txt")"
note "desktop command: title, icon, ESC, status 0"

desktop-file-validate "$root/usr/share/applications/kromblix.desktop" || fail "desktop-file-validate"
appstreamcli validate --no-net "$metainfo" || fail "appstreamcli validate"
# lintian fails on errors and warnings. Accepted, as they are by design:
#   package-contains-documentation-outside-usr-share-doc: the caves are text files (level*.txt)
#     the game reads from its data directory;
#   extra-license-file: LICENSE goes with the docs beside the copyright file Debian looks for.
lintian --fail-on error,warning \
  --suppress-tags package-contains-documentation-outside-usr-share-doc,extra-license-file "$deb" \
  >"$work/lintian.txt" 2>&1 || fail "lintian: $(cat "$work/lintian.txt")"
cat "$work/lintian.txt"
echo "package test passed"
