#!/usr/bin/env bash
# Installs the Debian packages the build, the installer package, the rig and the demo need.
# Does nothing when they are all present, so it is cheap to call from every make target.
set -euo pipefail

packages=(
  cmake make ninja-build git
  g++ libtsan2
  mingw-w64 g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix binutils-mingw-w64
  googletest
  wine64 fonts-wine
  xvfb xdotool imagemagick librsvg2-bin
  gnuplot-nox
  wixl msitools
  fonts-liberation fonts-droid-fallback fonts-nanum
  debootstrap
)

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$package")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

# 32-bit Wine must never come in: once present, the Wine wrappers pick the 32-bit loader,
# which cannot run on these machines. The 32-bit rig has its own, in an i386 root
# (debootstrap; scripts/make-i386-root.sh).
echo "Installing: ${missing[*]}"
SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO=sudo
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
