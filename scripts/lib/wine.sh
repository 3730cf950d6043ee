# Sourced by the test and run scripts: a quiet throwaway Wine set-up and an X display.
#
#   lr_wine_template DIR      make (once) a template prefix in DIR/template
#   lr_wine_prefix DIR NAME   copy the template to DIR/NAME and export WINEPREFIX for it
#   lr_wine_stop              stop the wineserver of the current WINEPREFIX
#   lr_xvfb_start             start Xvfb on a free display and export DISPLAY
#   lr_zh_locale DIR          export a zh_CN.UTF-8 locale (Wine's ANSI code page 936)
#   lr_wine32_ok              can this machine run the 32-bit programs? (else says why)
#
# Every program starts through /usr/lib/wine/wine64, the x86-64 and the 32-bit ones alike:
# for a 32-bit (PE32) program it starts the i386 loader of the 32-bit Wine (package wine32),
# and the program runs under WoW64 as on 64-bit Windows.

LR_WINE=/usr/lib/wine/wine64
LR_WINESERVER=/usr/lib/wine/wineserver64
[ -x "$LR_WINESERVER" ] || LR_WINESERVER=$(command -v wineserver64 || command -v wineserver || echo wineserver)

lr_wine_env() {
  export WINEDEBUG=-all WINEARCH=win64
  export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d${LR_EXTRA_OVERRIDES:+;$LR_EXTRA_OVERRIDES}"
}

# The 32-bit programs need the i386 loader, and a kernel that runs i386 code: some virtual
# machines run 64-bit user code only (the loader's exec then fails with "Exec format error").
lr_wine32_ok() {
  local loader=${LR_WINE%64}
  if [ ! -x "$loader" ]; then
    # scripts/setup.sh leaves apt's reason there when the package could not be installed.
    local why_file
    why_file=$(dirname "${BASH_SOURCE[0]}")/../../build/logs/wine32-missing.txt
    if [ -s "$why_file" ]; then
      echo "the 32-bit Wine is not installed: $(head -n 1 "$why_file")"
    else
      echo "the 32-bit Wine is not installed (package wine32:i386, scripts/setup.sh)"
    fi
    return 1
  fi
  if ! "$loader" --version >/dev/null 2>&1; then
    echo "this kernel runs no 32-bit code ($loader: $(LC_ALL=C "$loader" --version 2>&1 | tail -1 |
      sed 's/.*: //'))"
    return 1
  fi
}

lr_wine_template() {
  local dir=$1
  lr_wine_env
  # A template made before the 32-bit Wine could run has an empty SysWOW64, where every
  # 32-bit program then fails to start: make it again.
  if [ -f "$dir/template/system.reg" ] &&
    [ ! -f "$dir/template/drive_c/windows/syswow64/kernel32.dll" ] && lr_wine32_ok >/dev/null; then
    echo "wine: the template has no 32-bit system files; making it again" >&2
    rm -f "$dir/template/system.reg"
  fi
  if [ ! -f "$dir/template/system.reg" ]; then
    rm -rf "$dir/template" "$dir/home"
    mkdir -p "$dir/template" "$dir/home"
    HOME="$dir/home" WINEPREFIX="$dir/template" "$LR_WINE" wineboot -i >/dev/null 2>&1 || true
    HOME="$dir/home" WINEPREFIX="$dir/template" "$LR_WINESERVER" -w
    [ -f "$dir/template/system.reg" ] || { echo "wine: could not make a prefix" >&2; return 1; }
  fi
  # The caption buttons draw their glyphs with the Marlett symbol font; this Wine does not
  # find the copy in its own data folder (package fonts-wine), so the prefix gets it.
  local marlett=/usr/share/wine/fonts/marlett.ttf
  if [ -f "$marlett" ] && [ ! -f "$dir/template/drive_c/windows/Fonts/marlett.ttf" ]; then
    cp "$marlett" "$dir/template/drive_c/windows/Fonts/" || return 1
  fi
  # Without a window manager Wine waits about 2 s whenever a managed top-level window is
  # hidden; unmanaged windows make window tests about ten times faster.
  if ! grep -q '"Managed"="N"' "$dir/template/user.reg" 2>/dev/null; then
    HOME="$dir/home" WINEPREFIX="$dir/template" "$LR_WINE" reg add \
      'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
    HOME="$dir/home" WINEPREFIX="$dir/template" "$LR_WINESERVER" -w
  fi
}

lr_wine_prefix() {
  local dir=$1 name=$2
  lr_wine_template "$dir" || return 1
  rm -rf "$dir/$name"
  cp -a "$dir/template" "$dir/$name"
  mkdir -p "$dir/home"
  export HOME="$dir/home" WINEPREFIX="$dir/$name"
}

lr_wine_stop() {
  [ -n "${WINEPREFIX:-}" ] && "$LR_WINESERVER" -k >/dev/null 2>&1 || true
}

lr_xvfb_start() {
  if [ -n "${LR_XVFB_PID:-}" ] && kill -0 "$LR_XVFB_PID" 2>/dev/null; then return 0; fi
  local n
  for n in $(seq 90 140); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    LR_XVFB_PID=$!
    export DISPLAY=":$n" LR_XVFB_PID
    for _ in $(seq 50); do
      [ -e "/tmp/.X11-unix/X$n" ] && return 0
      sleep 0.1
    done
    kill "$LR_XVFB_PID" 2>/dev/null
  done
  echo "xvfb: no display could be started" >&2
  return 1
}

lr_xvfb_stop() {
  [ -n "${LR_XVFB_PID:-}" ] && kill "$LR_XVFB_PID" 2>/dev/null || true
  unset LR_XVFB_PID
}

lr_zh_locale() {
  local dir=$1
  if [ ! -d "$dir/zh_CN.UTF-8" ]; then
    mkdir -p "$dir"
    localedef -i zh_CN -f UTF-8 "$dir/zh_CN.UTF-8" >/dev/null 2>&1 || true
  fi
  # bash itself can't load a locale from LOCPATH and would warn; the programs it starts can.
  { export LOCPATH="$dir" LC_ALL=zh_CN.UTF-8 LANG=zh_CN.UTF-8; } 2>/dev/null
}
