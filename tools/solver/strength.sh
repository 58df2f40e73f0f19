#!/bin/sh
# The solver's strength figure (HACKING.md, "The solver's strength"): kromblix-solve on every
# shipped cave and on 20 random caves (kromblix-makecave seeds 1 to 20), each with a time limit,
# one after another. Prints one line per cave: the answer, the wall-clock and CPU seconds (the
# search and the 16 runs through the game) and the peak memory, then how many were proved.
#
#   tools/solver/strength.sh [BUILD_DIR [SECONDS [OUT_DIR [shipped|random]]]]
#   defaults: build 120 /tmp/kromblix-strength, both halves
set -eu
build=${1:-build}
seconds=${2:-120}
out=${3:-/tmp/kromblix-strength}
which=${4:-all}
here=$(cd "$(dirname "$0")/../.." && pwd)
mkdir -p "$out/random"
"$build/tools/kromblix-makecave" 1 20 "$out/random"
proved=0
total=0
report() {  # name, cave
    t0=$(date +%s.%N)
    status=0
    /usr/bin/time -f "%U %S %M" -o "$out/time.txt" \
        "$build/tools/kromblix-solve" "$2" --seconds "$seconds" --data "$build/run" -o "$out/$1" >"$out/$1.out" 2>&1 || status=$?
    t1=$(date +%s.%N)
    set -- "$1" "$(tail -n 1 "$out/$1.out")" "$(echo "$t1 - $t0" | bc)" $(tail -n 1 "$out/time.txt")
    printf '%-10s %6.1f s wall %6.1f s cpu %5d MB  %s\n' "$1" "$3" "$(echo "$4 + $5" | bc)" $(($6 / 1024)) "$2"
    total=$((total + 1))
    [ $status -eq 0 ] && proved=$((proved + 1))
    return 0
}
echo "load average at the start: $(cut -d' ' -f1-3 /proc/loadavg)"
if [ "$which" != random ]; then
    for n in $(seq 0 19); do report "level$n" "$here/data/level$n.txt"; done
    echo "shipped caves proved on 16 of 16 sequences: $proved of $total"
fi
proved=0
total=0
if [ "$which" != shipped ]; then
    for n in $(seq 1 20); do report "random$n" "$out/random/random$n.txt"; done
    echo "random caves proved on 16 of 16 sequences: $proved of $total"
fi
echo "load average at the end: $(cut -d' ' -f1-3 /proc/loadavg)"
