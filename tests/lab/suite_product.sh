#!/usr/bin/env bash
# The product from a scan to a configured clone, in the cafe lab, under Wine.
#
# 1. The master: the cafe lab (tests/lab/lib/cafe.sh) with Wine in its scanner namespace
#    under Xvfb. A test program there creates the real main window, sweeps the default
#    range by NetBIOS, corrects one record in the record dialog (the MAC of 192.168.0.21 in
#    the "-" form a client builds, a new name), and generates the client package from the
#    generator dialog through the real master-machine target, after a refused click that
#    must leave no part of a package, the check's dialog answered "按原样生成". It carries the
#    built Hostprep.exe as its resource, as Lanroster.exe does, and checks the settings file
#    byte for byte. Then, with no row corrected by hand, a NetBIOS scan and an ICMP scan with
#    the reverse names, each generated with "修正后生成", and a NetBIOS scan of sound PCs that
#    generates without the check's dialog; every package is kept.
# 2. Here: the Run value and the boot-time service's entry (reg query), C:\Windows\Hostprep.exe
#    identical to the built one, and the settings file printed into the log. Then the master
#    boots (wineboot: its service and its Run value start Hostprep there, with netsh.exe and
#    shutdown.exe replaced by the recorder) and must come out unchanged, package in place.
#    Then the master boots again and, while its service is in its adapter wait, the list's
#    popup item "移除客户端..." in the real window stops it and takes the package off the
#    master: no service, Run value, Hostprep.exe or settings file is left, no Hostprep runs. Last, a package
#    over an earlier one with the master's own MAC as a row, while Hostprep.exe is held open:
#    the generation fails naming the cause, and the master's next boot starts no Hostprep,
#    keeps its name and runs no address command.
# 3. Two clones, each a namespace of its own whose only interface carries the clone's MAC
#    and a fresh prefix holding what the master wrote (settings file, executable, Run
#    value), with netsh.exe and shutdown.exe replaced by a recorder and, for the first, a
#    focused window logging keys. The corrected PC's clone takes its name and address and
#    drops its Run value; the clone of a PC that no row holds changes nothing and keeps it.
#    From the fixed packages: that same PC's clone, its adapter
#    named "以太网", takes its name and address with netsh on "以太网"; a clone holding the
#    master's MAC changes nothing; the clone of a PC found by ICMP takes the first label of
#    its reverse name. Hostprep's pauses are real: each applying clone takes ~22 s.
#
#   LR_LAB_BUILD     build folder: build/win64 (default) or the shipped 32-bit build/win32
#                    (tests/lab/lib/lab_build.sh); the targets are built here
#   LR_LAB_WINE_DIR  folder of the Wine template and of this run's prefixes (default build/wine)
#   LRLAB_TAG        lab name part (default prod<pid>); the clones are lrpr-TAG-*
#
# Needs root. Ends with "N passed, N failed"; tears everything down, also after a failure.
set -u
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
cd "$ROOT" || exit 1
WINE_DIR=${LR_LAB_WINE_DIR:-$ROOT/build/wine}
export LRLAB_TAG=${LRLAB_TAG:-prod$$}
unset LRLAB_STATE
source tests/lab/lib/cafe.sh
source scripts/lib/wine.sh
source tests/lab/lib/suite.sh
source tests/lab/lib/lab_build.sh
lab_build_use "$ROOT"
source tests/lab/lib/clone_registry.sh
source tests/lab/lib/lab_wine.sh
cafe_vars
CLONE_NS=lrpr-$LRLAB_TAG-clone
PEER_NS=lrpr-$LRLAB_TAG-peer
MASTER_PREFIX=
CLONE_PREFIX=
PACKAGE=

