#!/usr/bin/env bash
# The clone requests end to end, under Wine, on one lab segment (a bridge in a switch
# namespace) with three namespaces on it: the master, whose real "克隆机申请" dialog a helper
# thread drives (tests/lab/assign); two clones whose MACs are not in the package, running the
# real Hostprep.exe as the boot service (netsh and shutdown replaced by the recorder of the
# Hostprep suite), of which only the first is assigned; and a forger answering every request
# with its own key and replaying the window's answers as they were and altered. The second
# clone is then stopped while it asks. The clone holds .40 already, so the address read back after the
# recorded netsh is there. A second clone boot without AssignKey shows today's exit code 4.
# Prints the time from the click on "分配" to the clone's log line. Needs root; about 3 min.
#
#   LR_LAB_BUILD     build/win64 (default) or build/win32 (tests/lab/lib/lab_build.sh)
set -u
cd "$(dirname "$0")/../.."
ROOT=$PWD
WORK=$ROOT/build/lab-assign
SW=lras-sw MASTER=lras-master CLONE=lras-clone CLONE2=lras-clone2 FORGER=lras-forger
KEY=00112233445566778899AABBCCDDEEFF

source scripts/lib/wine.sh
source tests/lab/lib/suite.sh
source tests/lab/lib/lab_build.sh
lab_build_use "$ROOT"
HOSTPREP=$BUILD/apps/Hostprep/Hostprep.exe
RECORDER=$BUILD/tests/lab/hostprep/lrhp_recorder.exe
LAB_EXE=$BUILD/tests/lab/assign/lr_lab_assign.exe

cleanup() {
  for p in "$WORK"/wine/as-*; do [ -d "$p" ] && WINEPREFIX=$p "$LR_WINESERVER" -k >/dev/null 2>&1; done
  for ns in $MASTER $CLONE $CLONE2 $FORGER $SW; do ip netns del "$ns" 2>/dev/null; done
  lr_xvfb_stop
  rm -rf "$WORK"/wine/as-*
}
trap cleanup EXIT
suite_need_root
lab_build Hostprep lrhp_recorder lr_lab_assign || { FAILED=1; finish; exit 1; }

# The segment: a bridge in the switch namespace, one veth to each of the others.
for ns in $MASTER $CLONE $CLONE2 $FORGER $SW; do ip netns del "$ns" 2>/dev/null; ip netns add "$ns"; done
ip -n $SW link add br0 type bridge && ip -n $SW link set br0 up
n=0
for pair in "$MASTER eth0 00:1a:2b:3c:4d:01 192.168.77.1" "$CLONE 本地连接 00:1a:2b:3c:4d:40 192.168.77.40" \
            "$CLONE2 本地连接 00:1a:2b:3c:4d:41 192.168.77.41" "$FORGER eth0 00:1a:2b:3c:4d:66 192.168.77.66"; do
  set -- $pair
  n=$((n + 1))
  ip link add "$2" netns "$1" address "$3" type veth peer name "sw$n" netns $SW
  ip -n $SW link set "sw$n" master br0 && ip -n $SW link set "sw$n" up
  ip -n "$1" link set lo up && ip -n "$1" link set "$2" up && ip -n "$1" addr add "$4/24" dev "$2"
done
ip -n $CLONE route replace default via 192.168.77.1 dev 本地连接
ip -n $CLONE2 route replace default via 192.168.77.1 dev 本地连接
for ns in $MASTER $FORGER; do lab_no_route_out $ns 2>/dev/null || ! ip -n $ns route show default | grep -q . ||
  { echo "namespace $ns routes out"; FAILED=1; finish; exit 1; }; done

lr_zh_locale "$ROOT/build/locale"
lr_xvfb_start || { FAILED=1; finish; exit 1; }
export LR_EXTRA_OVERRIDES="netsh.exe=n;shutdown.exe=n"
lr_wine_env
mkdir -p "$WORK/wine"
# prefix NAME: a fresh prefix; its path in PFX.
prefix() { lr_wine_prefix "$WORK/wine" "as-$1" >/dev/null 2>&1; PFX=$WINEPREFIX; }
# inpfx NS PREFIX PROGRAM...: a Wine program of that prefix in that namespace.
inpfx() { local ns=$1 p=$2; shift 2; ip netns exec "$ns" env WINEPREFIX="$p" "$@"; }
settings() {  # PREFIX LINES...: C:\Windows\Myset.ini, GBK with CR LF
  local p=$1; shift
  printf '%s\r\n' "$@" | iconv -f UTF-8 -t GBK >"$p/drive_c/windows/Myset.ini"
}
AUTOSET=('[AutoSet]' 'Gateway=192.168.77.1' 'Mask=255.255.255.0' 'MasterMAC=00-1A-2B-3C-4D-01')

