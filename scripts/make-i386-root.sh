#!/usr/bin/env bash
# The 32-bit rig's ground: an i386 Debian 12 root with 32-bit Wine, run through qemu-i386
# (the kernel here refuses 32-bit programs). Made once per machine under the cache folder and
# reused; the folder's name is a hash of this script, so a changed recipe makes a new root.
# Also registers qemu-i386 for i386 programs (lost at every boot), so call it before each
# 32-bit rig session: with the root and the registration in place it returns at once.
#
#   make-i386-root.sh          prints the root's folder
# Needs root or sudo, and Debian's package mirror as the machine's apt sources name it.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib/i386-root.sh"

log() { echo "== $*" >&2; }

if [ "$(id -u)" -ne 0 ]; then
  exec sudo --preserve-env=RKX_I386_CACHE "$0" "$@"
fi

# The machine's own Debian mirror: the URIs of the source that serves "bookworm" itself (the
# comments above it name a snapshot that is not reachable from here).
debian_mirror() {
  local file
  for file in /etc/apt/sources.list.d/*.sources; do
    [ -f "$file" ] || continue
    awk 'BEGIN { RS = ""; FS = "\n" }
         { uris = ""; suites = ""
           for (i = 1; i <= NF; i++) {
             if ($i ~ /^URIs:/) { uris = $i; sub(/^URIs:[ \t]*/, "", uris) }
             if ($i ~ /^Suites:/) { suites = " " $i " " }
           }
           if (uris != "" && suites ~ /[ \t]bookworm[ \t]/) { split(uris, u, " "); print u[1]; exit } }' "$file"
  done
  [ -f /etc/apt/sources.list ] &&
    awk '$1 == "deb" && $3 == "bookworm" { print ($2 ~ /^\[/ ? $3 : $2); exit }' /etc/apt/sources.list
  true
}

# qemu-i386 for i386 ELF programs. F opens the interpreter now, so it also serves programs
# inside the chroot, where its path does not exist.
register_binfmt() {
  local entry=/proc/sys/fs/binfmt_misc/$RKX_I386_BINFMT
  [ -e /proc/sys/fs/binfmt_misc/register ] ||
    mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc
  if [ -e "$entry" ]; then
    grep -qx "interpreter $RKX_I386_QEMU" "$entry" && grep -q '^enabled' "$entry" && return 0
    echo -1 > "$entry"
  fi
  local magic='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
  local mask='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'
  echo ":$RKX_I386_BINFMT:M::$magic:$mask:$RKX_I386_QEMU:F" > /proc/sys/fs/binfmt_misc/register
}

# qemu 10 from Debian 12's backports: bookworm's own 7.2 runs Wine far too slowly. Only that one
# package is fetched, through a private source list; the machine's apt set-up stays as it is.
fetch_qemu() {
  local mirror=$1 work=$2/qemu
  local -a apt_options=(
    -o "Dir::Etc::SourceList=$work/sources.list" -o Dir::Etc::SourceParts=/nonexistent
    -o "Dir::State::Lists=$work/lists" -o "Dir::Cache=$work/cache"
    -o APT::Sandbox::User=root -qq)
  mkdir -p "$work/lists/partial" "$work/cache/archives/partial"
  echo "deb [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] $mirror bookworm-backports main" \
    > "$work/sources.list"
  apt-get "${apt_options[@]}" update
  (cd "$work" && apt-get "${apt_options[@]}" download qemu-user)
  dpkg-deb -x "$work"/qemu-user_*.deb "$work/unpacked"
  install -m 0755 "$work/unpacked/usr/bin/qemu-i386" "$2/qemu-i386"
  rm -rf "$work"
}

# The X libraries Wine loads at run time; the host's 64-bit Wine has the same set.
root_packages=(wine wine32 libxrender1 libxrandr2 libxi6 libxcursor1 libxcomposite1 libxfixes3
               libxinerama1 libxxf86vm1 libgnutls30 libdbus-1-3)

make_root() {
  local mirror partial=$RKX_I386_HOME.partial started=$SECONDS
  mirror=$(debian_mirror)
  [ -n "$mirror" ] || { echo "no Debian bookworm source found in the apt configuration" >&2; exit 1; }
  command -v debootstrap > /dev/null ||
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends debootstrap > /dev/null
  rm -rf "$partial"
  mkdir -p "$partial"
  log "32-bit rig: qemu-i386 from Debian 12 backports"
  fetch_qemu "$mirror" "$partial"
  # The registration points at the finished folder's qemu, so the partial root is made with
  # a registration of its own copy first.
  RKX_I386_QEMU=$partial/qemu-i386 register_binfmt
  log "32-bit rig: i386 Debian 12 root (debootstrap, a few minutes)"
  # A private mount namespace: whatever debootstrap and apt mount inside the root goes with it.
  unshare --mount --propagation private -- bash -euo pipefail -c '
    tree=$1 mirror=$2; shift 2
    debootstrap --arch=i386 --variant=minbase bookworm "$tree" "$mirror" > "$tree.debootstrap.log" 2>&1 ||
      { tail -30 "$tree.debootstrap.log"; exit 1; }
    cp /etc/resolv.conf "$tree/etc/resolv.conf"
    mount -t proc proc "$tree/proc"
    chroot "$tree" env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin DEBIAN_FRONTEND=noninteractive \
      sh -c "apt-get -qq update && apt-get install -y -qq --no-install-recommends $* && apt-get clean" \
      > "$tree.apt.log" 2>&1 || { tail -30 "$tree.apt.log"; exit 1; }
    rm -rf "$tree"/var/lib/apt/lists/*
  ' make-root "$partial/root" "$mirror" "${root_packages[@]}"
  echo "made in $((SECONDS - started)) s from $mirror" > "$partial/made"
  rm -rf "$RKX_I386_HOME"
  mv "$partial" "$RKX_I386_HOME"
  log "32-bit rig: root ready in $((SECONDS - started)) s"
}

mkdir -p "$RKX_I386_CACHE"
# One maker at a time: parallel sessions on a fresh machine wait for the first one's root.
exec 9> "$RKX_I386_CACHE/lock"
flock 9
[ -f "$RKX_I386_HOME/made" ] || make_root
register_binfmt
echo "$RKX_I386_ROOT"
