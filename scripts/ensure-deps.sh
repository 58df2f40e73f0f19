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
# The window tests drive a real X server; the web build and its tests need emscripten, node
# and chromium.
for option in "$@"; do
  case "$option" in
    --with-window-tools) packages+=(xvfb xdotool x11-apps imagemagick python3) ;;
    --with-web) packages+=(emscripten nodejs chromium) ;;
    *) echo "ensure-deps.sh: unknown option $option" >&2; exit 2 ;;
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
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