stop_prefix() {  # PREFIX: its wineserver stopped and the prefix deleted
  [ -n "$1" ] || return 0
  WINEPREFIX=$1 "$LR_WINESERVER" -k >/dev/null 2>&1
  rm -rf "$1"
}
cleanup() {
  stop_prefix "$CLONE_PREFIX"
  stop_prefix "$MASTER_PREFIX"
  ip netns del "$CLONE_NS" 2>/dev/null
  ip netns del "$PEER_NS" 2>/dev/null
  cafe_down
  lr_xvfb_stop
  [ -n "$PACKAGE" ] && rm -rf "$PACKAGE"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

suite_need_root

echo "== build ($BUILD)"
lab_build_runs || { FAILED=1; finish; }
lab_build Hostprep lr_lab_arp lr_lab_product_tests lrhp_recorder lrhp_keylog ||
  { FAILED=1; finish; }
HOSTPREP=$BUILD/apps/Hostprep/Hostprep.exe
ARP_EXE=$BUILD/tests/lab/discovery/arp.exe
TESTS_EXE=$BUILD/tests/lab/product/lr_lab_product_tests.exe
RECORDER=$BUILD/tests/lab/hostprep/lrhp_recorder.exe
KEYLOG=$BUILD/tests/lab/hostprep/lrhp_keylog.exe

gbk() { printf '%s' "$1" | iconv -f UTF-8 -t GBK; }
hex() { od -An -v -tx1 | tr -d ' \n'; }

# What the test program sets in the generator (the same constants as there).
GATEWAY=192.168.0.1
MASK=255.255.255.0
PROGRAM='C:\网吧\prog.exe'
CORRECTED_IP=192.168.0.21
CORRECTED_MAC=00:0c:29:ab:01:21
CORRECTED_NAME='网吧-21'
UNLISTED_MAC=00:0c:29:ab:01:99  # a PC no row holds
NBT_FORM_MAC=00:0c:29:ab:01:22  # PC 192.168.0.22: scanned as 00.0C.29.AB.01.22
NBT_FORM_IP=192.168.0.22
NBT_FORM_NAME=PC22
REVERSE_MAC=52:54:00:12:34:56  # PC 192.168.0.20, reverse name pc20.netbar.lan
REVERSE_IP=192.168.0.20
NMBD_ENTRY=02-00-00-00-00-07=192.168.0.7~CAFE-NMBD  # nmbd answers with a zero unit ID
CLONE_IF=本地连接  # the clone's interface; Wine gives its name as the connection name

# ---------------------------------------------------------------------------------------
echo "== lab $LRLAB_TAG"
cafe_up >/dev/null || { echo "lab set-up failed"; FAILED=1; finish; }
cp "$LRLAB_PCS" "$LRLAB_STATE/pcs.conf"
lab_no_route_out "$LRLAB_SCAN_NS" || { echo "the scanner namespace routes out"; FAILED=1; finish; }

echo "== master"
lr_zh_locale "$ROOT/build/locale" 2>/dev/null
lr_xvfb_start || { FAILED=1; finish; }
lab_wine_up "$LRLAB_SCAN_NS" "$WINE_DIR" "product-master-$LRLAB_TAG" "$ARP_EXE" ||
  { FAILED=1; finish; }
MASTER_PREFIX=$WINEPREFIX
lab_wine "$LRLAB_SCAN_NS" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f \
  >/dev/null 2>&1
# "生成并安装" switches hibernation off with powercfg.exe: the recorder stands in for it.
mkdir -p "$MASTER_PREFIX/drive_c/lrhp"
cp "$RECORDER" "$MASTER_PREFIX/drive_c/windows/$LAB_SYSDIR/powercfg.exe"
lab_wine "$LRLAB_SCAN_NS" reg add 'HKCU\Software\Wine\DllOverrides' /v powercfg.exe /d native /f \
  >/dev/null 2>&1
export LRLAB_DIR="Z:${LRLAB_STATE//\//\\}"
log=$LRLAB_STATE/master.log
ip netns exec "$LRLAB_SCAN_NS" timeout -k 10 600 "$LR_WINE" "$TESTS_EXE" \
  --gtest_filter=-ProductLab.RemoveClientFromTheMenu:ProductLab.HeldHostprepLeavesNothingToStart \
  >"$log" 2>&1
rc=$?
grep -a -E '^\[ +(OK|FAILED) +\]|Failure|Expected|Which is|^  ' "$log" | head -n 60
suite_count_gtest "$log" "$rc"

MASTER_C=$MASTER_PREFIX/drive_c
# Every generation with the box ticked (all but one) started powercfg hidden, by its full path.
POWERCFG='C:\windows\system32\powercfg.exe /hibernate off'  # as a program of either bitness names it
powercfg_lines=$(grep -ac " $(gbk "$POWERCFG" | hex)\$" "$MASTER_C/lrhp/calls.log" 2>/dev/null)
if [ "${powercfg_lines:-0}" -ge 2 ] && ! grep -av "^0 " "$MASTER_C/lrhp/calls.log" | grep -q .; then
  pass "master: powercfg started hidden as \"$POWERCFG\" ($powercfg_lines generations)"
else
  fail "master: powercfg started hidden as \"$POWERCFG\"" "$(cat "$MASTER_C/lrhp/calls.log" 2>/dev/null)"
fi
mv "$MASTER_C/lrhp/calls.log" "$LRLAB_STATE/master-calls.log" 2>/dev/null
echo "--- AutoSet of the package generated with both DNS fields filled"
sed -n '/^\[AutoSet\]/,/^\[InfoList\]/p' "$LRLAB_STATE/package-dns.ini" 2>/dev/null | sed 's/\r$//; s/^/    /'
SETTINGS=$LRLAB_STATE/package-asis.ini  # C:\Windows\Myset.ini after "按原样生成", kept
if [ ! -f "$SETTINGS" ]; then
  fail "master: C:\\Windows\\Myset.ini written"
  finish
fi
echo "--- C:\\Windows\\Myset.ini as generated \"按原样生成\" (GBK shown as UTF-8, CR LF line ends)"
iconv -f GBK -t UTF-8 "$SETTINGS" | sed 's/\r$//; s/^/    /'
echo "---"
if [ -f "$LRLAB_STATE/expected_myset.ini" ]; then
  if cmp -s "$LRLAB_STATE/expected_myset.ini" "$SETTINGS"; then
    pass "master: settings file is the text the scanned and corrected list gives"
  else
    fail "master: settings file is the text the scanned and corrected list gives" \
      "$(diff <(iconv -f GBK -t UTF-8 "$LRLAB_STATE/expected_myset.ini") \
        <(iconv -f GBK -t UTF-8 "$SETTINGS") | head -20)"
  fi
fi
if grep -aq $'\r$' "$SETTINGS" && ! grep -aq $'[^\r]$' "$SETTINGS"; then
  pass "master: settings file has CR LF line ends only"
else
  fail "master: settings file has CR LF line ends only"
fi
run_line=$(lab_wine "$LRLAB_SCAN_NS" reg query "HKLM\\$RUN" /v hostprep 2>/dev/null | tr -d '\r' |
  grep -a '^    hostprep    ')
RUN_DATA=$(printf '%s' "$run_line" | sed -E 's/^    hostprep    REG_SZ    //')
check_eq "master: Run value hostprep" '    hostprep    REG_SZ    C:\Windows\Hostprep.exe' "$run_line"
wine_in() { lab_wine "$LRLAB_SCAN_NS" "$@"; }  # clone_registry.sh's reads, on the master
SERVICE='SYSTEM\CurrentControlSet\Services\hostprep'
service_entry() {  # the values the generator sets, one line each
  local v
  for v in ImagePath Start Type ObjectName; do echo "$v=$(regval "$SERVICE" "$v")"; done
}
check_eq "master: service hostprep, own process, automatic start, LocalSystem" \
  "$(printf '%s\n' 'ImagePath=C:\Windows\Hostprep.exe' Start=0x2 Type=0x10 ObjectName=LocalSystem)" \
  "$(service_entry)"
if cmp -s "$HOSTPREP" "$MASTER_C/windows/Hostprep.exe"; then
  pass "master: C:\\Windows\\Hostprep.exe is the built Hostprep.exe ($(stat -c %s "$HOSTPREP") bytes)"
else
  fail "master: C:\\Windows\\Hostprep.exe is the built Hostprep.exe"
fi
# What the master wrote, kept for the clones; then the master is shut down.
PACKAGE=$(mktemp -d /tmp/lrpr-package.XXXXXX)
for p in asis nbt icmp; do
  cp "$LRLAB_STATE/package-$p.ini" "$PACKAGE/$p.ini" 2>/dev/null ||
    fail "master: the \"$p\" package kept"
done
MASTER_MAC=$(ip -n "$LRLAB_SCAN_NS" link show eth0 | awk '/link\/ether/ { print $2 }')
MASTER_TEXT=$(printf '%s' "$MASTER_MAC" | tr 'a-f:' 'A-F-')
last_autoset=$(tr -d '\r' <"$PACKAGE/asis.ini" 2>/dev/null | grep -a -B1 '^\[InfoList\]' | head -1)
[[ $last_autoset == MasterMAC=*"$MASTER_TEXT"* ]] && last_autoset=ok
check_eq "master: MasterMAC, the last AutoSet key, holds $MASTER_TEXT" ok "$last_autoset"
# The scan's "." MACs and padded names were converted, even generated "按原样生成".
check_eq "master: every InfoList key of the as-is package in the client's MAC form" 0 \
  "$(sed -n '/^\[InfoList\]/,$p' "$PACKAGE/asis.ini" |
    LC_ALL=C grep -avc -E '^(\[InfoList\]|([0-9A-F]{2}-){5}[0-9A-F]{2}=.*)'$'\r$')"
