#!/usr/bin/env bash
# The cave editor in a real X window: the mouse must hit the cell under it at a window scale of 2
# and in fullscreen, where sdl12-compat scales the 800 by 700 picture. Run by ctest (label
# "window") as
#   editor_window_test.sh RUN_DIR REPLAY_TOOL
# Each session clicks the diamond's swatch and two cells with xdotool, saves with S and leaves with
# ESC, recorded with KROMBLIX_RECORD; the saved cave must hold the diamonds in those cells, and the
# recording, played by kromblix-replay --edit, must save the same file.
set -euo pipefail
run_dir=$(cd "$1" && pwd)
replay_tool=$2

fail() { echo "FAIL: $*" >&2; exit 1; }
note() { echo "-- $*"; }

for tool in Xvfb xdotool xwd convert compare openbox python3 timeout; do
  command -v "$tool" >/dev/null || fail "$tool is missing: scripts/ensure-deps.sh --with-window-tools installs it"
done
[ -x "$run_dir/kromblix" ] || fail "no game in $run_dir"

work=$(mktemp -d)
xvfb_pid=""
wm_pid=""
game_pid=""
cleanup() {
  [ -n "$game_pid" ] && kill "$game_pid" 2>/dev/null || true
  [ -n "$wm_pid" ] && kill "$wm_pid" 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
source "$(dirname "$0")/../support/xvfb.sh"

# start_editor CAVE [OPTION...]: the editor on CAVE, recorded into CAVE.replay, its window focused.
start_editor() {
  local cave=$1
  shift
  (cd "$work" && exec env KROMBLIX_DATA="$run_dir" XDG_DATA_HOME="$work/xdg" SDL_AUDIODRIVER=dummy \
    KROMBLIX_RECORD="$cave.replay" "$run_dir/kromblix" --edit "$cave" "$@" >"$work/game.out" 2>"$work/game.err") &
  game_pid=$!
  wid=""
  for _ in 1 2 3; do
    wid=$(timeout 20 xdotool search --sync --name '^KROMBLIX' 2>/dev/null | head -n1) || true
    [ -n "$wid" ] && break
  done
  [ -n "$wid" ] || fail "no editor window: $(cat "$work/game.err")"
  sleep 1
}

end_editor() {
  for _ in $(seq 100); do kill -0 "$game_pid" 2>/dev/null || break; sleep 0.1; done
  kill -0 "$game_pid" 2>/dev/null && fail "the editor did not end"
  local status=0
  wait "$game_pid" || status=$?
  game_pid=""
  [ "$status" -eq 0 ] || fail "the editor ended with status $status: $(cat "$work/game.err")"
}

# click X Y: a left click at a point of the screen (the root window).
click() {
  xdotool mousemove --sync "$1" "$2"
  sleep 0.2
  xdotool click 1
  sleep 0.3
}

# to_screen PX PY: where a point of the 800 by 700 picture lies on the screen, from the window's
# place and size (the picture scaled to fit it, its shape kept, centred).
to_screen() {
  local geometry
  geometry=$(xwininfo -id "$wid")
  python3 - "$1" "$2" "$geometry" <<'PY'
import re, sys
px, py, info = float(sys.argv[1]), float(sys.argv[2]), sys.argv[3]
get = lambda name: int(re.search(name + r':\s*(-?\d+)', info).group(1))
x, y, w, h = get('Absolute upper-left X'), get('Absolute upper-left Y'), get('Width'), get('Height')
scale = min(w / 800, h / 700)
print(int(x + (w - 800 * scale) / 2 + px * scale), int(y + (h - 700 * scale) / 2 + py * scale))
PY
}

# edit_session CAVE: the diamond's swatch, cells (5, 5) and (20, 15), S, ESC; then checks the cave.
edit_session() {
  local cave=$1
  click $(to_screen 112 656)
  click $(to_screen 176 176)
  click $(to_screen 656 496)
  xdotool key s
  sleep 0.3
  xdotool key Escape
  end_editor
  python3 - "$cave" <<'PY' || fail "$(cat "$cave" 2>/dev/null)"
import sys
rows = open(sys.argv[1]).read().split('\n')
assert len(rows) == 21 and rows[20] == '', rows
diamonds = [(x, y) for y in range(20) for x in range(25) if rows[y][x] == '*']
assert diamonds == [(5, 5), (20, 15)], diamonds
PY
  # The recording edits a fresh copy the same way.
  local again="$work/again-$(basename "$cave")"
  "$replay_tool" -C "$run_dir" -o "$work/record.txt" --edit "$again" "$cave.replay" >/dev/null 2>"$work/replay.err" ||
    fail "the recording did not play: $(cat "$work/replay.err")"
  cmp -s "$cave" "$again" || fail "the recording of $cave saved another cave: $(cat "$again")"
  grep -q "mouse down" "$cave.replay" || fail "no mouse event in the recording"
}

start_xvfb "$work" 1800x1500 || exit 1
note "session 1: scale 2 on $DISPLAY"
start_editor "$work/scaled.txt" --scale 2
[ "$(xwininfo -id "$wid" | sed -n 's/.*Width: //p')" = 1600 ] || fail "the window is not twice as wide: $(xwininfo -id "$wid")"
window_is_sharp "$work" "$wid" || fail "the window at scale 2 is smoothed, not sharp"
xdotool windowfocus --sync "$wid"
edit_session "$work/scaled.txt"
note "scale 2 ok"
kill "$xvfb_pid"; wait "$xvfb_pid" 2>/dev/null || true; xvfb_pid=""

# Fullscreen needs a window manager.
start_xvfb "$work" 1920x1080 || exit 1
openbox >/dev/null 2>&1 &
wm_pid=$!
sleep 1
note "session 2: fullscreen on $DISPLAY"
start_editor "$work/full.txt" --scale 1
xdotool windowactivate --sync "$wid"
xdotool key F11
for _ in $(seq 50); do
  [ "$(xwininfo -id "$wid" | sed -n 's/.*Width: //p')" = 1920 ] && break
  sleep 0.1
done
[ "$(xwininfo -id "$wid" | sed -n 's/.*Width: //p')" = 1920 ] || fail "no fullscreen: $(xwininfo -id "$wid")"
sleep 0.5
edit_session "$work/full.txt"
note "fullscreen ok"
echo "PASS"
