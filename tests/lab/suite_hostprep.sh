#!/usr/bin/env bash
# End-to-end test of Hostprep.exe on a simulated clone, under Wine.
#
# A lab namespace with two network interfaces (each one end of a veth pair whose other end
# sits in a second lab namespace) carrying MAC addresses of our choosing, so the UUID
# generator reports the first one's MAC and the adapter list both. Wine gives an interface's
# name as its connection name: the first is "本地连接", the second "以太网". Each case runs
# the real Hostprep.exe in a throwaway Wine prefix holding C:\Windows\Myset.ini and the Run
# value hostprep, with netsh.exe and shutdown.exe replaced by a recorder of their command
# line bytes and window mode, and a window of ours holding the keyboard focus under Xvfb
# that logs the keys it receives. Registry values are read while the case's wineserver still
# lives (Wine resets the computer name when a server starts afresh). The fixed pauses of the
# program are real: the full case takes about 22 s.
#
#   LR_LAB_BUILD       the build folder: build/win64 (default) or the shipped 32-bit
#                      build/win32 (tests/lab/lib/lab_build.sh; LR_HOSTPREP_BUILD is read too)
#   LR_HOSTPREP_WORK   the folder for prefixes and logs (default build/lab-hostprep)
#   LR_HOSTPREP_WIN32  the shipped 32-bit Hostprep.exe, checked when present
#                      (default build/win32/apps/Hostprep/Hostprep.exe)
#
# Needs root (network namespaces). Ends with "N passed, N failed"; tears everything down.
set -u
cd "$(dirname "$0")/../.."
ROOT=$PWD
WORK=${LR_HOSTPREP_WORK:-$ROOT/build/lab-hostprep}
# Names of this run's own: suites of other work trees may run at the same time.
NS=lrhp-clone$$
PEER=lrhp-peer$$

source scripts/lib/wine.sh
source tests/lab/lib/suite.sh
source tests/lab/lib/lab_build.sh
LR_LAB_BUILD=${LR_LAB_BUILD:-${LR_HOSTPREP_BUILD:-}} lab_build_use "$ROOT"

HOSTPREP=$BUILD/apps/Hostprep/Hostprep.exe
RECORDER=$BUILD/tests/lab/hostprep/lrhp_recorder.exe
KEYLOG=$BUILD/tests/lab/hostprep/lrhp_keylog.exe
SVCSTATE=$BUILD/tests/lab/hostprep/lrhp_svcstate.exe


cleanup() {
  [ -n "${WINEPREFIX:-}" ] && "$LR_WINESERVER" -k >/dev/null 2>&1
  ip netns del "$NS" 2>/dev/null
  ip netns del "$PEER" 2>/dev/null
  rm -rf "/etc/netns/$NS"
  lr_xvfb_stop
  rm -rf "$WORK/wine/case-"*
}
trap cleanup EXIT

for f in "$HOSTPREP" "$RECORDER" "$KEYLOG" "$SVCSTATE"; do
  [ -f "$f" ] || { echo "missing $f (build the $LAB_PRESET preset first)"; echo "0 passed, 1 failed"; exit 1; }
done
lab_build_runs || { echo "0 passed, 1 failed"; exit 1; }

# The lab: the clone namespace's interfaces are IF_A and IF_B; their peers are in a second
# namespace. IF_B keeps MAC_C throughout.
IF_A=本地连接
IF_B=以太网
MAC_C=00:1a:2b:3c:4d:62
ip netns del "$NS" 2>/dev/null
ip netns del "$PEER" 2>/dev/null
ip netns add "$NS" && ip netns add "$PEER" &&
  ip link add "$IF_A" netns "$NS" type veth peer name lrhp1 netns "$PEER" &&
  ip link add "$IF_B" netns "$NS" type veth peer name lrhp2 netns "$PEER" &&
  ip -n "$NS" link set "$IF_B" address "$MAC_C" && ip -n "$NS" link set "$IF_B" up &&
  ip -n "$NS" link set lo up && ip -n "$PEER" link set lo up &&
  ip -n "$PEER" addr add 10.231.0.1/24 dev lrhp1 &&
  ip -n "$PEER" link set lrhp1 up && ip -n "$PEER" link set lrhp2 up ||
  { echo "could not make the lab namespaces"; echo "0 passed, 1 failed"; exit 1; }

# place_address IFACE IP: the clone's only address IP/24 on IFACE, its gateway 10.231.0.1
# (the peer namespace, which has no route on): what Hostprep reads back after netsh.
place_address() {
  ip -n "$NS" addr flush dev "$IF_A"
  ip -n "$NS" addr flush dev "$IF_B"
  ip -n "$NS" addr add "$2/24" dev "$1" && ip -n "$NS" route replace default via 10.231.0.1 dev "$1"
}

set_mac() {
  ip -n "$NS" link set "$IF_A" down
  ip -n "$NS" link set "$IF_A" address "$1"
  ip -n "$NS" link set "$IF_A" up
}

lr_zh_locale "$ROOT/build/locale"
lr_xvfb_start || { echo "0 passed, 1 failed"; exit 1; }
export LR_EXTRA_OVERRIDES="netsh.exe=n;shutdown.exe=n"
mkdir -p "$WORK/wine"

# Every Wine process of a case runs inside the clone namespace.
inns() { ip netns exec "$NS" "$@"; }
wine_in() { inns "$LR_WINE" "$@"; }

gbk() { printf '%s' "$1" | iconv -f UTF-8 -t GBK; }
hex() { od -An -v -tx1 | tr -d ' \n'; }

