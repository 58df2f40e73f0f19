#!/usr/bin/env bash
# Makes the golden pictures of tests/golden anew from their replays, after the art or the drawing
# changed on purpose. Builds kromblix-replay and the game data in BUILD_DIR (default: build), runs
# each replay of tests/golden/goldens.txt in a scratch directory of the generated media and the
# test caves, and writes the chosen frame over the golden picture. Review them before committing:
#   git diff --stat tests/golden
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$top/build}
cmake -S "$top" -B "$build" >/dev/null
cmake --build "$build" -j"$(nproc)" --target kromblix-replay kromblix_data

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
mkdir "$scratch/run"
cp "$build"/run/*.bmp "$build"/run/*.wav "$build"/run/*.m "$scratch/run/"
cp "$top"/tests/replays/caves/level*.txt "$scratch/run/"

while read -r name replay frames _; do
  case "$name" in ''|'#'*) continue ;; esac
  shots="$scratch/shots-${name%.png}"
  "$build/tools/kromblix-replay" -C "$scratch/run" -o "$scratch/record.txt" \
    --shots "$frames" --shot-dir "$shots" "$top/tests/replays/$replay"
  count=$(find "$shots" -type f -name '*.png' | wc -l)
  if [ "$count" -ne 1 ]; then
    echo "renew-goldens: $name: \"$frames\" of $replay gives $count pictures, not one" >&2
    exit 1
  fi
  cp "$shots"/*.png "$top/tests/golden/$name"
  echo "renewed tests/golden/$name from $replay ($frames)"
done < "$top/tests/golden/goldens.txt"
