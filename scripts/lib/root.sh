# Sourced by the top-level scripts, which need root (the package installer and the lab's
# network namespaces). `lr_as_root "$0" "$@"` returns when root; otherwise it runs the
# script again through sudo, or says what to do when there is no sudo. After a run through
# sudo, build/ and dist/ go back to the user who asked for it.
lr_as_root() {
  local script
  script=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
  shift
  if [ "$(id -u)" -eq 0 ]; then
    if [ -n "${SUDO_UID:-}" ] && [ "${SUDO_UID}" != 0 ]; then
      trap 'chown -R "$SUDO_UID:${SUDO_GID:-$SUDO_UID}" build dist 2>/dev/null || true' EXIT
    fi
    return 0
  fi
  if command -v sudo >/dev/null 2>&1; then
    echo "$(basename "$script"): needs root; running it again through sudo" >&2
    exec sudo --preserve-env bash "$script" "$@"
  fi
  echo "$(basename "$script"): needs root (it installs Debian packages and builds network" \
       "namespaces) and there is no sudo here. Run it as root, e.g." \
       "su -c 'bash $script $*' root" >&2
  exit 1
}
