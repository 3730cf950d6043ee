#!/usr/bin/env bash
# Lanroster in the cafe lab: builds the programs, sets up the simulated cafe
# (tests/lab/lib/cafe.sh) and starts Lanroster.exe under Wine inside the lab's scanner
# namespace, where it can scan the lab's 24 PCs and nothing else (no route out).
#
# With an X display (DISPLAY set) the window opens there; scan, edit and close it as you
# like; the lab is torn down when Lanroster ends. Without one it runs under Xvfb, presses
# "开始扫描" itself, waits for the sweep of 192.168.0.1-254 and saves a picture of the
# filled window as build/lab-window/lanroster_demo.png. Needs root.
#
#   LR_LAB_BUILD     build folder: build/win64 (default) or the shipped 32-bit build/win32
#                    (tests/lab/lib/lab_build.sh)
#   LR_LAB_WINE_DIR  folder of the Wine template and of this run's prefix (default build/wine)
set -u
ROOT=$(cd "$(dirname "$0")/../../.." && pwd)
cd "$ROOT" || exit 1
WINE_DIR=${LR_LAB_WINE_DIR:-$ROOT/build/wine}
SHOTS=$ROOT/build/lab-window
export LRLAB_TAG=${LRLAB_TAG:-demo$$}
unset LRLAB_STATE
source tests/lab/lib/cafe.sh
source scripts/lib/wine.sh
source tests/lab/lib/lab_wine.sh
source tests/lab/lib/lab_build.sh
lab_build_use "$ROOT"
cafe_vars

[ "$(id -u)" = 0 ] || { echo "the lab needs root (network namespaces)"; exit 1; }
HEADLESS=0
[ -z "${DISPLAY:-}" ] && HEADLESS=1

cleanup() {
  lab_wine_down "$LRLAB_SCAN_NS"
  cafe_down
  [ "$HEADLESS" = 1 ] && lr_xvfb_stop
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

echo "== build ($BUILD)"
lab_build_runs || exit 1
lab_build Lanroster lr_lab_arp lr_lab_drive_scan || exit 1

echo "== cafe lab $LRLAB_TAG"
cafe_up >/dev/null || exit 1
lab_no_route_out "$LRLAB_SCAN_NS" || { echo "the scanner namespace routes out"; exit 1; }

lr_zh_locale "$ROOT/build/locale" 2>/dev/null
[ "$HEADLESS" = 1 ] && { lr_xvfb_start || exit 1; }
lab_wine_up "$LRLAB_SCAN_NS" "$WINE_DIR" "demo-$LRLAB_TAG" "$BUILD/tests/lab/discovery/arp.exe" ||
  exit 1

if [ "$HEADLESS" = 0 ]; then
  echo "== Lanroster.exe on $DISPLAY (scan 192.168.0.1 - 192.168.0.254; close it to end)"
  lab_wine "$LRLAB_SCAN_NS" "$BUILD/apps/Lanroster/Lanroster.exe"
  exit 0
fi

echo "== Lanroster.exe under Xvfb $DISPLAY: scanning the lab"
lab_wine "$LRLAB_SCAN_NS" "$BUILD/apps/Lanroster/Lanroster.exe" &
app=$!
lab_wine "$LRLAB_SCAN_NS" "$BUILD/tests/lab/window/drive_scan.exe"
rc=$?
sleep 1
mkdir -p "$SHOTS"
# The main window's place on the screen, from its X window ("840x576+220+224  +220+224").
geometry=$(xwininfo -root -tree -display "$DISPLAY" | grep -m1 'Lanroster' |
  grep -oE '[0-9]+x[0-9]+\+-?[0-9]+\+-?[0-9]+ ' | head -1)
xwd -root -display "$DISPLAY" -silent |
  /usr/bin/convert xwd:- ${geometry:+-crop "$geometry" +repage} "png:$SHOTS/lanroster_demo.png" &&
  echo "picture: $SHOTS/lanroster_demo.png"
lab_wine "$LRLAB_SCAN_NS" "$BUILD/tests/lab/window/drive_scan.exe" --exit >/dev/null 2>&1
kill "$app" 2>/dev/null
wait "$app" 2>/dev/null
exit $rc
