#!/usr/bin/env bash
# Prints the Depends field of the Debian package for the game executable EXE, as built on this
# machine:
#
#   debian_depends.sh EXE [EXTRA...]
#
# dpkg-shlibdeps names the libraries EXE links, except SDL 1.2: Debian 12's SDL 1.2 packages
# declare `libsdl1.2debian`, which there is the original SDL 1.2 (apt would install it and the
# game would run on it, without sdl12-compat's scaling). SDL 1.2 is named instead by the packages
# that hold the library EXE really loads on this machine, found with ldd and dpkg -S: the file
# with the soname (Debian 12: libsdl1.2-compat-shim, which replaces the original) and the
# library it leads to (Debian 12: libsdl1.2-compat; Debian 13: both are libsdl1.2debian, built
# there from sdl12-compat). Each must come from the source package sdl12-compat, or this fails:
# a package built against the original SDL 1.2 is not made. EXTRA dependencies are added as
# given. Needs dpkg-dev (dpkg-shlibdeps).
set -euo pipefail
exe=$(realpath "$1")
shift

fail() { echo "debian_depends.sh: $*" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# dpkg-shlibdeps reads the package's debian/control.
mkdir "$work/debian"
printf 'Source: kromblix\n\nPackage: kromblix\nArchitecture: any\n' >"$work/debian/control"
shlibs=$(cd "$work" && dpkg-shlibdeps -O -e"$exe" 2>"$work/shlibdeps.err") ||
  fail "dpkg-shlibdeps: $(cat "$work/shlibdeps.err")"
shlibs=${shlibs#shlibs:Depends=}

depends=()
IFS=',' read -r -a clauses <<<"$shlibs"
for clause in "${clauses[@]}"; do
  clause=$(echo "$clause" | sed 's/^ *//; s/ *$//')
  case "$clause" in
    "" | *libsdl1.2* | *libSDL-1.2*) ;;  # SDL 1.2 itself: below
    *) depends+=("$clause") ;;
  esac
done

# SDL 1.2 as this machine's loader finds it for EXE.
sdl=$(ldd "$exe" | sed -n 's/^[[:space:]]*\(libSDL-1\.2\.so[^ ]*\) => \(\/[^ ]*\).*/\2/p' | head -n1)
[ -n "$sdl" ] || fail "$exe does not load SDL 1.2 (ldd: $(ldd "$exe" | tr '\n' ' '))"
# dpkg knows the files by their /usr path; the loader may name them through the /lib link.
soname_file="$(realpath "$(dirname "$sdl")")/$(basename "$sdl")"
named=""
for file in "$soname_file" "$(realpath "$sdl")"; do
  pkg=$(dpkg -S "$file" 2>/dev/null | head -n1 | cut -d: -f1) || true
  [ -n "$pkg" ] || fail "no Debian package holds $file, the SDL 1.2 the game loads"
  source=$(dpkg-query -W -f='${source:Package}' "$pkg")
  [ "$source" = sdl12-compat ] ||
    fail "$file, the SDL 1.2 the game loads, is from $pkg (source $source), not sdl12-compat: install libsdl1.2-compat-dev and build again"
  version=$(dpkg-query -W -f='${source:Upstream-Version}' "$pkg")
  [[ " $named " == *" $pkg "* ]] || depends+=("$pkg (>= $version)")
  named+=" $pkg"
done

depends+=("$@")
(IFS=','; echo "${depends[*]}" | sed 's/,/, /g')
