# Sourced by the tests that start an X server. start_xvfb WORK_DIR [WxH] starts Xvfb on a display
# of its own (a screen of 1024x768 unless WxH says otherwise), sets xvfb_pid and exports DISPLAY.
#
# The display number is one with neither a lock file in /tmp nor an X socket in the abstract
# socket namespace (/proc/net/unix): a chroot, such as scripts/fresh-root.sh makes, shares that
# namespace with its host, so a number free in the chroot's /tmp alone could reach the host's X
# server. Two tests choosing the same number at once is settled by Xvfb's lock: the loser ends
# and the next number is tried.
start_xvfb() {
  local work=$1 size=${2:-1024x768} n
  for n in $(seq 20 99); do
    [ -e "/tmp/.X$n-lock" ] && continue
    grep -q "@/tmp/.X11-unix/X$n\$" /proc/net/unix 2>/dev/null && continue
    : >"$work/display"
    Xvfb ":$n" -displayfd 3 -screen 0 "${size}x24" -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
    xvfb_pid=$!
    for _ in $(seq 100); do
      [ -s "$work/display" ] && { export DISPLAY=":$n"; return 0; }
      kill -0 "$xvfb_pid" 2>/dev/null || break
      sleep 0.1
    done
    kill "$xvfb_pid" 2>/dev/null
    wait "$xvfb_pid" 2>/dev/null
    xvfb_pid=""
  done
  echo "FAIL: Xvfb did not start: $(cat "$work/xvfb.log")" >&2
  return 1
}

# window_is_sharp WORK_DIR WINDOW: whether the window shows a picture (not a blank window) at
# twice its size with every pixel a sharp 2 by 2 square, scaled without smoothing. Needs xwd and
# ImageMagick.
window_is_sharp() {
  local work=$1 wid=$2
  xwd -id "$wid" -silent | convert xwd:- "$work/sharp.png" || return 1
  [ "$(identify -format %k "$work/sharp.png")" -ge 8 ] || { echo "the window shows no picture yet" >&2; return 1; }
  convert "$work/sharp.png" -sample 50% -sample 200% "$work/squares.png" || return 1
  local differing
  differing=$(compare -metric AE "$work/sharp.png" "$work/squares.png" null: 2>&1) || true
  [ "$differing" = 0 ] || { echo "$differing pixels are not in sharp squares" >&2; return 1; }
}