# The sound PCs' NetBIOS scan (192.168.0.17..28), generated without the check's dialog.
SOUND=$LRLAB_STATE/package-sound.ini
echo "--- InfoList of the sound PCs' scan, generated without the check's dialog"
sed -n '/^\[InfoList\]/,$p' "$SOUND" 2>/dev/null | iconv -f GBK -t UTF-8 | sed 's/\r$//; s/^/    /'
check_eq "master: sound PCs' package, 12 entries in the client's MAC form, names unpadded" 12 \
  "$(LC_ALL=C grep -ac -E '^([0-9A-F]{2}-){5}[0-9A-F]{2}=192\.168\.0\.[0-9]+~PC[0-9]+'$'\r$' "$SOUND" 2>/dev/null)"
check_eq "master: the nmbd PC's row has its real MAC after the NetBIOS scan" 1 \
  "$(grep -ac "^$NMBD_ENTRY"$'\r$' "$PACKAGE/nbt.ini" 2>/dev/null)"
cp "$MASTER_C/windows/Hostprep.exe" "$PACKAGE/Hostprep.exe" 2>/dev/null

# The master boots with its package: a fresh server, then wineboot, which starts the
# auto-start services (only when the control manager starts afresh: the generator's calls
# started it before the service existed) and the Run value. The registry values Hostprep
# may touch are read while that server lives (a fresh server resets the computer name).
hostprep_running() {  # a Hostprep.exe of the master's prefix
  local p
  for p in /proc/[0-9]*; do
    { tr '\0' '\n' <"$p/environ"; } 2>/dev/null | grep -qxF "WINEPREFIX=$MASTER_PREFIX" &&
      { tr '\0' ' ' <"$p/cmdline"; } 2>/dev/null | grep -qi 'hostprep\.exe' && return 0
  done
  return 1
}
mkdir -p "$MASTER_C/lrhp"
for t in netsh shutdown; do
  cp "$RECORDER" "$MASTER_C/windows/$LAB_SYSDIR/$t.exe"
  wine_in reg add 'HKCU\Software\Wine\DllOverrides' /v $t.exe /d native /f >/dev/null 2>&1
