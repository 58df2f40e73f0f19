#!/usr/bin/env bash
# Checks that every source file includes what it uses, and nothing it does not, with clang-tidy's
# include cleaner (misc-include-cleaner, clang-tidy 17 and later: Debian 13's clang-tidy 19 has
# it, Debian 12's 14 does not). Not part of ./test; the Debian 13 fresh-root check runs it.
#
#   scripts/include-check.sh [BUILD_DIR]      (default: build-includes)
#
# Configures BUILD_DIR for its compile commands (the tests included; nothing is built), then runs
# the check on every .cpp of the native build and on every header beside them. SDL, GoogleTest and Google Benchmark are used through their documented headers
# (<SDL.h>, <gtest/gtest.h>, <benchmark/benchmark.h>, <png.h>, FreeType's macros), not the inner
# ones that declare each name.
# Exits non-zero, naming file, line and header, when a file lacks or has a needless include.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-$top/build-includes}
"$top/scripts/ensure-deps.sh" --with-window-tools --with-fuzz --with-include-check

tidy=""
for t in clang-tidy clang-tidy-19 clang-tidy-18 clang-tidy-17; do
  command -v "$t" >/dev/null && "$t" --list-checks -checks='-*,misc-include-cleaner' 2>/dev/null |
    grep -q misc-include-cleaner && { tidy=$t; break; }
done
[ -n "$tidy" ] || { echo "include-check.sh: this clang-tidy has no misc-include-cleaner (it needs 17 or later)" >&2; exit 2; }

cmake -S "$top" -B "$out" -DKROMBLIX_TESTS=ON -DCMAKE_EXPORT_COMPILE_COMMANDS=ON >/dev/null

# The libraries' inner headers, and the C library's POSIX headers, whose names the cleaner maps
# to glibc's choice of header (WIFEXITED to <stdlib.h>, poll to <sys/poll.h>, struct rusage to
# <bits/types/struct_rusage.h>, say) rather than POSIX's.
ignored='SDL.*\.h;begin_code\.h;close_code\.h;gtest/.*;gmock/.*;benchmark/.*;ft2build\.h;freetype/.*;pngconf\.h'
ignored+=';stdlib\.h;stdio\.h;signal\.h;time\.h;sys/types\.h;sys/wait\.h;sys/resource\.h'
ignored+=';sys/poll\.h;bits/.*'
checks='-*,misc-include-cleaner'
config="{CheckOptions: {misc-include-cleaner.IgnoreHeaders: '$ignored'}}"
sources=$(cd "$top" && python3 -c '
import json, os, sys
top = sys.argv[1]
for entry in json.load(open(os.path.join(sys.argv[2], "compile_commands.json"))):
    path = os.path.relpath(os.path.join(entry["directory"], entry["file"]), top)
    if not path.startswith(("..", "build")):
        print(path)' "$top" "$out" | sort -u)
dirs=$(echo "$sources" | xargs -n1 dirname | sort -u)
headers=$(cd "$top" && for d in $dirs; do ls "$d"/*.h 2>/dev/null || true; done | sort -u)

log=$(mktemp)
trap 'rm -f "$log"' EXIT
status=0
# The .cpp files with their own compile commands, two at a time.
(cd "$top" && echo "$sources" | xargs -P"$(nproc)" -n4 "$tidy" -p "$out" --quiet --checks="$checks" \
  --config="$config" --warnings-as-errors='*') >"$log" 2>&1 || status=1
# The headers alone, with the project's include path and the libraries' flags.
flags=(-x c++ -std=c++20 -I"$top" $(pkg-config --cflags sdl SDL_mixer))
(cd "$top" && st=0 && for h in $headers; do
  "$tidy" --quiet --checks="$checks" --config="$config" --warnings-as-errors='*' "$h" -- "${flags[@]}" || st=1
done && exit $st) >>"$log" 2>&1 || status=1
grep -E 'warning:|error:' "$log" | grep -v '^[0-9]* warnings\? generated' | sort -u || true
n_files=$(( $(echo "$sources" | wc -l) + $(echo "$headers" | wc -l) ))
if [ "$status" -eq 0 ]; then
  echo "include-check.sh: $n_files files include what they use ($tidy, $("$tidy" --version | grep -o 'version [0-9.]*'))"
else
  echo "include-check.sh: FAILED (above; the whole output was $(wc -l <"$log") lines)" >&2
fi
exit "$status"
