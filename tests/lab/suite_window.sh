#!/usr/bin/env bash
# The main-window lab suite: builds the cafe lab (tests/lab/lib/cafe.sh), starts Wine inside
# the scanner's namespace under Xvfb, and runs the real main window against the simulated
# PCs: an ICMP scan and its stop (on an empty neighbour table), a NetBIOS scan, its stop and
# the batch name resolution; both with "快速扫描" ticked (NetBIOS with lost queries too); Wake-on-LAN of switched-off PCs from a loaded list, with the
# magic packets checked on the wire, then a NetBIOS scan that finds them. Saves a picture of the window filled by the NetBIOS scan as
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
# The fast NetBIOS scan with 30% of the queries dropped by our responder (a fixed seed).
echo 0.3 >"$LRLAB_DROP_FLAG"
run_group drops 'MainWindowLab.Drops*'
rm -f "$LRLAB_DROP_FLAG"
# A scan held against a roster file: the comparison dialog (its picture too) and the merge.
run_group roster 'MainWindowLab.Roster*'
[ -f "$SHOTS/roster_compare.png" ] && echo "picture: $SHOTS/roster_compare.png"
# The batch naming over a scan of the whole lab; its dialog's picture is pattern_dialog.png.
run_group pattern 'MainWindowLab.Pattern*'

# Wake-on-LAN: these PCs are switched off (no address) until their magic packet reaches
# their link. On the wire each must see its packet (six FF, its MAC sixteen times) from the
# scanner to port 9 of 255.255.255.255 and of 192.168.0.255, twice each.
WAKE_IPS="192.168.0.21 192.168.0.22 192.168.0.23 192.168.0.25"
wake_packets_on_the_wire() {
  local ip mac ns want dst n bad=0 log=$LRLAB_STATE/magic.log
  for ip in $WAKE_IPS; do
    mac=$(cafe_rows | awk -v ip="$ip" '$1 == ip {print $2}')
    ns=$CAFE_PREFIX-${ip##*.}
    want=ffffffffffff$(for _ in $(seq 16); do printf %s "${mac//:/}"; done)
    for dst in 255.255.255.255:9 192.168.0.255:9; do
      n=$(grep -c "^magic $ns $LRLAB_SCANNER_IP:[0-9]* $dst $want\$" "$log")
      [ "$n" = 2 ] || { echo "  $ip: $n magic packets to $dst, expected 2"; bad=1; }
    done
    n=$(grep -c "^magic $ns " "$log")
    [ "$n" = 4 ] || { echo "  $ip: $n magic packets in all, expected 4"; bad=1; }
    grep -q "^woke $ns " "$log" || { echo "  $ip did not wake"; bad=1; }
  done
  return $bad
}
echo "== wake ($WAKE_IPS switched off)"
if cafe_sleep $WAKE_IPS; then
  printf '%s\n' $WAKE_IPS >"$LRLAB_STATE/asleep.txt"
  awake=
  for ip in $WAKE_IPS; do
    ip netns exec "$LRLAB_SCAN_NS" ping -c 1 -W 1 "$ip" >/dev/null 2>&1 && awake+=" $ip"
  done
  check_eq "wake: the switched-off PCs answer no ping before their magic packet" "" "$awake"
  run_group wake 'MainWindowLab.WakeOnLan*'
  if wake_packets_on_the_wire; then
    pass "wake: the magic packets on the wire (bytes, port 9, both broadcasts, twice each)"
  else
    fail "wake: the magic packets on the wire" "$(cut -d' ' -f1-4 "$LRLAB_STATE/magic.log" | tr '\n' ';')"
  fi
else
  fail "wake: switching PCs off"
fi

if [ -f "$SHOTS/main_window_scan.bmp" ] && [ -x /usr/bin/convert ]; then
  /usr/bin/convert "$SHOTS/main_window_scan.bmp" "$SHOTS/main_window_scan.png" &&
    rm -f "$SHOTS/main_window_scan.bmp" && echo "picture: $SHOTS/main_window_scan.png"
fi
if [ -f "$SHOTS/pattern_dialog.bmp" ] && [ -x /usr/bin/convert ]; then
  /usr/bin/convert "$SHOTS/pattern_dialog.bmp" "$SHOTS/pattern_dialog.png" &&
    rm -f "$SHOTS/pattern_dialog.bmp" && echo "picture: $SHOTS/pattern_dialog.png"
fi
finish