done
before="$(regdump)
$(service_entry)"
WINEPREFIX=$MASTER_PREFIX "$LR_WINESERVER" -k >/dev/null 2>&1
WINEPREFIX=$MASTER_PREFIX "$LR_WINESERVER" -w
ip netns exec "$LRLAB_SCAN_NS" "$LR_WINESERVER" -p
start=$(date +%s.%N)
wine_in wineboot >/dev/null 2>&1
# Each run logs a line: wait (up to 90 s: on the master the service looks for an entry of its
# own for 60 s) for the service's and the Run value's, then (up to 120 s) for every
# Hostprep.exe of this prefix to end.
for i in $(seq 900); do
  [ "$(grep -ac . "$MASTER_C/windows/Hostprep.log" 2>/dev/null)" -ge 2 ] 2>/dev/null && break
  sleep 0.1
done
for i in $(seq 1200); do hostprep_running || break; sleep 0.1; done
BOOT_TAKEN=$(awk "BEGIN { printf \"%.1f\", $(date +%s.%N) - $start }")
echo "--- C:\\Windows\\Hostprep.log on the master after its boot"
iconv -f GBK -t UTF-8 "$MASTER_C/windows/Hostprep.log" 2>/dev/null | sed 's/\r$//; s/^/    /'
check_eq "master: Hostprep ran twice at its boot, as the service and from the Run value" 2 \
  "$(grep -ac . "$MASTER_C/windows/Hostprep.log" 2>/dev/null)"
