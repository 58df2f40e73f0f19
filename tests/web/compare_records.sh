#!/usr/bin/env bash
# The replay runner built for WebAssembly, run under node, against the native one: for every
# end-to-end replay (tests/replays, on the tests' own caves) and every cave solution
# (data/solutions, as the solution tests set up their caves), both runners must exit alike and
# write the same frame record, byte for byte.
# usage: compare_records.sh NATIVE_RUNNER WEB_RUNNER.js RUN_DIR SOURCE_DIR
set -euo pipefail
native=$1 web=$2 run_dir=$3 src=$4
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

# A run directory of the generated media and the caves given as "FILE:NAME" pairs.
make_dir() {
    local dir=$1; shift
    mkdir -p "$dir"
    cp "$run_dir"/*.bmp "$run_dir"/*.wav "$run_dir"/*.m "$dir"/
    for pair in "$@"; do cp "${pair%%:*}" "$dir/${pair##*:}"; done
}

# Plays one replay with both runners; echoes a line and returns 1 when they differ.
compare() {
    local name=$1 dir=$2 replay=$3 native_status=0 web_status=0
    # Side by side: the native run takes far less time than the node one.
    "$native" -C "$dir" -o "$scratch/$name.native" "$replay" >/dev/null 2>"$scratch/$name.native.err" &
    local native_pid=$!
    node "$web" -C "$dir" -o "$scratch/$name.web" "$replay" >/dev/null 2>"$scratch/$name.web.err" || web_status=$?
    wait "$native_pid" || native_status=$?
    if [ "$native_status" != "$web_status" ]; then
        echo "DIFFERENT $name: exit status $native_status natively, $web_status under node"
        sed 's/^\(.\{300\}\).*/\1.../' "$scratch/$name.web.err" | tail -5
        return 1
    fi
    if ! cmp -s "$scratch/$name.native" "$scratch/$name.web"; then
        echo "DIFFERENT $name: the records differ"
        diff "$scratch/$name.native" "$scratch/$name.web" | head -20
        return 1
    fi
    echo "same $name ($(grep -c '^frame ' "$scratch/$name.native") frames, exit $native_status)"
}

failed=0 compared=0
caves=()
for cave in "$src"/tests/replays/caves/level*.txt; do caves+=("$cave:$(basename "$cave")"); done
make_dir "$scratch/e2e" "${caves[@]}"
for replay in "$src"/tests/replays/*.txt; do
    compared=$((compared + 1))
    compare "e2e-$(basename "$replay" .txt)" "$scratch/e2e" "$replay" || failed=$((failed + 1))
done

count=$(ls "$src"/data/level*.txt | wc -l)
all=()
for ((n = 0; n < count; n++)); do
    make_dir "$scratch/level$n" "$src/data/level$n.txt:level0.txt" "$src/data/level$(((n + 1) % count)).txt:level1.txt"
    compared=$((compared + 1))
    compare "solution-level$n" "$scratch/level$n" "$src/data/solutions/level$n.replay" || failed=$((failed + 1))
    all+=("$src/data/level$n.txt:level$n.txt")
done
make_dir "$scratch/all" "${all[@]}"
compared=$((compared + 1))
compare "solution-all" "$scratch/all" "$src/data/solutions/all.replay" || failed=$((failed + 1))

echo "$((compared - failed)) of $compared records equal"
[ "$failed" -eq 0 ]
