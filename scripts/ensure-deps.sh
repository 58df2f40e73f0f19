#!/usr/bin/env bash
# Installs the Debian packages KROMBLIX needs, only when one is missing: as root directly, as
# anyone else through sudo. Without options: what building and playing needs (./play). With
# --with-window-tools: also what the test suite reads or runs (./test): GoogleTest, Google
# Benchmark, the X server and tools of the window test, and the package test's tools.
set -euo pipefail

packages=(
  g++ cmake make pkg-config
  libsdl1.2-compat-dev libsdl-mixer1.2-dev
  libfreetype-dev libvorbis-dev libogg-dev libpng-dev
  # The generator draws the font strip and the title with the bold DejaVu faces; the condensed
  # one is in fonts-dejavu-extra.
  fonts-dejavu-core fonts-dejavu-extra
)
# --with-window-tools: the test suite's own tools: GoogleTest and Google Benchmark, a real X
#   server for the window tests, and what the package test builds and checks the .deb with
#   (CPack reads ELF files with file and computes the dependencies with dpkg-shlibdeps).
# --with-fuzz: clang with libFuzzer and its sanitizers, for the fuzz targets (HACKING.md).
# --with-web: the web build and its tests: emscripten, node and chromium; zip for ./web --bundle.
for option in "$@"; do
  case "$option" in
    --with-window-tools)
      packages+=(libgtest-dev libbenchmark-dev xvfb xdotool x11-apps x11-utils imagemagick python3
        file dpkg-dev lintian desktop-file-utils appstream openbox) ;;
    --with-fuzz) packages+=(clang libclang-rt-dev) ;;
    --with-web) packages+=(emscripten nodejs chromium zip) ;;
    *) echo "usage: ensure-deps.sh [--with-window-tools] [--with-fuzz] [--with-web]" >&2; exit 2 ;;
  esac
done

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [ "$status" = "install ok installed" ] || missing+=("$p")
done
# npm installs the browser test's driver; some builds of nodejs carry it, Debian's does not.
if [[ " ${packages[*]} " == *" nodejs "* ]] && ! command -v npm >/dev/null; then missing+=(npm); fi
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
  command -v sudo >/dev/null || { echo "ensure-deps.sh: run it as root, or install sudo, to install: ${missing[*]}" >&2; exit 1; }
  sudo_cmd=(sudo)
fi
"${sudo_cmd[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -qq
"${sudo_cmd[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