# The password scrambling: byte i (from 1) XOR key[i mod 3], key 0E 05 1A, upper-case hex.
encode_pw() {
  local pw=$1 i out="" key=(14 5 26)
  for ((i = 0; i < ${#pw}; i++)); do
    out+=$(printf '%02X' $(($(printf '%d' "'${pw:i:1}") ^ key[(i + 1) % 3])))
  done
  printf '%s' "$out"
}

# Writes C:\Windows\Myset.ini: UTF-8 lines given as arguments, stored as GBK with CR LF.
write_settings() {
  printf '%s\r\n' "$@" | iconv -f UTF-8 -t GBK >"$WINEPREFIX/drive_c/windows/Myset.ini"
}
settings_hex() { od -An -v -tx1 "$WINEPREFIX/drive_c/windows/Myset.ini" | tr -d ' \n'; }

source tests/lab/lib/clone_registry.sh

# start_case NAME MAC: a fresh prefix with our programs in place, its wineserver and the
# focused key-logging window running inside the clone namespace, and the Run value set.
start_case() {
  CASE=$1
  echo "--- $CASE"
  lr_wine_prefix "$WORK/wine" "case-$CASE" >/dev/null 2>&1 || { fail "$CASE: prefix"; return 1; }
  set_mac "$2"
  local c=$WINEPREFIX/drive_c
  mkdir -p "$c/lrhp"
  cp "$HOSTPREP" "$c/windows/Hostprep.exe"
  cp "$RECORDER" "$c/windows/$LAB_SYSDIR/netsh.exe"
  cp "$RECORDER" "$c/windows/$LAB_SYSDIR/shutdown.exe"
  cp "$RECORDER" "$c/lrhp/prog.exe"
  cp "$KEYLOG" "$c/lrhp/keylog.exe"
  cp "$SVCSTATE" "$c/lrhp/svcstate.exe"
  inns "$LR_WINESERVER" -p
  wine_in reg add "HKLM\\$RUN" /v hostprep /d 'C:\Windows\Hostprep.exe' /f >/dev/null 2>&1
  wine_in 'C:\lrhp\keylog.exe' >/dev/null 2>&1 &
  KEYLOG_PID=$!
  local i
  for i in $(seq 200); do
    [ -f "$c/lrhp/keys.ready" ] && return 0
    sleep 0.1
  done
  fail "$CASE: the key-logging window got no focus"
  return 1
}

end_case() {
  "$LR_WINESERVER" -k >/dev/null 2>&1
  wait "$KEYLOG_PID" 2>/dev/null
  rm -rf "$WINEPREFIX"
}

# run_hostprep: runs C:\Windows\Hostprep.exe, sets RC and SECONDS_TAKEN.
run_hostprep() {
  local start end
  start=$(date +%s.%N)
  timeout 120 "$SHELL_INNS" >/dev/null 2>&1
  RC=$?
  end=$(date +%s.%N)
  SECONDS_TAKEN=$(awk "BEGIN { printf \"%.2f\", $end - $start }")
}
SHELL_INNS=$WORK/run-hostprep.sh
cat >"$SHELL_INNS" <<EOF
#!/bin/sh
exec ip netns exec $NS $LR_WINE 'C:\\Windows\\Hostprep.exe'
EOF
chmod +x "$SHELL_INNS"

# calls: the recorder's lines as "SHOW COMMAND" (command bytes as GBK, shown as they are).
calls() {
  local f=$WINEPREFIX/drive_c/lrhp/calls.log show h
  [ -f "$f" ] || return 0
  while read -r show h; do
    printf '%s ' "$show"
    printf '%b' "$(printf '%s' "$h" | sed 's/../\\x&/g')"
    echo
  done <"$f"
}

# keys: the key log as "D vk" / "U vk" / "C code" words, one string.
keys() {
  local f=$WINEPREFIX/drive_c/lrhp/keys.log
  [ -f "$f" ] || return 0
  awk '{ printf "%s%s %s", (NR > 1 ? " " : ""), $1, $2 }' "$f"
}

wait_for_call() {  # PATTERN: waits up to 15 s for a recorded command matching PATTERN
  local i
  for i in $(seq 150); do
    calls | grep -aq -- "$1" && return 0
    sleep 0.1
  done
  return 1
}

# runlog: C:\Windows\Hostprep.log in UTF-8 without its CR.
runlog() {
  local f=$WINEPREFIX/drive_c/windows/Hostprep.log
  [ -f "$f" ] && iconv -f GBK -t UTF-8 <"$f" | tr -d '\r'
}
# check_log_lines WHAT PATTERN: Hostprep.log holds one CR LF line per run so far, each with
# the time and the MACs, the codes in the order of PATTERN's alternatives.
check_log_lines() {
  local f=$WINEPREFIX/drive_c/windows/Hostprep.log want got
  want=$(printf '%s' "$2" | tr '|' '\n')
  got=$(runlog | grep -oE '（退出码 [0-9]+）')
  check_eq "$1: Hostprep.log, one line per run" "$want" "$got"
  if [ -f "$f" ] && [ "$(grep -c $'\r$' "$f")" = "$(wc -l <"$f")" ] &&
    ! runlog | grep -vqE '^[0-9]{4}-[0-9]{2}-[0-9]{2} [0-9]{2}:[0-9]{2}:[0-9]{2}  MAC: '; then
    pass "$1: Hostprep.log lines in CR LF with time and MACs"
  else
    fail "$1: Hostprep.log lines in CR LF with time and MACs" "$(runlog)"
  fi
}
# boxes: the texts of the message boxes the key-logging window answered, one line each.
boxes() {
  local f=$WINEPREFIX/drive_c/lrhp/boxes.log
  [ -f "$f" ] && cat "$f"
}

# --- The executables: only system DLLs at load time (static run time; rpcrt4.dll and
# iphlpapi.dll are loaded at run time; ws2_32.dll for asking the window for an entry), and no
# import newer than Windows XP.
WIN32_HOSTPREP=${LR_HOSTPREP_WIN32:-$ROOT/build/win32/apps/Hostprep/Hostprep.exe}
for exe in "$HOSTPREP" "$WIN32_HOSTPREP"; do
  [ -f "$exe" ] || continue
  label=$(basename "$(cd "$(dirname "$exe")/../.." && pwd)")
  imports=$(x86_64-w64-mingw32-objdump -p "$exe" 2>/dev/null || i686-w64-mingw32-objdump -p "$exe")
  dlls=$(printf '%s\n' "$imports" | awk '/DLL Name:/ { print toupper($3) }' | sort | paste -sd ' ')
  check_eq "$label: load-time DLLs" \
    "ADVAPI32.DLL KERNEL32.DLL MSVCRT.DLL USER32.DLL WS2_32.DLL" "$dlls"
  if printf '%s\n' "$imports" | grep -q 'GetTickCount64'; then
    fail "$label: no GetTickCount64 import"
  else
    pass "$label: no GetTickCount64 import"
  fi
done

MAC_A=00:1a:2b:3c:4d:5e
MAC_B=00:1a:2b:3c:4d:5f
MAC_UNKNOWN=00:1a:2b:3c:4d:60
PASSWORD='Pw7x'
# F3; P with Shift; w; 7; x; Enter. WM_CHAR follows each key-down.
UNLOCK_KEYS="D 72 U 72 D 10 D 50 C 50 U 50 U 10 D 57 C 77 U 57 D 37 C 37 U 37 D 58 C 78 U 58 D 0d C 0d U 0d"
NAME_A='网吧-21'
# netsh by its full path: Wine's system folder, as a program of either bitness sees it.
SYSFOLDER='C:\windows\system32'
NETSH="$SYSFOLDER\netsh.exe"
NETSH_PREFIX="$NETSH interface ip set address 本地连接 static "

# --- Case A: every option ---------------------------------------------------------------
if start_case full "$MAC_A"; then
  full_rest=('CanReboot=Yes' 'CanModifyRA2=Yes' 'ExecutePath=C:\lrhp\prog.exe /tray 网吧'
    'FormStat=1' '[InfoList]' '00-1A-2B-3C-4D-60=10.231.0.60~PC60'
    "00-1A-2B-3C-4D-5E=10.231.0.21~$NAME_A")
  write_settings '[AutoSet]' 'Gateway=10.231.0.1' 'Mask=255.255.255.0' "${full_rest[@]}"
  without_pw=$(settings_hex)
  write_settings '[AutoSet]' 'Gateway=10.231.0.1' 'Mask=255.255.255.0' \
    "UnlockPW=$(encode_pw "$PASSWORD")" "${full_rest[@]}"
  place_address "$IF_A" 10.231.0.21
  run_hostprep
  FULL_SECONDS=$SECONDS_TAKEN
  check_eq "full: exit code 0" 0 "$RC"
  wait_for_call shutdown || true
  name_hex=$(gbk "$NAME_A" | hex)
  check_eq "full: NV Hostname (ControlSet001)" "$name_hex" "$(regval "$TCPIP1" 'NV Hostname' | tr -d '\n' | hex)"
  check_eq "full: Hostname (ControlSet001)" "$name_hex" "$(regval "$TCPIP1" Hostname | tr -d '\n' | hex)"
  check_eq "full: computer name" "$name_hex" "$(regval "$CNAME" ComputerName | tr -d '\n' | hex)"
  check_eq "full: NV Hostname" "$name_hex" "$(regval "$TCPIP" 'NV Hostname' | tr -d '\n' | hex)"
  check_eq "full: Hostname" "$name_hex" "$(regval "$TCPIP" Hostname | tr -d '\n' | hex)"
  vnn=$(regval "$IPX" VirtualNetworkNumber)
  if [[ $vnn =~ ^0x[0-9a-fA-F]+$ ]] && ((vnn >= 5 && vnn <= 100003)); then
    pass "full: VirtualNetworkNumber $((vnn)) in 5..100003"
  else
    fail "full: VirtualNetworkNumber in 5..100003" "got [$vnn]"
  fi
  check_eq "full: Run value removed" "<absent>" "$(regval "$RUN" hostprep)"
  check_eq "full: UnlockPW gone from Myset.ini, the rest unchanged" "$without_pw" "$(settings_hex)"

  netsh_hex=$(gbk "${NETSH_PREFIX}10.231.0.21 255.255.255.0 10.231.0.1 1" | hex)
  log=$WINEPREFIX/drive_c/lrhp/calls.log
  check_eq "full: address command bytes, hidden" "0 $netsh_hex" "$(grep -a " $netsh_hex\$" "$log" 2>/dev/null | head -1)"
  prog_hex=$(gbk 'C:\lrhp\prog.exe /tray 网吧' | hex)
  check_eq "full: program started shown" "5 $prog_hex" "$(grep -a " $prog_hex\$" "$log" 2>/dev/null | head -1)"
  reboot=$(calls | grep -a 'shutdown' | head -1)
  if [[ $reboot == *"-r -t 0" ]]; then pass "full: restart command"; else
    fail "full: restart command" "got [$reboot]"; fi
  check_eq "full: started commands in order" "netsh prog shutdown" \
    "$(calls | awk '/netsh/ { p = "netsh" } /prog.exe/ { p = "prog" } /shutdown/ { p = "shutdown" }
                    { printf "%s%s", (NR > 1 ? " " : ""), p }')"
  # F3; P with Shift; w; 7; x; Enter. WM_CHAR follows each key-down.
  check_eq "full: keys F3, password, Enter" \
    "D 72 U 72 D 10 D 50 C 50 U 50 U 10 D 57 C 77 U 57 D 37 C 37 U 37 D 58 C 78 U 58 D 0d C 0d U 0d" \
    "$(keys)"
  end_case
fi

# --- Case B: no options; the entry's key in lower case ------------------------------------
if start_case plain "$MAC_B"; then
  write_settings '[AutoSet]' 'Gateway=10.231.0.1' 'Mask=255.255.255.0' 'UnlockPW=' \
    'CanReboot=No' 'CanModifyRA2=No' 'ExecutePath=C:\lrhp\prog.exe' 'FormStat=0' \
    '[InfoList]' '00-1a-2b-3c-4d-5f=10.231.0.22~PC22'
  place_address "$IF_A" 10.231.0.22
  run_hostprep
  PLAIN_SECONDS=$SECONDS_TAKEN
  check_eq "plain: exit code 0" 0 "$RC"
  check_eq "plain: computer name" "PC22" "$(regval "$CNAME" ComputerName)"
  check_eq "plain: Hostname" "PC22" "$(regval "$TCPIP" Hostname)"
  check_eq "plain: no VirtualNetworkNumber" "<absent>" "$(regval "$IPX" VirtualNetworkNumber)"
  check_eq "plain: Run value removed" "<absent>" "$(regval "$RUN" hostprep)"
  wait_for_call prog.exe || true
  sleep 2  # a restart command would have been recorded by now
  check_eq "plain: address command and hidden program, no restart" \
    "0 ${NETSH_PREFIX}10.231.0.22 255.255.255.0 10.231.0.1 1|0 C:\\lrhp\\prog.exe" \
    "$(calls | iconv -f GBK -t UTF-8 | paste -sd '|')"
  check_eq "plain: no keys" "" "$(keys)"
  end_case
fi

# --- Case C: a MAC without an entry, no settings file, then a clone holding a master MAC ---
if start_case unknown "$MAC_UNKNOWN"; then
  write_settings '[AutoSet]' 'Gateway=10.231.0.1' 'Mask=255.255.255.0' \
    "UnlockPW=$(encode_pw "$PASSWORD")" 'CanReboot=Yes' 'CanModifyRA2=Yes' \
    'ExecutePath=C:\lrhp\prog.exe' 'FormStat=1' '[InfoList]' '00-1A-2B-3C-4D-5E=10.231.0.21~PC21'
  before=$(regdump)
  run_hostprep
  UNKNOWN_SECONDS=$SECONDS_TAKEN
  check_eq "unknown MAC: exit code 4" 4 "$RC"
  sleep 1
  check_eq "unknown MAC: registry unchanged, Run value kept" "$before" "$(regdump)"
  check_eq "unknown MAC: nothing started" "" "$(calls)"
  check_eq "unknown MAC: no keys" "" "$(keys)"
  case "$before" in *"hostprep=C:\\Windows\\Hostprep.exe"*) pass "unknown MAC: Run value was set" ;;
    *) fail "unknown MAC: Run value was set" "$before" ;; esac

  rm -f "$WINEPREFIX/drive_c/windows/Myset.ini"
  run_hostprep
  check_eq "no settings file: exit code 2" 2 "$RC"
  check_eq "no settings file: registry unchanged, Run value kept" "$before" "$(regdump)"
  check_eq "no settings file: nothing started" "" "$(calls)"

  # The master itself: its own entry is listed under one of its MACs.
  write_settings '[AutoSet]' 'Gateway=10.231.0.1' 'Mask=255.255.255.0' \
    "UnlockPW=$(encode_pw "$PASSWORD")" 'CanReboot=Yes' \
    'MasterMAC=00-1A-2B-3C-4D-60,00-1a-2b-3c-4d-62' '[InfoList]' '00-1A-2B-3C-4D-60=10.231.0.60~PC60'
  before_settings=$(settings_hex)
  run_hostprep
  check_eq "master: exit code 9" 9 "$RC"
  sleep 1
  check_eq "master: registry unchanged, Run value kept" "$before" "$(regdump)"
  check_eq "master: Myset.ini unchanged" "$before_settings" "$(settings_hex)"
  check_eq "master: nothing started, no keys" "" "$(calls)$(keys)"
  check_log_lines "unknown MAC, no settings file, master" '（退出码 4）|（退出码 2）|（退出码 9）'
  NO_ENTRY_LOG_LINE=$(runlog | head -1)
  end_case
fi

# --- Case D: the entry is under the second adapter's MAC; its connection gets the address --
if start_case second "$MAC_UNKNOWN"; then
  write_settings '[AutoSet]' 'Gateway=10.231.0.1' 'Mask=255.255.255.0' 'CanReboot=No' \
    'MasterMAC=00-1A-2B-3C-4D-99' '[InfoList]' '00-1A-2B-3C-4D-62=10.231.0.62~PC62'
  place_address "$IF_B" 10.231.0.62
  run_hostprep
  check_eq "second adapter: exit code 0" 0 "$RC"
  check_eq "second adapter: computer name" "PC62" "$(regval "$CNAME" ComputerName)"
  wait_for_call netsh || true
  check_eq "second adapter: netsh with its connection name" \
    "0 $NETSH interface ip set address $IF_B static 10.231.0.62 255.255.255.0 10.231.0.1 1" \
    "$(calls | iconv -f GBK -t UTF-8 | head -1)"
  end_case
fi

# --- Case E: a clone carrying the master's virtual adapter ---------------------------------
# The second adapter's MAC is in MasterMAC (a VPN or virtual-machine adapter keeps its MAC on
# every clone); the clone's own card has its entry and takes it.
MAC_E=00:1a:2b:3c:4d:70
if start_case tap "$MAC_E"; then
  write_settings '[AutoSet]' 'Gateway=10.231.0.1' 'Mask=255.255.255.0' 'CanReboot=No' \
    'MasterMAC=00-1A-2B-3C-4D-99,00-1A-2B-3C-4D-62' '[InfoList]' \
    '00-1A-2B-3C-4D-99=10.231.0.99~MASTER' '00-1A-2B-3C-4D-70=10.231.0.70~PC70'
  place_address "$IF_A" 10.231.0.70
  run_hostprep
  check_eq "clone with the master's adapter: exit code 0" 0 "$RC"
  check_eq "clone with the master's adapter: computer name" "PC70" "$(regval "$CNAME" ComputerName)"
  check_eq "clone with the master's adapter: Run value removed" "<absent>" "$(regval "$RUN" hostprep)"
  wait_for_call netsh || true
  check_eq "clone with the master's adapter: address on its own card" \
    "0 ${NETSH_PREFIX}10.231.0.70 255.255.255.0 10.231.0.1 1" "$(calls | iconv -f GBK -t UTF-8 | head -1)"
  check_log_lines "configured clone" '（退出码 0）'
  CONFIGURED_LOG_LINE=$(runlog | head -1)
  end_case
fi

# --- Case F: netsh fails and the address is not in place ---------------------------------------
if start_case netsh-fails "$MAC_A"; then
  printf '1\r\n找不到指定的接口。\r\n' | iconv -f UTF-8 -t GBK >"$WINEPREFIX/drive_c/lrhp/netsh.answer"
  write_settings '[AutoSet]' 'Gateway=10.231.0.1' 'Mask=255.255.255.0' \
    "UnlockPW=$(encode_pw "$PASSWORD")" 'CanReboot=Yes' 'ExecutePath=C:\lrhp\prog.exe' 'FormStat=1' \
    '[InfoList]' '00-1A-2B-3C-4D-5E=10.231.0.21~PC21'
  before_settings=$(settings_hex)
  place_address "$IF_A" 10.231.0.44
  run_hostprep
  check_eq "netsh exits 1: exit code 11" 11 "$RC"
  sleep 2  # a program or restart command would have been recorded by now
  check_eq "netsh exits 1: only the address command started" \
    "0 ${NETSH_PREFIX}10.231.0.21 255.255.255.0 10.231.0.1 1" "$(calls | iconv -f GBK -t UTF-8)"
  check_eq "netsh exits 1: Run value kept" 'C:\Windows\Hostprep.exe' "$(regval "$RUN" hostprep)"
  check_eq "netsh exits 1: Myset.ini with UnlockPW unchanged" "$before_settings" "$(settings_hex)"
  check_eq "netsh exits 1: no keys" "" "$(keys)"
  box=$(boxes)
  case "$box" in
    *"netsh 退出码 1"*"${NETSH_PREFIX}10.231.0.21 255.255.255.0 10.231.0.1 1"*"找不到指定的接口。"*)
      pass "netsh exits 1: one message with the command and netsh's output" ;;
    *) fail "netsh exits 1: one message with the command and netsh's output" "[$box]" ;;
  esac
  check_eq "netsh exits 1: one message" 1 "$(boxes | wc -l)"
  echo "netsh exits 1, the message: $box"
  check_log_lines "netsh exits 1" '（退出码 11）'
  end_case
