# Where the 32-bit rig's i386 root lives, and how a command runs inside it. Sourced.
# scripts/make-i386-root.sh makes the root; its folder is named by a hash of that script.
RKX_I386_CACHE=${RKX_I386_CACHE:-/var/cache/rkx-i386-root}
RKX_I386_HOME=$RKX_I386_CACHE/$(sha256sum "$(dirname "${BASH_SOURCE[0]}")/../make-i386-root.sh" | cut -c1-16)
RKX_I386_ROOT=$RKX_I386_HOME/root
RKX_I386_QEMU=$RKX_I386_HOME/qemu-i386
RKX_I386_BINFMT=rkx-qemu-i386

# i386_root_run FOLDER... -- COMMAND...
# Runs COMMAND inside the root, in the current folder, with the host's FOLDERs mounted at their
# own paths (so paths mean the same on both sides), and proc, sys, dev and the X server's
# sockets. The mounts live in a private mount namespace: nothing is left mounted behind, and
# parallel sessions with other folders do not see each other's. Processes that outlive the
# command (wineserver, services) keep the namespace.
i386_root_run() {
  local -a folders=()
  while [ $# -gt 0 ] && [ "$1" != "--" ]; do folders+=("$1"); shift; done
  shift
  unshare --mount --propagation private -- /bin/bash -c '
    set -e
    root=$1 count=$2; shift 2
    mount -t proc proc "$root/proc"
    mount --rbind /sys "$root/sys"
    mount --rbind /dev "$root/dev"
    if [ -d /tmp/.X11-unix ]; then
      mkdir -p "$root/tmp/.X11-unix"
      mount --bind /tmp/.X11-unix "$root/tmp/.X11-unix"
    fi
    for ((i = 0; i < count; i++)); do
      mkdir -p "$root$1"
      mount --bind "$1" "$root$1"
      shift
    done
    exec chroot "$root" /bin/sh -c "cd \"\$0\" 2>/dev/null || cd /; exec \"\$@\"" "$PWD" "$@"
  ' i386-root "$RKX_I386_ROOT" "${#folders[@]}" "${folders[@]}" "$@"
}
