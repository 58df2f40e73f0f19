#!/usr/bin/env bash
# Builds everything (game, tools, tests) in every build type a packager uses, with GCC and with
# clang, warnings as errors; reports each result. Not part of ./test: it takes a while.
#
#   scripts/build-matrix.sh [OUT_DIR] [COMPILER...]     (default: /var/tmp/kromblix-matrix, g++ clang++)
#
# KROMBLIX_MATRIX_TYPES="Release None" builds only those types.
#
# The types: Debug, Release, RelWithDebInfo, MinSizeRel, and None with Debian's usual flags
# from dpkg-buildflags (hardening=+all), as a Debian package build gives them.
set -uo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-/var/tmp/kromblix-matrix}
shift || true
compilers=("$@")
[ ${#compilers[@]} -gt 0 ] || compilers=(g++ clang++)
jobs=$(nproc)
failed=0
mkdir -p "$out"
for cxx in "${compilers[@]}"; do
  for type in ${KROMBLIX_MATRIX_TYPES:-Debug Release RelWithDebInfo MinSizeRel None}; do
    dir="$out/$cxx-$type"
    flags=()
    if [ "$type" = None ]; then
      export DEB_BUILD_MAINT_OPTIONS=hardening=+all
      flags=(-DCMAKE_CXX_FLAGS="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)"
        -DCMAKE_EXE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)")
      unset DEB_BUILD_MAINT_OPTIONS
    fi
    if cmake -S "$top" -B "$dir" -DCMAKE_CXX_COMPILER="$cxx" -DCMAKE_BUILD_TYPE="$type" -DKROMBLIX_WERROR=ON \
         "${flags[@]}" >"$dir.log" 2>&1 && cmake --build "$dir" -j"$jobs" >>"$dir.log" 2>&1; then
      echo "$cxx $type: ok ($(grep -c 'warning:' "$dir.log") warnings)"
    else
      echo "$cxx $type: FAILED, see $dir.log"
      failed=1
    fi
  done
done
exit $failed