fi

# --- Case G: an entry named "---" (a name the reverse lookup did not find) --------------------
if start_case placeholder "$MAC_A"; then
  write_settings '[AutoSet]' 'Gateway=10.231.0.1' 'Mask=255.255.255.0' 'CanReboot=Yes' \
    '[InfoList]' '00-1A-2B-3C-4D-5E=10.231.0.21~---'
  before=$(regdump)
  before_settings=$(settings_hex)
  run_hostprep
  check_eq "name ---: exit code 6" 6 "$RC"
  sleep 1
  check_eq "name ---: registry unchanged, Run value kept" "$before" "$(regdump)"
  check_eq "name ---: Myset.ini unchanged, nothing started" "$before_settings" "$(settings_hex)$(calls)"
  end_case
fi

# --- Case H: a connection name outside code page 936 reaches netsh whole -----------------------
IF_W=Połączenie
if ip -n "$NS" link set "$IF_A" down && ip -n "$NS" link set "$IF_A" name "$IF_W" && IF_SAVED=$IF_A &&
  IF_A=$IF_W && start_case wide-name "$MAC_A"; then
  write_settings '[AutoSet]' 'Gateway=10.231.0.1' 'Mask=255.255.255.0' 'CanReboot=No' \
    '[InfoList]' '00-1A-2B-3C-4D-5E=10.231.0.21~PC21'
  place_address "$IF_A" 10.231.0.21
  run_hostprep
  check_eq "connection $IF_W: exit code 0" 0 "$RC"
  wait_for_call netsh || true
  check_eq "connection $IF_W: netsh's command line (UTF-16)" \
    "$NETSH interface ip set address $IF_W static 10.231.0.21 255.255.255.0 10.231.0.1 1" \
    "$(head -1 "$WINEPREFIX/drive_c/lrhp/calls-wide.log" 2>/dev/null | tr -d '\r')"
  end_case