prefix master; MPFX=$PFX
settings "$MPFX" "${AUTOSET[@]}" "AssignKey=$KEY" '[InfoList]' '00-1A-2B-3C-4D-21=192.168.77.21~PC21'
cp "$LAB_EXE" "$MPFX/drive_c/assign_lab.exe"
prefix forger; FPFX=$PFX
cp "$LAB_EXE" "$FPFX/drive_c/assign_lab.exe"

# clone_prefix NS NAME: a clone with the recorder for netsh and shutdown and the service
# registered; its prefix in PFX.
clone_prefix() {
  prefix "$2"
  cp "$HOSTPREP" "$PFX/drive_c/windows/Hostprep.exe"
  cp "$RECORDER" "$PFX/drive_c/windows/$LAB_SYSDIR/netsh.exe"
  cp "$RECORDER" "$PFX/drive_c/windows/$LAB_SYSDIR/shutdown.exe"
  inpfx "$1" "$PFX" "$LR_WINESERVER" -p
  inpfx "$1" "$PFX" "$LR_WINE" sc create hostprep binPath= 'C:\Windows\Hostprep.exe' start= auto >/dev/null 2>&1
  inpfx "$1" "$PFX" "$LR_WINESERVER" -k
}
# boot NS PREFIX: a fresh persistent server in the clone's namespace and wineboot, which
# starts the service.
boot() {
  inpfx "$1" "$2" "$LR_WINESERVER" -p
  inpfx "$1" "$2" "$LR_WINE" wineboot >/dev/null 2>&1
}
calls() { [ -f "$1/drive_c/lrhp/calls.log" ] && while read -r show h; do
  printf '%s %b\n' "$show" "$(printf '%s' "$h" | sed 's/../\\x&/g')"; done <"$1/drive_c/lrhp/calls.log"; }
netsh_lines() { calls "$1" | iconv -f GBK -t UTF-8 | sed 's/^\([0-9]*\) .*\\netsh.exe/\1 netsh.exe/I'; }
runlog() { [ -f "$1/drive_c/windows/Hostprep.log" ] && iconv -f GBK -t UTF-8 <"$1/drive_c/windows/Hostprep.log" | tr -d '\r'; }
regval() {  # NS PREFIX KEY VALUE
  inpfx "$1" "$2" "$LR_WINE" reg query "HKLM\\$3" /v "$4" 2>/dev/null | tr -d '\r' |
    grep -a "^    $4    REG_" | sed -E "s/^    .{${#4}}    REG_[A-Z_]+    //"
}
hostprep_gone() { for i in $(seq "$1"); do pgrep -if 'hostprep\.exe' >/dev/null || return 0; sleep 1; done; return 1; }
DHCP='0 netsh.exe interface ip set address name=本地连接 source=dhcp'

echo "--- two unknown clones ask; the window assigns PC40 and .40 to the first"
WITH_KEY=("${AUTOSET[@]}" "AssignKey=$KEY" '[InfoList]' '00-1A-2B-3C-4D-21=192.168.77.21~PC21')
clone_prefix $CLONE clone; CPFX=$PFX
settings "$CPFX" "${WITH_KEY[@]}"
clone_prefix $CLONE2 clone2; C2PFX=$PFX
settings "$C2PFX" "${WITH_KEY[@]}"
before2=$(od -An -tx1 "$C2PFX/drive_c/windows/Myset.ini")
inpfx $MASTER "$MPFX" "$LR_WINESERVER" -p
inpfx $FORGER "$FPFX" "$LR_WINESERVER" -p
inpfx $FORGER "$FPFX" "$LR_WINE" 'C:\assign_lab.exe' forge 200 >"$WORK/forger.out" 2>&1 &
FORGER_PID=$!
inpfx $MASTER "$MPFX" "$LR_WINE" 'C:\assign_lab.exe' master 'C:\Windows\Myset.ini' 00-1A-2B-3C-4D-40 \
  192.168.77.40 PC40 "Z:${CPFX//\//\\}\\drive_c\\windows\\Hostprep.log" >"$WORK/master.out" 2>&1 &
