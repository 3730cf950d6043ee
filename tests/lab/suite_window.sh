#!/usr/bin/env bash
# The main-window lab suite: builds the cafe lab (tests/lab/lib/cafe.sh), starts Wine inside
# the scanner's namespace under Xvfb, and runs the real main window against the simulated
# PCs: an ICMP scan and its stop (on an empty neighbour table), a NetBIOS scan, its stop and
# the batch name resolution. Saves a picture of the window filled by the NetBIOS scan as
# build/lab-window/main_window_scan.png. Ends with "N passed, N failed"; everything it made is
# torn down on exit, also after a failure or an interrupt. Needs root.
#
#   LR_LAB_BUILD     build folder: build/win64 (default) or the shipped 32-bit build/win32
#                    (tests/lab/lib/lab_build.sh); the targets are built here
#   LR_LAB_WINE_DIR  folder of the Wine template and of this run's prefix (default build/wine)
#   LRLAB_TAG        lab name part (default win<pid>), so runs never share namespaces
set -u
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
cd "$ROOT" || exit 1
WINE_DIR=${LR_LAB_WINE_DIR:-$ROOT/build/wine}
SHOTS=$ROOT/build/lab-window
export LRLAB_TAG=${LRLAB_TAG:-win$$}
unset LRLAB_STATE
source tests/lab/lib/cafe.sh
source scripts/lib/wine.sh
source tests/lab/lib/suite.sh
source tests/lab/lib/lab_wine.sh
source tests/lab/lib/lab_build.sh
lab_build_use "$ROOT"
cafe_vars

cleanup() {
  lab_wine_down "$LRLAB_SCAN_NS"
  cafe_down
  lr_xvfb_stop
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

suite_need_root

echo "== build ($BUILD)"
lab_build_runs || { FAILED=1; finish; }
lab_build lr_lab_arp lr_lab_window_tests || { FAILED=1; finish; }
ARP_EXE=$BUILD/tests/lab/discovery/arp.exe
TESTS_EXE=$BUILD/tests/lab/window/lr_lab_window_tests.exe

echo "== lab $LRLAB_TAG"
cafe_up >/dev/null || { echo "lab set-up failed"; FAILED=1; finish; }
cp "$LRLAB_PCS" "$LRLAB_STATE/pcs.conf"
lab_no_route_out "$LRLAB_SCAN_NS" || { echo "the scanner namespace routes out"; FAILED=1; finish; }

echo "== wine"
lr_zh_locale "$ROOT/build/locale" 2>/dev/null
lr_xvfb_start || { FAILED=1; finish; }
lab_wine_up "$LRLAB_SCAN_NS" "$WINE_DIR" "window-$LRLAB_TAG" "$ARP_EXE" || { FAILED=1; finish; }
# Unmanaged windows: without a window manager, hiding a managed window waits for one.
lab_wine "$LRLAB_SCAN_NS" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f \
  >/dev/null 2>&1
export LRLAB_DIR="Z:${LRLAB_STATE//\//\\}"
mkdir -p "$SHOTS"
export LR_WINDOW_FIGURES="Z:${SHOTS//\//\\}"

run_group() {
  local name=$1 filter=$2 log=$LRLAB_STATE/$1.log p f rc
  echo "== $name ($filter)"
  ip netns exec "$LRLAB_SCAN_NS" timeout -k 10 600 "$LR_WINE" "$TESTS_EXE" \
    --gtest_filter="$filter" >"$log" 2>&1
  rc=$?
  grep -a -E '^\[ +(OK|FAILED) +\]|Failure|Expected|Which is|^  ' "$log" | head -n 100
  suite_count_gtest "$log" "$rc"
}

# The ICMP scan must find the PCs through its own echoes.
ip -n "$LRLAB_SCAN_NS" neigh flush all
run_group icmp 'MainWindowLab.Icmp*'
run_group netbios 'MainWindowLab.NetBios*'

if [ -f "$SHOTS/main_window_scan.bmp" ] && [ -x /usr/bin/convert ]; then
  /usr/bin/convert "$SHOTS/main_window_scan.bmp" "$SHOTS/main_window_scan.png" &&
    rm -f "$SHOTS/main_window_scan.bmp" && echo "picture: $SHOTS/main_window_scan.png"
fi
finish
