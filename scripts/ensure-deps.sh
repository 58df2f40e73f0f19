#!/usr/bin/env bash
# Installs the Debian packages KROMBLIX needs to build, run and test, only when one is missing.
set -euo pipefail

packages=(
  g++ cmake make pkg-config
  libsdl1.2-compat-dev libsdl-mixer1.2-dev
  libgtest-dev libbenchmark-dev
  libfreetype-dev fonts-dejavu-core
  libvorbis-dev libogg-dev libpng-dev
)
# --with-window-tools: the window tests drive a real X server.
# --with-fuzz: clang with libFuzzer and its sanitizers, for the fuzz targets (HACKING.md).
for option in "$@"; do
  case "$option" in
    --with-window-tools) packages+=(xvfb xdotool x11-apps imagemagick python3) ;;
    --with-fuzz) packages+=(clang libclang-rt-dev) ;;
    *) echo "usage: ensure-deps.sh [--with-window-tools] [--with-fuzz]" >&2; exit 2 ;;
  esac
done

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [ "$status" = "install ok installed" ] || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
