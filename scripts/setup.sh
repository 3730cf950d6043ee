#!/usr/bin/env bash
# Installs, only when missing, every Debian package that the build and the tests need.
# Safe to run again: it does nothing when everything is present.
#
# A package list that can't be fetched is a warning, not the end: the install that follows
# decides. The packages of the build and the x86-64 tests install in one step, which must
# succeed. The 32-bit Wine (LR_WINE32_PACKAGE, wine32:i386) installs in a step of its own:
# when it can't be had, the set-up says why in one line, leaves the reason in
# build/logs/wine32-missing.txt for the 32-bit test layers to report, and goes on.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
WINE32_WHY_FILE=$ROOT/build/logs/wine32-missing.txt

packages=(
  build-essential cmake ninja-build pkg-config
  g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix
  googletest libgtest-dev libbenchmark-dev
  clang clang-format libclang-rt-14-dev
  wine64 fonts-wine xvfb x11-apps imagemagick fonts-wqy-microhei locales
  samba samba-common-bin nbtscan iproute2 iputils-ping
  python3
)
# The shipped programs are 32-bit: they run under Wine's WoW64 with the i386 Wine.
wine32=${LR_WINE32_PACKAGE:-wine32:i386}

is_installed() {
  dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'
}

# apt's own reason: its error lines, else its last line.
apt_reason() {
  local log=$1 why
  why=$(grep -aE '^(E|Err):' "$log" | sed 's/^E: //' | paste -sd ' ' -)
  [ -n "$why" ] || why=$(tail -n 1 "$log")
  echo "$why"
}

missing=()
for p in "${packages[@]}"; do
  is_installed "$p" || missing+=("$p")
done
need_wine32=
is_installed "$wine32" || need_wine32=1

if ((${#missing[@]})) || [ -n "$need_wine32" ]; then
  source "$ROOT/scripts/lib/root.sh"
  lr_as_root "$0" "$@"
  export DEBIAN_FRONTEND=noninteractive
  log=$(mktemp)
  trap 'rm -f "$log"' EXIT
  dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386
  if ! apt-get update -qq >"$log" 2>&1; then
    echo "setup: warning: apt-get update failed, going on with the package lists it has: $(apt_reason "$log")"
  fi

  if ((${#missing[@]})); then
    echo "setup: installing ${missing[*]}"
    if ! apt-get install -y -qq --no-install-recommends "${missing[@]}" >"$log" 2>&1; then
      echo "setup: error: the packages of the build and the tests could not be installed: $(apt_reason "$log")" >&2
      exit 1
    fi
    # Samba's packages start daemons on install; the tests run their own nmbd.
    for svc in nmbd smbd samba-ad-dc winbind; do
      systemctl stop "$svc" >/dev/null 2>&1 || service "$svc" stop >/dev/null 2>&1 || true
    done
    pkill -x nmbd >/dev/null 2>&1 || true
    pkill -x smbd >/dev/null 2>&1 || true
  fi

  if [ -n "$need_wine32" ]; then
    echo "setup: installing $wine32"
    mkdir -p "$(dirname "$WINE32_WHY_FILE")"
    if apt-get install -y -qq --no-install-recommends "$wine32" >"$log" 2>&1; then
      rm -f "$WINE32_WHY_FILE"
    else
      why="$wine32 could not be installed: $(apt_reason "$log")"
      echo "$why" >"$WINE32_WHY_FILE"
      echo "setup: warning: $why; the 32-bit layers will be skipped"
    fi
  fi
fi
if is_installed "$wine32"; then
  rm -f "$WINE32_WHY_FILE"
  echo "setup: all packages present"
else
  echo "setup: all packages present but $wine32 (the 32-bit layers are skipped)"
fi