fi
if [ -n "${IF_SAVED:-}" ]; then
  ip -n "$NS" link set "$IF_W" down && ip -n "$NS" link set "$IF_W" name "$IF_SAVED"
  IF_A=$IF_SAVED
fi

# --- DNS servers after the address, and the auto-logon domain renamed with the computer ------
# Wine shows the name servers of the namespace's resolv.conf on every adapter: placed before
# Hostprep starts, they are what it reads back after its DNS commands.
dns_servers() {  # SERVERS...: the clone namespace's resolv.conf
  mkdir -p "/etc/netns/$NS"
  printf 'nameserver %s\n' "$@" >"/etc/netns/$NS/resolv.conf"
}
WINLOGON='SOFTWARE\Microsoft\Windows NT\CurrentVersion\Winlogon'
if start_case dns-logon "$MAC_A"; then
  write_settings '[AutoSet]' 'Gateway=10.231.0.1' 'Mask=255.255.255.0' 'DNS1=10.231.0.53' \
    'DNS2=10.231.0.54' 'CanReboot=No' '[InfoList]' '00-1A-2B-3C-4D-5E=10.231.0.21~PC21'
  place_address "$IF_A" 10.231.0.21
  dns_servers 10.231.0.53 10.231.0.54
  # The old name as the clone runs under it, in other letters; a domain beside it.
  OLD_NAME=$(regval "$CNAME" ComputerName | tr 'A-Z' 'a-z')
  wine_in reg add "HKLM\\$WINLOGON" /v DefaultDomainName /d "$OLD_NAME" /f >/dev/null 2>&1
  wine_in reg add "HKLM\\$WINLOGON" /v AltDefaultDomainName /d CAFE /f >/dev/null 2>&1
  run_hostprep
  check_eq "DNS servers: exit code 0" 0 "$RC"
  wait_for_call 'add dns' || true
  check_eq "DNS servers: the address, then both DNS commands on its connection, hidden" \
    "0 ${NETSH_PREFIX}10.231.0.21 255.255.255.0 10.231.0.1 1|0 $NETSH interface ip set dns $IF_A static 10.231.0.53 primary|0 $NETSH interface ip add dns $IF_A 10.231.0.54 2" \
    "$(calls | iconv -f GBK -t UTF-8 | paste -sd '|')"
  case "$(runlog)" in *"已完成配置（退出码 0）"*) pass "DNS servers: the log says configured" ;;
    *) fail "DNS servers: the log says configured" "$(runlog)" ;; esac
  check_eq "auto-logon: DefaultDomainName \"$OLD_NAME\" (the old name) becomes the new name" \
    PC21 "$(regval "$WINLOGON" DefaultDomainName)"
  check_eq "auto-logon: AltDefaultDomainName CAFE (a domain) kept" CAFE \
    "$(regval "$WINLOGON" AltDefaultDomainName)"
  echo "DNS servers, the log: $(runlog)"
  end_case