check_eq "master: nothing changed over a boot, service and Run value kept" "$before" \
  "$(regdump)
$(service_entry)"
check_eq "master: nothing started at its boot" "" "$(cat "$MASTER_C/lrhp/calls.log" 2>/dev/null)"
check_eq "master: Hostprep.exe and the settings file kept over a boot" "ok" \
  "$(cmp -s "$HOSTPREP" "$MASTER_C/windows/Hostprep.exe" && [ -f "$MASTER_C/windows/Myset.ini" ] && echo ok)"

# The removal item in the real window, during a further boot: once the Run value's start has
# logged its line and the service is in its 60 s adapter wait (the test program checks that
# it runs), the removal must stop it and take every part off.
runs=$(grep -ac . "$MASTER_C/windows/Hostprep.log" 2>/dev/null)
WINEPREFIX=$MASTER_PREFIX "$LR_WINESERVER" -k >/dev/null 2>&1
WINEPREFIX=$MASTER_PREFIX "$LR_WINESERVER" -w
ip netns exec "$LRLAB_SCAN_NS" "$LR_WINESERVER" -p
wine_in wineboot >/dev/null 2>&1
for i in $(seq 300); do
  [ "$(grep -ac . "$MASTER_C/windows/Hostprep.log" 2>/dev/null)" -gt "$runs" ] && break
  sleep 0.1
done
sleep 3  # well into the adapter wait
log=$LRLAB_STATE/master-removal.log
ip netns exec "$LRLAB_SCAN_NS" timeout -k 10 120 "$LR_WINE" "$TESTS_EXE" \
  --gtest_filter=ProductLab.RemoveClientFromTheMenu >"$log" 2>&1
rc=$?
grep -a -E '^\[ +(OK|FAILED) +\]|Failure|Expected|Which is|^  |^figures' "$log" | head -n 30
REMOVAL_TAKEN=$(sed -n 's/^figures: the removal took \([0-9.]*\) s.*/\1/p' "$log")
suite_count_gtest "$log" "$rc"
echo "--- Hostprep.log of that boot"
iconv -f GBK -t UTF-8 "$MASTER_C/windows/Hostprep.log" 2>/dev/null | sed 's/\r$//' |
  tail -n +$((runs + 1)) | sed 's/^/    /'
if hostprep_running; then fail "master after the removal: no Hostprep left running"; else
  pass "master after the removal: no Hostprep left running"; fi
check_eq "master after the removal: no service, Run value, Hostprep.exe or settings file" \
  "ImagePath=<absent> hostprep=<absent> no-exe no-ini" \
  "$(regval "$SERVICE" ImagePath | sed 's/^/ImagePath=/') hostprep=$(regval "$RUN" hostprep) \
$([ -e "$MASTER_C/windows/Hostprep.exe" ] && echo exe || echo no-exe) \
$([ -e "$MASTER_C/windows/Myset.ini" ] && echo ini || echo no-ini)"

# A generation that can't write Hostprep.exe, then a boot of that master.
log=$LRLAB_STATE/master-held.log
ip netns exec "$LRLAB_SCAN_NS" timeout -k 10 120 "$LR_WINE" "$TESTS_EXE" \
  --gtest_filter=ProductLab.HeldHostprepLeavesNothingToStart >"$log" 2>&1
rc=$?
grep -a -E '^\[ +(OK|FAILED) +\]|Failure|Expected|Which is|^  |^the box' "$log" | head -n 30 |
  iconv -f GBK -t UTF-8 -c
suite_count_gtest "$log" "$rc"
runs=$(grep -ac . "$MASTER_C/windows/Hostprep.log" 2>/dev/null)
before=$(regdump)
WINEPREFIX=$MASTER_PREFIX "$LR_WINESERVER" -k >/dev/null 2>&1
WINEPREFIX=$MASTER_PREFIX "$LR_WINESERVER" -w
ip netns exec "$LRLAB_SCAN_NS" "$LR_WINESERVER" -p
wine_in wineboot >/dev/null 2>&1
# Nothing should start: the time a started service or Run value took above to log its line.
for i in $(seq 150); do
  [ "$(grep -ac . "$MASTER_C/windows/Hostprep.log" 2>/dev/null)" != "$runs" ] && break
  hostprep_running && break
  sleep 0.1
