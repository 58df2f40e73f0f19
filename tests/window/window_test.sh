#!/usr/bin/env bash
# The real game in a real X window: Xvfb, keys pressed with xdotool, pictures of the window taken
# with xwd, sound written by SDL's disk audio driver. Run by ctest (label "window") as
#   window_test.sh RUN_DIR REPLAY_TOOL
# Session 1, from the run directory: the title's peach frame, the status bar's bands and a wall's
# brick and mortar after SPACE, all lives given up with ESC, the title again, ESC and status 0; the
# music is not silence; the session, recorded with KROMBLIX_RECORD, plays back in kromblix-replay.
# Session 2, in a copy whose music is silence: the sound of a death is not silence; SIGTERM ends
# the game with status 143.
# Session 3: the X server ends under the running game, which then ends within a second, saying so.
set -euo pipefail
run_dir=$(cd "$1" && pwd)
replay_tool=$2

fail() { echo "FAIL: $*" >&2; exit 1; }
note() { echo "-- $*"; }

for tool in Xvfb xdotool xwd convert python3 timeout; do
  command -v "$tool" >/dev/null || fail "$tool is missing: scripts/ensure-deps.sh --with-window-tools installs it"
done
[ -x "$run_dir/kromblix" ] || fail "no game in $run_dir"
[ -f "$run_dir/level0.txt" ] || fail "no level0.txt in $run_dir: the kromblix_data target copies the caves"

