#!/usr/bin/env bash
# Proves that the README commands work on a fresh machine: a minimal Debian root of the release
# asked for (debootstrap --variant=minbase trixie or bookworm), made once and cached, is copied,
# this checkout is cloned into the copy and a command runs there through chroot, as root or as a
# normal user who may use sudo. Needs root, git and the network for apt; installs debootstrap
# when it is missing.
#
#   sudo scripts/fresh-root.sh [--release trixie|bookworm] [--user] [--keep] [COMMAND...]
#
# --release: Debian 13 (trixie, the default) or Debian 12 (bookworm). COMMAND (default: ./test)
# runs with bash in the clone. --user runs it as the user "player", whom the copy gives sudo
# without a password (sudo itself is installed into the copy first, as on a desktop machine).
# --keep leaves the copy in place and prints where it is. The clone holds the checkout's
# committed state (HEAD), not uncommitted changes; the commit, the release and the time taken
# are printed at the end.
#
# --make-root only makes the cached root.
# Environment: KROMBLIX_ROOTS, the directory of the cached roots (kromblix-RELEASE-minbase;
# delete one to make it anew) and of the copies (default /var/tmp); KROMBLIX_MIRROR, the Debian
# mirror for debootstrap (default: debootstrap's own).
set -euo pipefail

top=$(cd "$(dirname "$0")/.." && pwd)
roots=${KROMBLIX_ROOTS:-/var/tmp}
release=trixie
as_user=0
keep=0
while [ $# -gt 0 ]; do
  case "$1" in
    --release)
      release=${2:-}
      case "$release" in
        trixie | bookworm) ;;
        *) echo "fresh-root.sh: --release takes trixie (Debian 13) or bookworm (Debian 12)" >&2; exit 2 ;;
      esac
      shift 2 ;;
    --user) as_user=1; shift ;;
    --keep) keep=1; shift ;;
    --make-root) make_only=1; shift ;;
    -h|--help) sed -n '2,/^set -euo/p' "$0" | sed '$d; s/^# \{0,1\}//'; exit 0 ;;
    --) shift; break ;;
    -*) echo "fresh-root.sh: unknown option $1" >&2; exit 2 ;;
    *) break ;;
  esac
done
[ $# -gt 0 ] || set -- ./test
command_line="$*"

if [ "$(id -u)" -ne 0 ]; then
  echo "fresh-root.sh: needs root (debootstrap, chroot, mounts); run it with sudo" >&2
  exit 2
fi

base=$roots/kromblix-$release-minbase
if [ ! -x "$base/bin/bash" ]; then
  echo "== Making the minimal Debian $release root in $base (once)"
  if ! command -v debootstrap >/dev/null; then
    DEBIAN_FRONTEND=noninteractive apt-get update -qq
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends debootstrap
  fi
  mkdir -p "$roots"
  rm -rf "$base.partial"
  debootstrap --variant=minbase "$release" "$base.partial" ${KROMBLIX_MIRROR:+"$KROMBLIX_MIRROR"}
  mv "$base.partial" "$base"
fi
[ "${make_only:-0}" -eq 0 ] || exit 0

commit=$(git -C "$top" rev-parse --short HEAD)
copy=$(mktemp -d "$roots/kromblix-fresh-$release.XXXXXX")
mounted=()
cleanup() {
  local i
  for ((i = ${#mounted[@]} - 1; i >= 0; i--)); do umount -l "${mounted[i]}" 2>/dev/null || true; done
  if [ "$keep" -eq 1 ]; then echo "== The root stays in $copy"; else rm -rf "$copy"; fi
}
trap cleanup EXIT

echo "== Copying the root to $copy"
cp -a "$base/." "$copy/"
cp /etc/resolv.conf "$copy/etc/resolv.conf"
for m in proc sys dev dev/pts; do
  case "$m" in
    proc) mount -t proc proc "$copy/proc" ;;
    sys) mount -t sysfs sys "$copy/sys" ;;
    dev) mount --bind /dev "$copy/dev" ;;
    dev/pts) mount -t devpts -o newinstance,ptmxmode=0666 devpts "$copy/dev/pts" ;;
  esac
  mounted+=("$copy/$m")
done
mount -t tmpfs -o mode=1777 tmpfs "$copy/dev/shm" && mounted+=("$copy/dev/shm")

# The certificate authorities this host's administrator added (a proxy that inspects TLS, say)
# are the network's, not the machine's: the copy trusts them too, for npm, as the host does.
local_ca=()
if compgen -G '/usr/local/share/ca-certificates/*.crt' >/dev/null; then
  cat /usr/local/share/ca-certificates/*.crt >"$copy/etc/kromblix-network-ca.pem"
  local_ca=(NODE_EXTRA_CA_CERTS=/etc/kromblix-network-ca.pem)
fi
run_in_root() { chroot "$copy" /usr/bin/env -i PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
  LANG=C.UTF-8 "${local_ca[@]}" "$@"; }

if [ "$as_user" -eq 1 ]; then
  echo "== Adding the user player, with sudo"
  run_in_root sh -c 'DEBIAN_FRONTEND=noninteractive apt-get update -qq &&
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends sudo >/dev/null'
  run_in_root useradd -m -s /bin/bash player
  echo 'player ALL=(ALL) NOPASSWD: ALL' >"$copy/etc/sudoers.d/player"
  chmod 0440 "$copy/etc/sudoers.d/player"
  home=/home/player
else
  home=/root
fi

echo "== Cloning $top into $home/kromblix"
git clone -q --no-hardlinks "$top" "$copy$home/kromblix"
[ "$as_user" -eq 0 ] || run_in_root chown -R player:player "$home/kromblix"

echo "== Running: $command_line (as $([ "$as_user" -eq 1 ] && echo player || echo root))"
start=$(date +%s)
set +e
if [ "$as_user" -eq 1 ]; then
  run_in_root HOME="$home" USER=player /usr/sbin/runuser -u player -- \
    bash -c "cd $home/kromblix && $command_line"
else
  run_in_root HOME="$home" bash -c "cd $home/kromblix && $command_line"
fi
status=$?
set -e
echo "== Status $status after $(( $(date +%s) - start )) s: $command_line on Debian $(cat "$copy/etc/debian_version")" \
  "($release), as $([ "$as_user" -eq 1 ] && echo "player through sudo" || echo root), commit $commit"
exit "$status"