fi
if start_case dns-missing "$MAC_A"; then  # other servers on the adapter
  write_settings '[AutoSet]' 'Gateway=10.231.0.1' 'Mask=255.255.255.0' 'DNS1=10.231.0.53' \
    'CanReboot=Yes' '[InfoList]' '00-1A-2B-3C-4D-5E=10.231.0.21~PC21'
  place_address "$IF_A" 10.231.0.21
  dns_servers 10.231.0.99
  run_hostprep
  sleep 2  # a restart command would have been recorded by now
  check_eq "DNS servers not on the adapter: exit 19, name written, Run value kept, no restart" \
    "19 PC21 C:\\Windows\\Hostprep.exe 0" \
    "$RC $(regval "$CNAME" ComputerName) $(regval "$RUN" hostprep) $(calls | grep -ac 'shutdown\.exe')"
  case "$(boxes)" in *"netsh 退出码 0"*"$NETSH interface ip set dns $IF_A static 10.231.0.53 primary"*)
      pass "DNS servers not on the adapter: the box shows the command" ;;
    *) fail "DNS servers not on the adapter: the box shows the command" "$(boxes)" ;; esac
  end_case
fi
rm -rf "/etc/netns/$NS"

# --- The boot-time service ------------------------------------------------------------------
SERVICE='SYSTEM\CurrentControlSet\Services\hostprep'