done
for i in $(seq 1200); do hostprep_running || break; sleep 0.1; done
check_eq "master after a failed generation: no Hostprep ran at its boot" "$runs" \
  "$(grep -ac . "$MASTER_C/windows/Hostprep.log" 2>/dev/null)"
check_eq "master after a failed generation: not renamed, registry unchanged over a boot" \
  "$before" "$(regdump)"
# The recorder logs each call as its exit code and the command line's bytes in hex; the
# generation's own powercfg call is there too, so only netsh ("netsh", "NETSH") counts.
check_eq "master after a failed generation: no address command ran" "" \
  "$(grep -aiE '6e65747368|4e45545348' "$MASTER_C/lrhp/calls.log" 2>/dev/null)"
stop_prefix "$MASTER_PREFIX"
MASTER_PREFIX=
cafe_down

# ---------------------------------------------------------------------------------------
# The clone: its only interface (one end of a veth pair) carries the MAC of the PC it is.
ip netns del "$CLONE_NS" 2>/dev/null
ip netns del "$PEER_NS" 2>/dev/null
ip netns add "$CLONE_NS" && ip netns add "$PEER_NS" &&
  ip link add "$CLONE_IF" netns "$CLONE_NS" type veth peer name lrpr1 netns "$PEER_NS" &&
  ip -n "$CLONE_NS" link set lo up && ip -n "$PEER_NS" link set lo up &&
  ip -n "$CLONE_NS" addr add 10.232.0.2/24 dev "$CLONE_IF" &&
  ip -n "$PEER_NS" addr add 10.232.0.1/24 dev lrpr1 &&
  ip -n "$PEER_NS" link set lrpr1 up ||
  { fail "clone namespaces"; finish; }

inns() { ip netns exec "$CLONE_NS" "$@"; }
wine_in() { inns "$LR_WINE" "$@"; }

calls() {  # the recorder's lines: "SHOW HEX"
  cat "$CLONE_PREFIX/drive_c/lrhp/calls.log" 2>/dev/null
}
wait_for() {  # FILE PATTERN: up to 15 s for a line of FILE matching PATTERN
  local i
  for i in $(seq 150); do
    grep -aq -- "$2" "$1" 2>/dev/null && return 0
    sleep 0.1
  done
  return 1
}