MASTER_PID=$!
sleep 2
boot $CLONE "$CPFX"
boot $CLONE2 "$C2PFX"
wait $MASTER_PID
iconv -f GBK -t UTF-8 <"$WORK/master.out" | tr -d '\r' | tee "$WORK/master.txt"
sleep 5
grep -q 'request seen: .* 00-1A-2B-3C-4D-40 listed' "$WORK/master.txt" &&
  pass "the request shows the clone's MAC" || fail "the request shows the clone's MAC"
grep -q 'click to the clone' "$WORK/master.txt" && pass "the clone logged after the click" ||
  fail "the clone logged after the click"
check_eq "the host list holds the new row" "row: 192.168.77.40 00-1A-2B-3C-4D-40 PC40" \
  "$(grep '^row:' "$WORK/master.txt")"
check_eq "the clone's commands: DHCP, then .40 on its connection" \
  "$(printf '%s\n0 netsh.exe interface ip set address 本地连接 static 192.168.77.40 255.255.255.0 192.168.77.1 1' "$DHCP")" \
  "$(netsh_lines "$CPFX")"
check_eq "the clone took the name PC40" "PC40" "$(regval $CLONE "$CPFX" 'SYSTEM\CurrentControlSet\Control\ComputerName\ComputerName' ComputerName)"
check_eq "the clone removed its service" "" "$(regval $CLONE "$CPFX" 'SYSTEM\CurrentControlSet\Services\hostprep' ImagePath)"
runlog "$CPFX" | tail -1
case "$(runlog "$CPFX")" in *已得到分配*已完成配置*) pass "the log says assigned and configured" ;;
  *) fail "the log says assigned and configured" "$(runlog "$CPFX")" ;; esac
case "$(runlog "$CPFX")" in *签名不符*) pass "the forged answers were counted and refused" ;;
  *) fail "the forged answers were counted and refused" "$(runlog "$CPFX")" ;; esac

# The second clone heard the window's answer and its replays: other nonces, another MAC.
sleep 5
start=$(date +%s%N)
inpfx $CLONE2 "$C2PFX" "$LR_WINE" sc stop hostprep >/dev/null 2>&1
for i in $(seq 100); do runlog "$C2PFX" | grep -q 服务停止 && break; sleep 0.1; done
echo "second clone: stop to its log line $(( ($(date +%s%N) - start) / 1000000 )) ms"
runlog "$C2PFX" | tail -1
case "$(runlog "$C2PFX")" in *服务停止*随机数不符*'（退出码 18）'*) pass "second clone: the replays refused, stopped, exit code 18" ;;
  *) fail "second clone: the replays refused, stopped, exit code 18" "$(runlog "$C2PFX")" ;; esac
check_eq "second clone: only DHCP, Myset.ini unchanged" "$DHCP$before2" \
  "$(netsh_lines "$C2PFX")$(od -An -tx1 "$C2PFX/drive_c/windows/Myset.ini")"
kill $FORGER_PID 2>/dev/null; wait $FORGER_PID 2>/dev/null
cat "$WORK/forger.out"
for p in "$CPFX" "$C2PFX" "$MPFX" "$FPFX"; do WINEPREFIX=$p "$LR_WINESERVER" -k >/dev/null 2>&1; done
hostprep_gone 30

echo "--- without AssignKey an unknown clone changes nothing (exit code 4)"
clone_prefix $CLONE clone; CPFX=$PFX
settings "$CPFX" "${AUTOSET[@]}" '[InfoList]' '00-1A-2B-3C-4D-21=192.168.77.21~PC21'
before=$(od -An -tx1 "$CPFX/drive_c/windows/Myset.ini")
boot $CLONE "$CPFX"
sleep 5
hostprep_gone 90
runlog "$CPFX" | tail -1
case "$(runlog "$CPFX")" in *'（退出码 4）'*) pass "option off: exit code 4" ;; *) fail "option off: exit code 4" "$(runlog "$CPFX")" ;; esac
check_eq "option off: no command, Myset.ini unchanged" "$before" "$(calls "$CPFX")$(od -An -tx1 "$CPFX/drive_c/windows/Myset.ini")"
WINEPREFIX=$CPFX "$LR_WINESERVER" -k >/dev/null 2>&1
finish