# register_service: the service as the generator registers it, started at every boot.
register_service() {
  wine_in sc create hostprep binPath= 'C:\Windows\Hostprep.exe' start= auto >/dev/null 2>&1
}

# boot: one boot of the clone. A fresh wineserver in the clone's namespace runs wineboot,
# which starts the auto-start services and the Run values; the key-logging window comes back
# as the clone's desktop and keeps the server (and the name Hostprep wrote) alive until the
# next boot. Returns once no Hostprep process is left, at most 90 s later; BOOT_SECONDS.
# boot_start is its first half: it returns once the desktop window is back.
boot_start() {
  local c=$WINEPREFIX/drive_c i
  "$LR_WINESERVER" -k >/dev/null 2>&1
  wait "$KEYLOG_PID" 2>/dev/null
  rm -f "$c/lrhp/keys.ready"
  inns "$LR_WINE" wineboot >/dev/null 2>&1
  wine_in 'C:\lrhp\keylog.exe' >/dev/null 2>&1 &
  KEYLOG_PID=$!
  for i in $(seq 200); do
    [ -f "$c/lrhp/keys.ready" ] && break
    sleep 0.1
  done
}
hostprep_gone() {  # waits up to 90 s for no Hostprep process in the clone's namespace
  local i
  for i in $(seq 90); do
    ip netns pids "$NS" 2>/dev/null | xargs -r -I{} cat /proc/{}/cmdline 2>/dev/null |
      tr '\0' ' ' | grep -qi 'hostprep\.exe' || return 0
    sleep 1
  done
  return 1
}
boot() {
  local start
  start=$(date +%s)
  boot_start
  sleep 3
  hostprep_gone
  BOOT_SECONDS=$(($(date +%s) - start))
}
# The service's state as the manager reports it (Wine's sc.exe has no query).
svc_state() { wine_in 'C:\lrhp\svcstate.exe' hostprep 2>/dev/null | tr -d '\r'; }
# stop_service: `sc stop hostprep`, then its state polled until STOPPED, at most 30 s;
# STOP_SECONDS and the states seen (STOP_STATES). False when it never stopped.
stop_service() {
  local start state i
  start=$(date +%s.%N)
  wine_in sc stop hostprep >/dev/null 2>&1
  STOP_STATES=""
  for i in $(seq 150); do
    state=$(svc_state)
    [[ ", $STOP_STATES," == *", $state,"* ]] || STOP_STATES+="${STOP_STATES:+, }$state"
    [[ $state == STOPPED* ]] && break
    sleep 0.2
  done
  STOP_SECONDS=$(awk "BEGIN { printf \"%.2f\", $(date +%s.%N) - $start }")
  [[ $state == STOPPED* ]]
}
netsh_calls() { calls | grep -ac 'netsh\.exe'; }
restart_calls() { calls | grep -ac 'shutdown\.exe'; }

