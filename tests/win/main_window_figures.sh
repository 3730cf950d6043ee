#!/usr/bin/env bash
# Figures and pictures of the main window: runs the MainWindowFigures tests of the x86-64
# test program under wine64 and Xvfb (zh_CN locale), prints the figures (records per second
# inserted at the top, sort times of 65,536 records per column, window creation) and saves
# build/window-figures/{main_window,record_dialog_add,record_dialog_edit}.png.
#
#   LR_WIN64_BUILD   x86-64 build folder (default build/win64; built here if needed)
set -u
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
cd "$ROOT" || exit 1
BUILD=${LR_WIN64_BUILD:-$ROOT/build/win64}
OUT=$ROOT/build/window-figures
source scripts/lib/wine.sh

if [ ! -f "$BUILD/CMakeCache.txt" ]; then cmake --preset win64 -B "$BUILD" >/dev/null || exit 1; fi
cmake --build "$BUILD" --target lr_win_tests >/dev/null || exit 1
mkdir -p "$OUT"
lr_zh_locale "$ROOT/build/locale" 2>/dev/null
lr_xvfb_start || exit 1
lr_wine_prefix "$ROOT/build/wine" window-figures >/dev/null || exit 1
lr_wine_env
trap 'lr_wine_stop; rm -rf "$WINEPREFIX"; lr_xvfb_stop' EXIT
LR_WINDOW_FIGURES="Z:${OUT//\//\\}" "$LR_WINE" "$BUILD/tests/win/lr_win_tests.exe" \
  --gtest_filter='MainWindowFigures.*' 2>&1 | tr -d '\r' | grep -vE '^\[ +(RUN|OK) +\]'
rc=${PIPESTATUS[0]}
for bmp in "$OUT"/*.bmp; do
  [ -f "$bmp" ] || continue
  /usr/bin/convert "$bmp" "${bmp%.bmp}.png" && rm -f "$bmp" && echo "picture: ${bmp%.bmp}.png"
done
exit "$rc"