# boot_clone NAME MAC [keys]: a fresh prefix with the master's package ($CLONE_PACKAGE, the
# "按原样生成" one unless set), the recorder and its server in the clone namespace, the
# clone's interface named $2 of IFNAME (default "本地连接"); with "keys", a focused
# key-logging window.
KEYLOG_PID=
CLONE_PACKAGE=asis
IFNAME=本地连接
boot_clone() {
  echo "== clone $1 ($2)"
  export LR_EXTRA_OVERRIDES="netsh.exe=n;shutdown.exe=n"
  lr_wine_prefix "$WINE_DIR" "product-$1-$LRLAB_TAG" >/dev/null 2>&1 || { fail "$1: prefix"; return 1; }
  lr_wine_env
  CLONE_PREFIX=$WINEPREFIX
  ip -n "$CLONE_NS" link set "$CLONE_IF" down
  if [ "$IFNAME" != "$CLONE_IF" ]; then
    ip -n "$CLONE_NS" link set "$CLONE_IF" name "$IFNAME" && CLONE_IF=$IFNAME
  fi
  ip -n "$CLONE_NS" link set "$CLONE_IF" address "$2"
  ip -n "$CLONE_NS" link set "$CLONE_IF" up
  local c=$CLONE_PREFIX/drive_c
  cp "$PACKAGE/$CLONE_PACKAGE.ini" "$c/windows/Myset.ini"
  cp "$PACKAGE/Hostprep.exe" "$c/windows/Hostprep.exe" || { fail "$1: no executable to copy"; return 1; }
  cp "$RECORDER" "$c/windows/$LAB_SYSDIR/netsh.exe"
  cp "$RECORDER" "$c/windows/$LAB_SYSDIR/shutdown.exe"
  mkdir -p "$c/网吧" "$c/lrhp"
  cp "$RECORDER" "$c/网吧/prog.exe"
  inns "$LR_WINESERVER" -p
  wine_in reg add "HKLM\\$RUN" /v hostprep /d "$RUN_DATA" /f >/dev/null 2>&1
  KEYLOG_PID=
  if [ "${3:-}" = keys ]; then
    cp "$KEYLOG" "$c/lrhp/keylog.exe"
    wine_in 'C:\lrhp\keylog.exe' >/dev/null 2>&1 &
    KEYLOG_PID=$!
    local i
    for i in $(seq 200); do
      [ -f "$c/lrhp/keys.ready" ] && return 0
      sleep 0.1
    done
    fail "$1: the key-logging window got no focus"
    return 1
  fi
}
shutdown_clone() {
  stop_prefix "$CLONE_PREFIX"
  CLONE_PREFIX=
  [ -n "$KEYLOG_PID" ] && wait "$KEYLOG_PID" 2>/dev/null
  KEYLOG_PID=
}
# place_address IP: the clone's interface holds IP/24 and the default route via the gateway,
# as netsh leaves it on Windows: Hostprep reads the adapter's addresses back after netsh.
place_address() {
  ip -n "$CLONE_NS" addr flush dev "$CLONE_IF" &&
    ip -n "$CLONE_NS" addr add "$1/24" dev "$CLONE_IF" &&
    ip -n "$CLONE_NS" route replace default via "$GATEWAY" dev "$CLONE_IF"
}
# netsh by its full path from the system folder, as a program of either bitness names it.
NETSH='C:\windows\system32\netsh.exe'
run_hostprep() {  # sets RC and TAKEN
  local start end
  start=$(date +%s.%N)
  inns timeout 120 "$LR_WINE" 'C:\Windows\Hostprep.exe' >/dev/null 2>&1
  RC=$?
  end=$(date +%s.%N)
  TAKEN=$(awk "BEGIN { printf \"%.1f\", $end - $start }")
}

# --- The corrected PC's clone.
if boot_clone corrected "$CORRECTED_MAC" keys; then
  check_eq "corrected clone: Run value copied from the master" "C:\\Windows\\Hostprep.exe" \
    "$(regval "$RUN" hostprep)"
  place_address "$CORRECTED_IP"
  run_hostprep
  CORRECTED_TAKEN=$TAKEN
  check_eq "corrected clone: exit code 0" 0 "$RC"
  log=$CLONE_PREFIX/drive_c/lrhp/calls.log
  wait_for "$log" "$(gbk 'shutdown.exe' | hex)" || true
  name_hex=$(gbk "$CORRECTED_NAME" | hex)
  for kv in "$TCPIP1|NV Hostname" "$TCPIP1|Hostname" "$CNAME|ComputerName" \
    "$TCPIP|NV Hostname" "$TCPIP|Hostname"; do
    check_eq "corrected clone: ${kv%%|*}\\${kv#*|} is its name" "$name_hex" \
      "$(regval "${kv%%|*}" "${kv#*|}" | tr -d '\n' | hex)"
  done
  vnn=$(regval "$IPX" VirtualNetworkNumber)
  if [[ $vnn =~ ^0x[0-9a-fA-F]+$ ]] && ((vnn >= 5 && vnn <= 100003)); then
    pass "corrected clone: IPX network number $((vnn)) in 5..100003"
  else
    fail "corrected clone: IPX network number in 5..100003" "got [$vnn]"
  fi
  check_eq "corrected clone: Run value removed" "<absent>" "$(regval "$RUN" hostprep)"
  netsh_hex=$(gbk "$NETSH interface ip set address 本地连接 static $CORRECTED_IP $MASK $GATEWAY 1" | hex)
  prog_hex=$(gbk "$PROGRAM" | hex)
  check_eq "corrected clone: the address command's exact bytes, hidden" "0 $netsh_hex" \
    "$(grep -a " $netsh_hex\$" "$log" 2>/dev/null | head -1)"
  check_eq "corrected clone: the program started in a shown window" "5 $prog_hex" \
    "$(grep -a " $prog_hex\$" "$log" 2>/dev/null | head -1)"
  restart=$(calls | awk '{ print $2 }' | while read -r h; do
    printf '%b\n' "$(printf '%s' "$h" | sed 's/../\\x&/g')"; done | grep -a shutdown | head -1)
  if [[ $restart == *"-r -t 0" ]]; then pass "corrected clone: restart command"; else
    fail "corrected clone: restart command" "got [$restart]"; fi
  # F3; P with Shift; w; 7; x; Enter (the unlock password Pw7x).
  check_eq "corrected clone: unlock keys F3, password, Enter" \
    "D 72 U 72 D 10 D 50 C 50 U 50 U 10 D 57 C 77 U 57 D 37 C 37 U 37 D 58 C 78 U 58 D 0d C 0d U 0d" \
    "$(awk '{ printf "%s%s %s", (NR > 1 ? " " : ""), $1, $2 }' "$CLONE_PREFIX/drive_c/lrhp/keys.log" 2>/dev/null)"
fi
shutdown_clone

# --- A clone whose MAC no row holds: nothing changes.
if boot_clone unlisted "$UNLISTED_MAC"; then
  before=$(regdump)
  case "$before" in *"hostprep=C:\\Windows\\Hostprep.exe"*) pass "unlisted clone: Run value copied" ;;
    *) fail "unlisted clone: Run value copied" "$before" ;; esac
  run_hostprep
  UNLISTED_TAKEN=$TAKEN
  check_eq "unlisted clone: exit code 4 (no entry)" 4 "$RC"
  sleep 1
  check_eq "unlisted clone: registry unchanged, Run value kept" "$before" "$(regdump)"
  check_eq "unlisted clone: nothing started" "" "$(calls)"