# A clone nobody logs on to: the service alone, no Run value.
if start_case service-only "$MAC_A"; then
  wine_in reg delete "HKLM\\$RUN" /v hostprep /f >/dev/null 2>&1
  write_settings '[AutoSet]' 'Gateway=10.231.0.1' 'Mask=255.255.255.0' 'CanReboot=No' \
    '[InfoList]' '00-1A-2B-3C-4D-5E=10.231.0.21~PC21'
  register_service
  place_address "$IF_A" 10.231.0.21
  boot
  SERVICE_SECONDS=$BOOT_SECONDS
  check_eq "service only: the name after one boot" "PC21" "$(regval "$CNAME" ComputerName)"
  check_eq "service only: one address command" 1 "$(netsh_calls)"
  check_eq "service only: the service gone" "<absent>" "$(regval "$SERVICE" ImagePath)"
  check_log_lines "service only" '（退出码 0）'
  case "$(runlog)" in *已完成配置*) pass "service only: the log says configured" ;;
    *) fail "service only: the log says configured" "$(runlog)" ;; esac
  SERVICE_LOG_LINE=$(runlog | tail -1)
  end_case
fi

# The same clone with the Run value as well, a program, the unlock keys and a restart: the
# boot steps and the restart once, the keys once, over three boots; nothing left registered.
if start_case service-and-run "$MAC_A"; then
  write_settings '[AutoSet]' 'Gateway=10.231.0.1' 'Mask=255.255.255.0' \
    "UnlockPW=$(encode_pw "$PASSWORD")" 'CanReboot=Yes' 'ExecutePath=C:\lrhp\prog.exe' \
    'FormStat=0' '[InfoList]' '00-1A-2B-3C-4D-5E=10.231.0.21~PC21'
  register_service
  place_address "$IF_A" 10.231.0.21
  boot
  check_eq "service and Run value: the name after the first boot" "PC21" "$(regval "$CNAME" ComputerName)"
  boot
  check_eq "service and Run value: one address command over two boots" 1 "$(netsh_calls)"
  check_eq "service and Run value: one restart" 1 "$(restart_calls)"
  check_eq "service and Run value: the service gone" "<absent>" "$(regval "$SERVICE" ImagePath)"
  check_eq "service and Run value: the Run value gone" "<absent>" "$(regval "$RUN" hostprep)"
  case "$(iconv -f GBK -t UTF-8 <"$WINEPREFIX/drive_c/windows/Myset.ini")" in
    *UnlockPW*) fail "service and Run value: UnlockPW gone from Myset.ini" ;;
    *) pass "service and Run value: UnlockPW gone from Myset.ini" ;; esac
  check_eq "session part: the unlock keys once" "$UNLOCK_KEYS" "$(keys)"
  check_eq "session part: the program started once" 1 "$(calls | grep -ac 'prog\.exe')"
  boot
  check_eq "a third boot: no address command, no keys" "1 $UNLOCK_KEYS" "$(netsh_calls) $(keys)"
  echo "service and Run value, the log:"
  runlog | sed 's/^/  /'
  end_case
fi

# The master: the service and the Run value stay, nothing changes over a boot.
if start_case service-master "$MAC_UNKNOWN"; then
  write_settings '[AutoSet]' 'Gateway=10.231.0.1' 'Mask=255.255.255.0' 'CanReboot=Yes' \
    'MasterMAC=00-1A-2B-3C-4D-60' '[InfoList]' '00-1A-2B-3C-4D-60=10.231.0.60~PC60'
  register_service
  before=$(regdump)
  before_settings=$(settings_hex)
  boot
  check_eq "master: registry unchanged over a boot, Run value kept" "$before" "$(regdump)"
  check_eq "master: the service stays" 'C:\Windows\Hostprep.exe' "$(regval "$SERVICE" ImagePath)"
  check_eq "master: Myset.ini unchanged, nothing started" "$before_settings" "$(settings_hex)$(calls)"
  case "$(runlog)" in *"（退出码 9）"*) pass "master: the log names the master" ;;
    *) fail "master: the log names the master" "$(runlog)" ;; esac
  end_case
fi

# The master in its 60 s adapter wait: `sc stop hostprep` ends it within its current pause;
# nothing changes, the service stays for the next boot.
if start_case service-stop "$MAC_UNKNOWN"; then
  wine_in reg delete "HKLM\\$RUN" /v hostprep /f >/dev/null 2>&1
  write_settings '[AutoSet]' 'Gateway=10.231.0.1' 'Mask=255.255.255.0' 'CanReboot=Yes' \
    'MasterMAC=00-1A-2B-3C-4D-60' '[InfoList]' '00-1A-2B-3C-4D-60=10.231.0.60~PC60'
  register_service
  before=$(regdump)
  boot_start
  for i in $(seq 50); do [ "$(svc_state)" = RUNNING ] && break; sleep 0.2; done
  sleep 3  # well into the adapter wait
  if stop_service; then pass "master in its adapter wait: sc stop gives STOPPED"; else
    fail "master in its adapter wait: sc stop gives STOPPED" "states: $STOP_STATES"; fi
  MASTER_STOP="$STOP_SECONDS s ($STOP_STATES)"
  hostprep_gone
  check_eq "master stopped: registry unchanged, nothing started" "$before" "$(regdump)$(calls)"
  check_eq "master stopped: the service stays" 'C:\Windows\Hostprep.exe' "$(regval "$SERVICE" ImagePath)"
  check_log_lines "master stopped" '（退出码 18）'
  end_case