work=$(mktemp -d)
xvfb_pid=""
game_pid=""
cleanup() {
  [ -n "$game_pid" ] && kill "$game_pid" 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# An X server on a display of its own.
source "$(dirname "$0")/../support/xvfb.sh"
start_xvfb "$work" || exit 1
note "Xvfb on $DISPLAY"

# pixel FILE X Y: the colour of one pixel as rrggbb.
pixel() {
  convert "$1" -crop "1x1+$2+$3" +repage -depth 8 txt:- | tail -n1 | sed -E 's/.*#([0-9A-Fa-f]{6}).*/\1/' | tr 'A-F' 'a-f'
}

# column FILE X Y0 Y1: the colours of a column of pixels, one a line.
column() {
  convert "$1" -crop "1x$(($4 - $3 + 1))+$2+$3" +repage -depth 8 txt:- | tail -n +2 |
    sed -E 's/.*#([0-9A-Fa-f]{6}).*/\1/' | tr 'A-F' 'a-f'
}

shot() { xwd -id "$wid" -silent | convert xwd:- "$work/$1.png"; }

# wait_for NAME X Y COLOUR: takes pictures until the pixel shows the colour (15 s at most).
wait_for() {
  for _ in $(seq 75); do
    shot "$1"
    [ "$(pixel "$work/$1.png" "$2" "$3")" = "$4" ] && return 0
    kill -0 "$game_pid" 2>/dev/null || fail "the game ended while waiting for $1"
    sleep 0.2
  done
  fail "$1: pixel ($2, $3) is $(pixel "$work/$1.png" "$2" "$3"), not $4"
}

# start_game DIR [VAR=value...]: starts the game in DIR, on the data there, and focuses its window.
start_game() {
  local dir=$1
  shift
  (cd "$dir" && exec env KROMBLIX_DATA="$dir" XDG_DATA_HOME="$work/xdg" "$@" "$run_dir/kromblix" >"$work/game.out" 2>"$work/game.err") &
  game_pid=$!
  # A search can fail with BadWindow when a window goes away under it (SDL makes and drops one
  # while it starts): try again.
  wid=""
  for _ in 1 2 3; do
    wid=$(timeout 20 xdotool search --sync --name '^KROMBLIX' 2>/dev/null | head -n1) || true
    [ -n "$wid" ] && break
  done
  [ -n "$wid" ] || fail "no game window: $(cat "$work/game.err")"
  xdotool windowfocus --sync "$wid"
}

# end_game: waits for the game to end (10 s at most) and sets status.
end_game() {
  for _ in $(seq 100); do kill -0 "$game_pid" 2>/dev/null || break; sleep 0.1; done
  kill -0 "$game_pid" 2>/dev/null && fail "the game did not end"
  status=0
  wait "$game_pid" || status=$?
  game_pid=""
}

# loudest RAW FROM TO: the largest absolute sample of 16-bit audio between two byte offsets.
loudest() {
  python3 - "$@" <<'PY'
import array, sys
path, start, end = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
with open(path, 'rb') as f:
    f.seek(start - start % 4)
    data = f.read(max(0, end - start) // 4 * 4)
samples = array.array('h', data)
print(max((abs(s) for s in samples), default=0))
PY
}

size() { stat -c %s "$1" 2>/dev/null || echo 0; }

PEACH=ffcfa6

# Session 1: the run directory as a player has it.
note "session 1: the game from $run_dir"
start_game "$run_dir" SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$work/music.raw" KROMBLIX_RECORD="$work/session.txt"

wait_for title 79 300 $PEACH
# The frame around the title picture: one pixel wide, x 79 and x 719 from y 99 to 579.
for x in 79 719; do
  bad=$(column "$work/title.png" $x 99 579 | grep -vc "^$PEACH\$" || true)
  [ "$bad" -eq 0 ] || fail "title frame at x $x: $bad pixels are not $PEACH"
done
note "title frame ok"
title_audio=$(size "$work/music.raw")

xdotool key space
wait_for game 430 644 621600
# The status bar of cave 1: pairs of rows from y 643, blue rising by 8 from 44, over the band colour.
expected=$(python3 -c 'print("\n".join(f"{44 + 8 * k:06x}\n621600" for k in range(27)))')
[ "$(column "$work/game.png" 430 643 696)" = "$expected" ] || fail "status bar bands at x 430: $(column "$work/game.png" 430 643 696 | tr '\n' ' ')"
# The cave's corner is wall: brick at (2, 5), mortar at (12, 5) of the cell.
[ "$(pixel "$work/game.png" 2 5)" = cccccc ] || fail "wall brick at (2, 5) is $(pixel "$work/game.png" 2 5)"
[ "$(pixel "$work/game.png" 12 5)" = 222222 ] || fail "wall mortar at (12, 5) is $(pixel "$work/game.png" 12 5)"
note "status bar and wall ok"

# Lives given up with ESC, one at a time, until the game-over screen (its white lines) or the
# title shows: a cave that kills by itself may leave fewer than ten to give up, and one ESC more
# on the title would quit.
over=""
for _ in $(seq 14); do
  xdotool key Escape
  sleep 0.6
  shot giving-up
  if [ "$(pixel "$work/giving-up.png" 1 180)$(pixel "$work/giving-up.png" 798 321)" = ffffffffffff ] ||
     [ "$(pixel "$work/giving-up.png" 79 300)" = $PEACH ]; then
    over=yes
    break
  fi
done
[ -n "$over" ] || fail "no game-over screen after 14 times ESC"
wait_for title-again 79 300 $PEACH
xdotool key Escape
end_game
[ "$status" -eq 0 ] || fail "the game ended with status $status after ESC on the title: $(cat "$work/game.err")"
note "ESC on the title: status 0"

[ "$title_audio" -gt 44100 ] || fail "only $title_audio bytes of sound while the title showed"
music=$(loudest "$work/music.raw" 0 "$title_audio")
[ "$music" -gt 64 ] || fail "the title music is silence (loudest sample $music)"
note "music ok (loudest sample $music)"

# The recording plays back: ten deaths, the game-over screen, and the ESC on the title ends it.
"$replay_tool" -C "$run_dir" -o "$work/playback.txt" "$work/session.txt" || fail "the recording does not play back to status 0"
deaths=$(grep -c '^frame .* death$' "$work/playback.txt" || true)
[ "$deaths" -eq 90 ] || fail "the playback shows $deaths death frames, not 90: $(cat "$work/session.txt")"
grep -q '^frame .* game_over$' "$work/playback.txt" || fail "the playback shows no game-over screen"
last_esc=$(grep ' down ESC$' "$work/session.txt" | tail -n1 | cut -d' ' -f1)
[ "$(tail -n2 "$work/playback.txt" | tr '\n' ' ')" = "exit 0 tick $((last_esc + 100)) " ] ||
  fail "the playback does not end with the fade of ESC on the title: $(tail -n2 "$work/playback.txt" | tr '\n' ' ')"
note "recording plays back"

# Session 2: music files of silence, so what sounds is the game's effects.
note "session 2: sound effects"
mkdir "$work/quiet"
cp -R "$run_dir"/. "$work/quiet/"  # the sets of caves in caves/ too
python3 - "$work/quiet" <<'PY'
import sys, wave
for name in ("1.m", "2.m", "3.m"):
    with wave.open(f"{sys.argv[1]}/{name}", "wb") as w:
        w.setnchannels(2); w.setsampwidth(2); w.setframerate(44100)
        w.writeframes(bytes(4 * 44100))
PY
start_game "$work/quiet" SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$work/effects.raw"
wait_for quiet-title 79 300 $PEACH
sleep 0.3
before=$(size "$work/effects.raw")
xdotool key space
wait_for quiet-game 430 644 621600
xdotool key Escape
sleep 1
kill -TERM "$game_pid"
end_game
[ "$status" -eq 143 ] || fail "the game ended with status $status on SIGTERM, not 143"
quiet=$(loudest "$work/effects.raw" 0 "$before")
[ "$quiet" -eq 0 ] || fail "the silent music is not silence (loudest sample $quiet)"
effects=$(loudest "$work/effects.raw" "$before" "$(size "$work/effects.raw")")
[ "$effects" -gt 64 ] || fail "the death made no sound (loudest sample $effects)"
note "effects ok (loudest sample $effects)"

# Session 3: the display goes away under the game.
note "session 3: the X server ends"
start_game "$run_dir"
wait_for lost-title 79 300 $PEACH
kill "$xvfb_pid"
wait "$xvfb_pid" 2>/dev/null || true
xvfb_pid=""
# Within a second; the check allows two for a machine busy with other work.
for _ in $(seq 20); do kill -0 "$game_pid" 2>/dev/null || break; sleep 0.1; done
kill -0 "$game_pid" 2>/dev/null && fail "the game still runs two seconds after its display ended"
end_game
[ "$status" -ne 0 ] || fail "the game ended with status 0 when its display was lost"
grep -q "connection to the display was lost" "$work/game.err" || fail "no message on the lost display: $(cat "$work/game.err")"
note "lost display: status $status"
echo "window test passed"