fi
shutdown_clone

# applied_clone NAME MAC IP COMPUTERNAME: the clone took that name and address, with netsh
# on the connection $IFNAME.
applied_clone() {
  if boot_clone "$1" "$2" keys; then
    place_address "$3"
    run_hostprep
    check_eq "$1 clone: exit code 0" 0 "$RC"
    log=$CLONE_PREFIX/drive_c/lrhp/calls.log
    wait_for "$log" "$(gbk 'netsh' | hex)" || true
    check_eq "$1 clone: ComputerName" "$(gbk "$4" | hex)" \
      "$(regval "$CNAME" ComputerName | tr -d '\n' | hex)"
    check_eq "$1 clone: Run value removed" "<absent>" "$(regval "$RUN" hostprep)"
    netsh_hex=$(gbk "$NETSH interface ip set address $IFNAME static $3 $MASK $GATEWAY 1" | hex)
    check_eq "$1 clone: netsh on \"$IFNAME\"" "0 $netsh_hex" \
      "$(grep -a " $netsh_hex\$" "$log" 2>/dev/null | head -1)"
  fi
  shutdown_clone
}

# --- From the NetBIOS scan's fixed package: the PC scanned in the "." form, its adapter named as
# on Windows 10; a clone holding the master's MAC, which the list lacks.
CLONE_PACKAGE=nbt
IFNAME=以太网
applied_clone fixed-nbt "$NBT_FORM_MAC" "$NBT_FORM_IP" "$NBT_FORM_NAME"
IFNAME=本地连接
if boot_clone master "$MASTER_MAC"; then
  before=$(regdump)
  run_hostprep
  # The master is not a row of the scanned list: it finds no entry of its own, so the guard
  # (for the master's own entry) has nothing to refuse and nothing is applied.
  check_eq "master clone: exit code 4 (no entry of its own)" 4 "$RC"
  sleep 1
  check_eq "master clone: registry unchanged, Run value kept" "$before" "$(regdump)"
  check_eq "master clone: nothing started" "" "$(calls)"
fi
shutdown_clone

# --- From the ICMP scan's fixed package: the reverse name cut to its first label.
CLONE_PACKAGE=icmp
applied_clone fixed-icmp "$REVERSE_MAC" "$REVERSE_IP" pc20

echo "figures: corrected clone ${CORRECTED_TAKEN:-?} s (fixed pauses 21.5 s), unlisted clone" \
  "${UNLISTED_TAKEN:-?} s (no pauses); Wine start-up included; the master's boot" \
  "${BOOT_TAKEN:-?} s until its last process ended; the removal during its service's adapter" \
  "wait ${REMOVAL_TAKEN:-?} s"
finish
