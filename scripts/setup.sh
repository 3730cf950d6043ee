#!/usr/bin/env bash
# Installs, only when missing, every Debian package that the build and the tests need.
# Safe to run again: it does nothing when everything is present.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix
  googletest libgtest-dev libbenchmark-dev
  clang clang-format libclang-rt-14-dev
  wine64 fonts-wine xvfb x11-apps imagemagick fonts-wqy-microhei locales
  samba samba-common-bin nbtscan iproute2 iputils-ping
  python3
  # The shipped programs are 32-bit: they run under Wine's WoW64 with the i386 Wine.
  wine32:i386
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if ((${#missing[@]})); then
  source "$(dirname "$0")/lib/root.sh"
  lr_as_root "$0" "$@"
  echo "setup: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
  # Samba's packages start daemons on install; the tests run their own nmbd.
  for svc in nmbd smbd samba-ad-dc winbind; do
    systemctl stop "$svc" >/dev/null 2>&1 || service "$svc" stop >/dev/null 2>&1 || true
  done
  pkill -x nmbd >/dev/null 2>&1 || true
  pkill -x smbd >/dev/null 2>&1 || true
fi
echo "setup: all packages present"
