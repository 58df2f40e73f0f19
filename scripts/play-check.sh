#!/usr/bin/env bash
# Runs ./play as a player would, but headless (SDL's dummy drivers): it installs what it needs,
# builds and starts the game; five seconds after the game has started it is closed (SIGTERM,
# which SDL turns into a window close), and the game must end with status 0.
# For machines without a display, such as the fresh root of scripts/fresh-root.sh.
set -uo pipefail
cd "$(dirname "$0")/.."
export SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy
log=$(mktemp)
./play >"$log" 2>&1 &
pid=$!
# ./play execs the game when the build is done.
while kill -0 "$pid" 2>/dev/null; do
  case $(readlink "/proc/$pid/exe") in */kromblix) break ;; esac
  sleep 1
done
sleep 5
kill -TERM "$pid" 2>/dev/null
status=0
wait "$pid" || status=$?
tail -n 5 "$log"
rm -f "$log"
echo "== ./play: the game ended with status $status"
exit "$status"