fi

# A clone whose café shell comes late: the service sets the name and the address at the boot
# and waits for the shell (a stop ends that wait too); at the next boot the program and the
# keys come only once the shell runs, the pause before F3 counted from it; nothing is done
# twice.
SHELL_KEY='HKLM\Software\Microsoft\Windows NT\CurrentVersion\Winlogon'
if start_case service-shell "$MAC_A"; then
  wine_in reg delete "HKLM\\$RUN" /v hostprep /f >/dev/null 2>&1
  wine_in reg add "$SHELL_KEY" /v Shell /d 'C:\lrhp\lrshell.exe' /f /reg:64 >/dev/null 2>&1
  cp "$SVCSTATE" "$WINEPREFIX/drive_c/lrhp/lrshell.exe"
  write_settings '[AutoSet]' 'Gateway=10.231.0.1' 'Mask=255.255.255.0' \
    "UnlockPW=$(encode_pw "$PASSWORD")" 'CanReboot=No' 'ExecutePath=C:\lrhp\prog.exe' \
    'FormStat=0' '[InfoList]' '00-1A-2B-3C-4D-5E=10.231.0.21~PC21'
  register_service
  place_address "$IF_A" 10.231.0.21
  boot_start
  for i in $(seq 60); do runlog | grep -q '（退出码 14）' && break; sleep 1; done
  sleep 2
  if stop_service; then pass "waiting for the shell: sc stop gives STOPPED"; else
    fail "waiting for the shell: sc stop gives STOPPED" "states: $STOP_STATES"; fi
  SHELL_STOP="$STOP_SECONDS s ($STOP_STATES)"
  hostprep_gone
  boot_start
  sleep 8
  check_eq "before the shell: no program, no keys" "" "$(calls | grep -a prog)$(keys)"
  shell_at=$(date +%s.%N)
  wine_in 'C:\lrhp\lrshell.exe' >/dev/null 2>&1 &
  f3_at=""
  for i in $(seq 300); do
    keys | grep -q 'D 72' && { f3_at=$(date +%s.%N); break; }
    sleep 0.2
  done
  [ -n "$f3_at" ] && F3_AFTER_SHELL=$(awk "BEGIN { printf \"%.1f\", $f3_at - $shell_at }")
  hostprep_gone
  check_eq "after the shell: the program once, the keys once" "1 $UNLOCK_KEYS" \
    "$(calls | grep -ac 'prog\.exe') $(keys)"
  check_eq "service and shell: one address command over two boots" 1 "$(netsh_calls)"
  check_eq "service and shell: the service gone" "<absent>" "$(regval "$SERVICE" ImagePath)"
  check_log_lines "service and shell" '（退出码 14）|（退出码 0）'
  end_case
fi

# --- The address read back after netsh ----------------------------------------------------------
if start_case netsh-exists "$MAC_A"; then
  printf '1\r\n对象已存在。\r\n' | iconv -f UTF-8 -t GBK >"$WINEPREFIX/drive_c/lrhp/netsh.answer"
  write_settings '[AutoSet]' 'Gateway=10.231.0.1' 'Mask=255.255.255.0' 'CanReboot=No' \
    '[InfoList]' '00-1A-2B-3C-4D-5E=10.231.0.21~PC21'
  place_address "$IF_A" 10.231.0.21
  run_hostprep
  check_eq "netsh exits 1, the address in place: exit code 0" 0 "$RC"
  check_eq "netsh exits 1, the address in place: Run value removed" "<absent>" "$(regval "$RUN" hostprep)"
  check_eq "netsh exits 1, the address in place: no box" "" "$(boxes)"
  end_case
fi
if start_case netsh-silent "$MAC_A"; then
  write_settings '[AutoSet]' 'Gateway=10.231.0.1' 'Mask=255.255.255.0' 'CanReboot=No' \
    '[InfoList]' '00-1A-2B-3C-4D-5E=10.231.0.21~PC21'
  place_address "$IF_A" 10.231.0.44
  run_hostprep
  check_eq "netsh exits 0, the address not in place: exit code 11" 11 "$RC"
  check_eq "netsh exits 0, the address not in place: Run value kept" 'C:\Windows\Hostprep.exe' \
    "$(regval "$RUN" hostprep)"
  case "$(boxes)" in *"netsh 退出码 0"*"没有这个地址"*) pass "netsh exits 0, the address not in place: the box says so" ;;
    *) fail "netsh exits 0, the address not in place: the box says so" "$(boxes)" ;; esac
  end_case
fi

echo "Hostprep.log, a configured clone: ${CONFIGURED_LOG_LINE:-?}"
echo "Hostprep.log, a clone without an entry: ${NO_ENTRY_LOG_LINE:-?}"
echo "Hostprep.log, the service on a clone nobody logs on to: ${SERVICE_LOG_LINE:-?}"
echo "figures: the service's boot ${SERVICE_SECONDS:-?} s (wineboot to the service gone)"
echo "figures: sc stop to STOPPED: master in its adapter wait ${MASTER_STOP:-?}," \
  "a clone waiting for its shell ${SHELL_STOP:-?}"
echo "figures: F3 ${F3_AFTER_SHELL:-?} s after the shell started (program, then a 15 s pause)"
echo "figures: full case ${FULL_SECONDS:-?} s (fixed pauses 21.5 s), plain case ${PLAIN_SECONDS:-?} s" \
  "(fixed pauses 3 s), unknown MAC ${UNKNOWN_SECONDS:-?} s (no pauses); Wine start-up included"
finish
