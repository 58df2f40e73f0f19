#!/usr/bin/env bash
# The Debian package as a player gets it. Run by ctest (label "package") as
#   package_test.sh BUILD_DIR VERSION
# Builds the .deb with CPack from the build tree and checks it without installing it: its name
# and control fields (every SDL 1.2 package it depends on is built from sdl12-compat, so apt can
# never choose the original SDL 1.2 for it), its files (dpkg -x), desktop-file-validate,
# appstreamcli validate --no-net and lintian.
#
# Then it installs it as a player does, with `apt-get install ./kromblix_*.deb` (as root, or
# through sudo without a password; otherwise that part is skipped, status 77), and from an
# unrelated directory:
# - starts the installed game headless (SDL's dummy drivers) and closes it: status 0, no message;
# - starts its desktop entry's command in a real X server (Xvfb, sound dummy), sees the title
#   and the window's icon, checks in /proc/PID/maps that the SDL 1.2 it runs on is sdl12-compat's
#   (the package that holds the mapped file is built from sdl12-compat), presses ESC and expects
#   status 0;
# - starts `kromblix --scale 2` on a 2560 by 1600 screen and expects a 1600 by 1400 window whose
#   pixels are sharp 2 by 2 squares.
# Afterwards it purges the package and whatever the install brought with it, so the machine is
# left as it was. A machine that has kromblix installed already is left alone (skipped, 77).
set -euo pipefail
build=$(cd "$1" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
version=$2

fail() { echo "FAIL: $*" >&2; exit 1; }
note() { echo "-- [${SECONDS} s] $*"; }

for tool in cpack dpkg dpkg-deb dpkg-query apt-get apt-cache lintian desktop-file-validate appstreamcli Xvfb \
  xdotool xwd xprop convert identify compare flock timeout; do
  command -v "$tool" >/dev/null || fail "$tool is missing: scripts/ensure-deps.sh --with-window-tools installs it"
done

work=$(mktemp -d)
chmod 755 "$work"  # apt reads the package as its own user
xvfb_pid=""
game_pid=""
installed=""  # what this test installed, purged at the end
as_root=()
# stop PID: ends a process we started, forcibly when it has not ended after 2 s.
stop() {
  kill "$1" 2>/dev/null || return 0
  for _ in $(seq 20); do kill -0 "$1" 2>/dev/null || return 0; sleep 0.1; done
  kill -KILL "$1" 2>/dev/null || true
}
apt_get() {
  "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get -y -q -o DPkg::Lock::Timeout=300 "$@"
}
cleanup() {
  [ -z "$game_pid" ] || stop "$game_pid"
  [ -z "$xvfb_pid" ] || stop "$xvfb_pid"
  if [ -n "$installed" ]; then
    note "purging what the test installed: $installed"
    # shellcheck disable=SC2086
    apt_get purge $installed >"$work/purge.log" 2>&1 || { echo "FAIL: apt-get purge $installed:" >&2; cat "$work/purge.log" >&2; }
  fi
  rm -rf "$work"
}
trap cleanup EXIT

# ---- the package file ----
arch=$(dpkg --print-architecture)
cpack --config "$build/CPackConfig.cmake" -B "$work/pkg" >"$work/cpack.log" 2>&1 || fail "cpack: $(cat "$work/cpack.log")"
debs=("$work"/pkg/kromblix_*_"$arch".deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || fail "not one kromblix_*_$arch.deb: $(ls "$work/pkg")"
deb=${debs[0]}
deb_version=$(dpkg-deb -f "$deb" Version)
# The release it is for is in the version and so in the file's name (1.1+deb13 on Debian 13).
[[ "$deb_version" == "$version" || "$deb_version" == "$version+"* ]] || fail "Version is $deb_version, not $version(+release)"
[ "$(basename "$deb")" = "kromblix_${deb_version}_$arch.deb" ] || fail "file name $(basename "$deb") for $deb_version"
[ "$(dpkg-deb -f "$deb" Section)" = games ] || fail "Section is $(dpkg-deb -f "$deb" Section)"
depends=$(dpkg-deb -f "$deb" Depends)
for p in libsdl2-2.0-0 libsdl-mixer1.2 libc6 libstdc++6; do
  [[ ",$depends," == *", $p"[\ ,]* || ",$depends," == *",$p"[\ ,]* ]] || fail "Depends lacks $p: $depends"
done
note "$(basename "$deb"): Depends $depends"

# source_of PACKAGE: the source package of every version apt or dpkg knows, one a line.
source_of() {
  { apt-cache show "$1" 2>/dev/null | awk -v p="$1" '
      /^Package: / { if (pkg != "") print (src == "" ? pkg : src); pkg = $2; src = "" }
      /^Source: / { src = $2 }
      END { if (pkg != "") print (src == "" ? pkg : src) }'
    dpkg-query -W -f='${source:Package}\n' "$1" 2>/dev/null || true; } | sort -u
}
# Every alternative of every clause that names SDL 1.2 must be sdl12-compat's: apt would pick the
# first it can, and a fresh machine has none of them yet.
sdl_clauses=0
IFS=',' read -r -a clauses <<<"$depends"
for clause in "${clauses[@]}"; do
  [[ "$clause" == *libsdl1.2* ]] || continue
  sdl_clauses=$((sdl_clauses + 1))
  IFS='|' read -r -a alternatives <<<"$clause"
  for alternative in "${alternatives[@]}"; do
    p=$(echo "$alternative" | awk '{print $1}')
    sources=$(source_of "$p" | tr '\n' ' ')
    [ "$sources" = "sdl12-compat " ] || fail "Depends names $p, whose source is '${sources% }', not sdl12-compat: $depends"
  done
done
[ "$sdl_clauses" -gt 0 ] || fail "Depends names no SDL 1.2 package: $depends"
note "every SDL 1.2 package it depends on is built from sdl12-compat"

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
note "desktop-file-validate, appstreamcli, lintian: clean"

# ---- installed with apt ----
if [ "$(id -u)" -ne 0 ]; then
  if command -v sudo >/dev/null && sudo -n true 2>/dev/null; then
    as_root=(sudo -n)
  else
    echo "SKIPPED: installing the package needs root or sudo without a password"
    exit 77
  fi
fi
# One package test at a time installs on a machine.
exec 9>/tmp/kromblix-package-test.lock
flock -w 240 9 || fail "another package test holds /tmp/kromblix-package-test.lock"
if [ "$(dpkg-query -W -f='${Status}' kromblix 2>/dev/null || true)" = "install ok installed" ]; then
  echo "SKIPPED: kromblix $(dpkg-query -W -f='${Version}' kromblix) is installed on this machine;" \
    "the test installs and purges its own, so remove it first (apt purge kromblix)"
  exit 77
fi
# What apt will add besides the game: purged again at the end (a developer's machine usually
# has all of it from building the game). None of it may be the original SDL 1.2.
apt_get install -s "$deb" >"$work/plan.txt" 2>&1 || fail "apt-get install -s: $(cat "$work/plan.txt")"
new=$(sed -n 's/^Inst \([^ ]*\) .*/\1/p' "$work/plan.txt" | grep -vx kromblix | tr '\n' ' ' || true)
for p in $new; do
  [ "$(source_of "$p")" != libsdl1.2 ] || fail "apt would install $p, the original SDL 1.2"
done
installed="kromblix $new"
apt_get install --no-install-recommends "$deb" >"$work/install.log" 2>&1 ||
  fail "apt-get install $(basename "$deb"): $(cat "$work/install.log")"
[ "$(dpkg-query -W -f='${Version}' kromblix)" = "$deb_version" ] || fail "apt did not install $deb_version"
note "installed with apt-get install ./$(basename "$deb")${new:+, bringing $new}"

mkdir "$work/elsewhere"
cd "$work/elsewhere"
game=/usr/games/kromblix
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

# find_window: the game's window once it has its name and icon. SDL makes and drops a window
# while it starts, and sets the icon just after it names the window it keeps: look again until
# a window with the game's name has the icon too.
find_window() {
  local w
  for _ in $(seq 100); do
    for w in $(xdotool search --name '^KROMBLIX' 2>/dev/null); do
      xprop -id "$w" _NET_WM_ICON 2>/dev/null | grep -aq 'Icon (64 x 64)' && { echo "$w"; return 0; }
    done
    sleep 0.2
  done
  return 1
}
# quit_with_escape WID: ESC on the title ends the game with status 0.
quit_with_escape() {
  xdotool windowfocus --sync "$1"
  xdotool key Escape
  for _ in $(seq 100); do kill -0 "$game_pid" 2>/dev/null || break; sleep 0.1; done
  kill -0 "$game_pid" 2>/dev/null && fail "the game did not end after ESC on the title"
  status=0
  wait "$game_pid" || status=$?
  game_pid=""
  [ "$status" -eq 0 ] || fail "ESC on the title ended the game with $status: $(cat "$work/err.txt")"
}

# In a window, started as the desktop entry starts it.
source "$here/../support/xvfb.sh"
start_xvfb "$work" || exit 1
exec_line=$(sed -n 's/^Exec=//p' /usr/share/applications/kromblix.desktop)
(export PATH="/usr/games:$PATH" SDL_AUDIODRIVER=dummy XDG_DATA_HOME="$work/xdg"
  exec $exec_line >"$work/out.txt" 2>"$work/err.txt") &
game_pid=$!
wid=$(find_window) || fail "no game window with a 64 by 64 icon: $(cat "$work/err.txt")"
[ "$(xprop -id "$wid" WM_NAME)" = "WM_NAME(STRING) = \"KROMBLIX v$version\"" ] || fail "caption: $(xprop -id "$wid" WM_NAME)"
seen=""
for _ in $(seq 75); do
  xwd -id "$wid" -silent | convert xwd:- "$work/title.png"
  # The peach frame around the title picture (a 1024 by 768 screen holds the picture once).
  [ "$(convert "$work/title.png" -crop 1x1+79+300 +repage -depth 8 txt:- | tail -n1 | grep -o '#[0-9A-F]\{6\}')" = "#FFCFA6" ] &&
    { seen=yes; break; }
  sleep 0.2
done
[ -n "$seen" ] || fail "the title never showed"
# The SDL 1.2 the running game has mapped, and the package (and its source) that holds it.
sdl_file=$(awk '$6 ~ /libSDL-1\.2\.so/ { print $6; exit }' "/proc/$game_pid/maps")
[ -n "$sdl_file" ] || fail "the game has no SDL 1.2 mapped"
sdl_pkg=$(dpkg -S "$sdl_file" 2>/dev/null | head -n1 | cut -d: -f1) || true
[ -n "$sdl_pkg" ] || sdl_pkg=$(dpkg -S "$(realpath "$sdl_file")" 2>/dev/null | head -n1 | cut -d: -f1) || true
[ -n "$sdl_pkg" ] || fail "no package holds $sdl_file, the game's SDL 1.2"
sdl_source=$(dpkg-query -W -f='${source:Package}' "$sdl_pkg")
[ "$sdl_source" = sdl12-compat ] || fail "the game runs on $sdl_file from $sdl_pkg (source $sdl_source), not sdl12-compat"
grep -q 'libSDL2-2\.0\.so' "/proc/$game_pid/maps" || fail "sdl12-compat runs without SDL 2 mapped"
quit_with_escape "$wid"
note "desktop command: title, icon, SDL 1.2 from $sdl_pkg (source $sdl_source) over SDL 2, ESC, status 0"

# --scale 2: a window twice the picture's size, on a screen that holds it.
stop "$xvfb_pid"
xvfb_pid=""
start_xvfb "$work" 2560x1600 || exit 1
(export SDL_AUDIODRIVER=dummy XDG_DATA_HOME="$work/xdg"; exec "$game" --scale 2 >"$work/out.txt" 2>"$work/err.txt") &
game_pid=$!
wid=$(find_window) || fail "--scale 2: no game window: $(cat "$work/err.txt")"
size=""
for _ in $(seq 25); do
  size=$(xdotool getwindowgeometry --shell "$wid" | sed -n 's/^\(WIDTH\|HEIGHT\)=//p' | paste -sd x)
  [ "$size" = 1600x1400 ] && break
  sleep 0.2
done
[ "$size" = 1600x1400 ] || fail "--scale 2 gave a $size window, not 1600x1400"
sharp=""
for _ in $(seq 25); do
  window_is_sharp "$work" "$wid" 2>"$work/sharp.txt" && { sharp=yes; break; }
  sleep 0.2
done
[ -n "$sharp" ] || fail "--scale 2 did not show sharp pixels: $(cat "$work/sharp.txt")"
quit_with_escape "$wid"
note "--scale 2: a 1600x1400 window with sharp pixels"

echo "package test passed"
