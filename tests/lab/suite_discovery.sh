#!/usr/bin/env bash
# The discovery lab suite: builds the cafe lab (tests/lab/lib/cafe.sh), checks the lab itself
# (no route out, every PC answers ping and nmblookup, the hosts file, the arp tool under
# Wine), then runs the lab test program under wine64 inside the scanner's namespace, group
# by group, and prints the measured figures. Ends with "N passed, N failed"; everything it
# made is torn down on exit, also after a failure or an interrupt. Needs root.
#
#   LR_LAB_BUILD     build folder: build/win64 (default) or the shipped 32-bit build/win32
#                    (tests/lab/lib/lab_build.sh); the targets are built here
#   LR_LAB_WINE_DIR  folder of the Wine template and of this run's prefix (default build/wine)
#   LRLAB_TAG        lab name part (default disc<pid>), so runs never share namespaces
#   LRLAB_ONLY       run only these test groups (names as printed, blank-separated)
set -u
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
cd "$ROOT" || exit 1
WINE_DIR=${LR_LAB_WINE_DIR:-$ROOT/build/wine}
export LRLAB_TAG=${LRLAB_TAG:-disc$$}
unset LRLAB_STATE
source tests/lab/lib/cafe.sh
source scripts/lib/wine.sh
source tests/lab/lib/suite.sh
source tests/lab/lib/lab_wine.sh
source tests/lab/lib/lab_build.sh
lab_build_use "$ROOT"
cafe_vars

FIGURES=()
check() {
  local name=$1; shift
  if "$@"; then pass "$name"; else fail "$name"; fi
}

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
lab_build_runs || { fail build; finish; }
lab_build lr_lab_arp lr_lab_discovery_tests || { fail build; finish; }
ARP_EXE=$BUILD/tests/lab/discovery/arp.exe
TESTS_EXE=$BUILD/tests/lab/discovery/lr_lab_discovery_tests.exe

echo "== lab $LRLAB_TAG"
start=$(date +%s%N)
cafe_up || { fail "lab set-up"; finish; }
FIGURES+=("lab set-up: $(( ($(date +%s%N) - start) / 1000000 )) ms for $(cafe_rows | wc -l) PCs")
mkdir -p "$LRLAB_STATE/nmblookup"
cp "$LRLAB_PCS" "$LRLAB_STATE/pcs.conf"

in_scan() { ip netns exec "$LRLAB_SCAN_NS" "$@"; }

# --- the namespace library ------------------------------------------------------------
# A shell that makes namespaces, a veth pair and a background process and then fails must
# leave nothing behind.
netns_library_cleans_up_after_a_failure() {
  local prefix=lrlab-$LRLAB_TAG-selftest pid_file=$LRLAB_STATE/selftest.pid
  (
    source tests/lab/lib/netns.sh
    lab_trap
    lab_ns_add "$prefix-a" && lab_ns_add "$prefix-b" &&
      lab_veth "$prefix-a" eth0 "$prefix-b" eth0 02:00:00:00:0a:01 &&
      lab_etc "$prefix-a" hosts $'10.0.0.1 a\n' || exit 3
    lab_spawn "$prefix-a" sleep 600
    echo "$LAB_PID" >"$pid_file"
    false || exit 1
  )
  [ $? -eq 1 ] || { echo "  the self-test shell did not get as far as its failure"; return 1; }
  if ip netns list | grep -q "^$prefix"; then echo "  namespaces left behind"; return 1; fi
  if [ -e "/etc/netns/$prefix-a" ]; then echo "  /etc/netns/$prefix-a left behind"; return 1; fi
  if kill -0 "$(cat "$pid_file")" 2>/dev/null; then echo "  a spawned process still runs"; return 1; fi
}
check "lab: the namespace library tears down what it made after a failure" \
  netns_library_cleans_up_after_a_failure

# --- the lab itself --------------------------------------------------------------------
no_route_out() {
  lab_no_route_out "$LRLAB_SCAN_NS" && ! ip -n "$LRLAB_SCAN_NS" route get 192.0.2.1 >/dev/null 2>&1
}
check "lab: the scanner's namespace has no route out" no_route_out

every_pc_pings() {
  local ip ok=0
  while read -r ip _; do
    in_scan ping -c 1 -W 2 "$ip" >/dev/null || { echo "  no echo reply from $ip"; ok=1; }
  done < <(cafe_rows)
  return $ok
}
check "lab: every PC answers ping" every_pc_pings

# Saves each PC's nmblookup answer for the test program, and checks its MAC.
every_pc_answers_nmblookup() {
  local ip mac kind want got ok=0
  while read -r ip mac kind _; do
    in_scan nmblookup --option='dos charset=CP936' --option='unix charset=CP936' -A "$ip" \
      >"$LRLAB_STATE/nmblookup/$ip.txt" 2>&1
    want=$(echo "$mac" | tr 'a-f:' 'A-F-')
    [ "$kind" = nmbd ] && want=00-00-00-00-00-00
    got=$(sed -n 's/.*MAC Address = //p' "$LRLAB_STATE/nmblookup/$ip.txt")
    [ "$got" = "$want" ] || { echo "  nmblookup -A $ip: MAC '$got', expected '$want'"; ok=1; }
  done < <(cafe_rows)
  return $ok
}
check "lab: every PC answers nmblookup -A with its MAC" every_pc_answers_nmblookup

reverse_names_from_hosts_file() {
  local ip hname got ok=0
  while read -r ip _ _ hname _; do
    got=$(in_scan getent hosts "$ip" | awk '{print $2}')
    [ "$hname" = - ] && hname=
    [ "$got" = "$hname" ] || { echo "  $ip: '$got', expected '$hname'"; ok=1; }
  done < <(cafe_rows)
  return $ok
}
check "lab: reverse names come from the scanner's hosts file only" reverse_names_from_hosts_file

# --- Wine in the scanner's namespace ---------------------------------------------------
echo "== wine"
lr_zh_locale "$ROOT/build/locale" 2>/dev/null
lr_xvfb_start || { fail "Xvfb"; finish; }
lab_wine_up "$LRLAB_SCAN_NS" "$WINE_DIR" "lab-$LRLAB_TAG" "$ARP_EXE" || { fail "wine prefix"; finish; }
export LRLAB_DIR="Z:${LRLAB_STATE//\//\\}"

dump_file=$WINEPREFIX/drive_c/windows/IPMAC.TXT
arp_tool_lists_every_pc() {
  local ip mac ok=0 layout
  rm -f "$dump_file"
  every_pc_pings >/dev/null
  in_scan timeout 60 "$LR_WINE" "$LAB_CMD" /c 'arp -a >C:\WINDOWS\IPMAC.TXT' >/dev/null 2>&1
  [ -f "$dump_file" ] || { echo "  no dump written"; return 1; }
  layout=$(head -n 3 "$dump_file" | od -c | head -n 1)
  if [ "$(sed -n 1p "$dump_file")" != $'\r' ] ||
    ! sed -n 2p "$dump_file" | grep -q "^Interface: $LRLAB_SCANNER_IP --- 0x[0-9a-f]*"$'\r$' ||
    [ "$(sed -n 3p "$dump_file")" != $'  Internet Address      Physical Address      Type\r' ]; then
    echo "  heading lines wrong: $layout"
    ok=1
  fi
  while read -r ip mac _; do
    printf -v want '  %-22s%-22s%s\r' "$ip" "${mac//:/-}" dynamic
    grep -qxF "$want" "$dump_file" || { echo "  no line for $ip $mac"; ok=1; }
  done < <(cafe_rows)
  [ "$(tail -n +4 "$dump_file" | wc -l)" -eq "$(cafe_rows | wc -l)" ] || {
    echo "  other lines than the PCs':"; cat -A "$dump_file"; ok=1; }
  return $ok
}
check "lab: arp -a under Wine (our arp tool) lists every PC with its MAC" arp_tool_lists_every_pc

# --- the lab test program, group by group ----------------------------------------------
run_group() {
  local name=$1 filter=$2 log=$LRLAB_STATE/$1.log p f
  case " ${LRLAB_ONLY:-$name} " in *" $name "*) ;; *) return 0 ;; esac
  echo "== $name ($filter)"
  in_scan timeout -k 10 300 "$LR_WINE" "$TESTS_EXE" --gtest_filter="$filter" >"$log" 2>&1
  local rc=$?
  grep -av -E '^\[ *RUN|^\[[-=]+\]|^\[  PASSED|^Note: Google Test filter|^$' "$log" | head -n 200
  suite_count_gtest "$log" "$rc"
  while read -r _ key value; do FIGURES+=("$key $value"); done < <(grep -a '^FIGURE ' "$log" | tr -d '\r')
}

figure() { local key=$1; printf '%s\n' "${FIGURES[@]}" | awk -v k="$key" '$1 == k {print $2}' | tail -1; }

# nbtscan over the same queries as our sweep (.1 to .253), from the same namespace: with
# its default wait for answers after the last query (1000 ms) and with 100 ms.
nbtscan_figures() {
  local label=$1 start out; shift
  start=$(date +%s%N)
  out=$(in_scan nbtscan -q "$@" 192.168.0.1-253 2>/dev/null)
  FIGURES+=("nbtscan_${label}_ms $(( ($(date +%s%N) - start) / 1000000 ))")
  FIGURES+=("nbtscan_${label}_found $(echo "$out" | grep -cE '^192\.168\.0\.[0-9]+')")
}

run_group guard 'LabGuard.*'
run_group reverse-lookup 'ReverseLookupLab.*'
run_group nbt-figures 'NbtFigures.*'
run_group nbt-sweep 'NbtLabSweep.*'
run_group nbt-stop 'NbtLab.*'
touch "$LRLAB_HOSTILE_FLAG"
run_group nbt-hostile 'NbtHostileLab.*'
rm -f "$LRLAB_HOSTILE_FLAG"

# Our responder drops 30% of the queries it gets (the same seed each time the flag is
# written): our sweep with its retries, then nbtscan on the same lab, without and with its
# own retransmits.
echo 0.3 >"$LRLAB_DROP_FLAG"
run_group nbt-drops 'NbtDropLab.Retries*'
echo 0.3 >"$LRLAB_DROP_FLAG"
run_group nbt-fast-drops 'NbtDropLab.Fast*'
case " ${LRLAB_ONLY:-nbt-drops} " in
  *" nbt-drops "*)
    echo 0.3 >"$LRLAB_DROP_FLAG"
    nbtscan_figures drops_t100 -t 100
    echo 0.3 >"$LRLAB_DROP_FLAG"
    nbtscan_figures drops_t100_m2 -t 100 -m 2
    ;;
esac
rm -f "$LRLAB_DROP_FLAG"

# 192.168.1.0/24 on the lab's link, where nobody answers: queries there wait for address
# resolution until it fails, and fill the scanner's send buffer.
ip -n "$LRLAB_SCAN_NS" neigh flush all
ip -n "$LRLAB_SCAN_NS" route add 192.168.1.0/24 dev eth0
run_group nbt-burst 'NbtBurstLab.*'
ip -n "$LRLAB_SCAN_NS" route del 192.168.1.0/24 dev eth0
ip -n "$LRLAB_SCAN_NS" neigh flush all
# The PCs' link addresses known again, as they were for our sweeps.
every_pc_pings >/dev/null

nbtscan_figures default
nbtscan_figures t100 -t 100

# The ICMP sweeps must find the PCs through their own echoes.
ip -n "$LRLAB_SCAN_NS" neigh flush all
run_group icmp 'IcmpLab.*:-IcmpLab.Fast*'
ip -n "$LRLAB_SCAN_NS" neigh flush all
run_group icmp-fast 'IcmpLab.Fast*'

# --- figures -----------------------------------------------------------------------------
pcs=$(cafe_rows | wc -l)
live=$(cafe_rows | awk '{n=split($1,a,"."); if (a[n] >= 1 && a[n] <= 253) c++} END {print c+0}')
echo "== figures"
printf '  %s\n' "${FIGURES[0]}"
printf '  machine: %s cores, load average %s (1, 5, 15 min)\n' "$(nproc)" "$(cut -d' ' -f1-3 /proc/loadavg)"
wall=$(figure nbt_sweep_100_ms)
queries=$(figure nbt_sweep_100_queries)
rtt_us=$(figure nbt_rtt_sum_us)
if [ -n "$wall" ] && [ -n "$queries" ] && [ -n "$rtt_us" ]; then
  awk -v wall="$wall" -v q="$queries" -v live="$live" -v rtt="$rtt_us" -v wait="$(figure wine_wait_100_mean_ms)" \
    -v sweep0="$(figure nbt_sweep_0_ms)" 'BEGIN {
    silent = q - live; ideal = silent * 100 + rtt / 1000
    printf "  NetBIOS sweep 192.168.0.1-254, Timeout 100: %d queries (%d live PCs, %d silent)\n", q, live, silent
    printf "    wall %d ms, ideal %.1f ms (silent x 100 ms + sum of round trips %.2f ms), overhead ratio %.4f\n", wall, ideal, rtt / 1000, wall / ideal
    if (wait != "") {
      late = silent * (wait - 100)
      printf "    of the %.0f ms over the ideal, %.0f ms is the platform'\''s wait lasting %.2f ms per 100 ms; the rest is %.2f ms per query\n", wall - ideal, late, wait, (wall - ideal - late) / q
    }
    if (sweep0 != "") printf "    (a query costs %.2f ms of work at Timeout 0)\n", sweep0 / q
  }'
fi
# A line per figure that this run measured.
report() {
  local format=$1 key value values=(); shift
  for key in "$@"; do
    case $key in
      =*) values+=("${key#=}") ;;
      *) value=$(figure "$key"); [ -n "$value" ] || return 0; values+=("$value") ;;
    esac
  done
  printf "  $format\n" "${values[@]}"
}
report 'NetBIOS sweep at Timeout 0: %s ms, %s of %s PCs found (%s by the end notification), %s queries dropped' \
  nbt_sweep_0_ms nbt_sweep_0_found "=$pcs" nbt_sweep_0_found_at_end nbt_sweep_0_dropped_queries
report 'nbtscan 192.168.0.1-253, default wait (1000 ms): %s ms, %s of %s PCs found' \
  nbtscan_default_ms nbtscan_default_found "=$pcs"
report 'nbtscan 192.168.0.1-253, -t 100: %s ms, %s of %s PCs found' \
  nbtscan_t100_ms nbtscan_t100_found "=$pcs"
report 'NetBIOS sweep 192.168.0.1-254, Timeout 100, no query lost: %s ms, %s of %s PCs found' \
  nbt_sweep_100_ms nbt_sweep_100_found "=$pcs"
report 'the same with 30%% of the queries dropped: %s ms, %s of %s PCs found in %s rows, %s of them on a retry (%s retry queries)' \
  nbt_drop_sweep_ms nbt_drop_found "=$pcs" nbt_drop_rows nbt_drop_found_on_retry nbt_drop_retry_queries
report 'nbtscan 192.168.0.1-253, 30%% dropped, -t 100: %s ms, %s of %s PCs found' \
  nbtscan_drops_t100_ms nbtscan_drops_t100_found "=$pcs"
report 'nbtscan 192.168.0.1-253, 30%% dropped, -t 100 -m 2 (two retransmits): %s ms, %s of %s PCs found' \
  nbtscan_drops_t100_m2_ms nbtscan_drops_t100_m2_found "=$pcs"
report 'fast NetBIOS sweep 192.168.0.1-254 (快速扫描), Timeout 100: %s ms, %s of %s PCs found in %s rows (%s by the end notification), %s queries dropped' \
  nbt_fast_100_ms nbt_fast_100_found "=$pcs" nbt_fast_100_rows nbt_fast_100_found_at_end nbt_fast_100_dropped_queries
report 'the fast sweep with 30%% of the queries dropped: %s ms, %s of %s PCs found in %s rows, %s of them on a retry (%s retry queries)' \
  nbt_fast_drop_sweep_ms nbt_fast_drop_found "=$pcs" nbt_fast_drop_rows nbt_fast_drop_found_on_retry nbt_fast_drop_retry_queries
fast=$(figure nbt_fast_100_ms) fast_drop=$(figure nbt_fast_drop_sweep_ms)
[ -n "$fast" ] && [ -n "$fast_drop" ] &&
  awk -v a="$fast_drop" -v b="$fast" 'BEGIN { printf "  (the fast sweep with drops takes %.2f times its loss-free time)\n", a / b }'
report 'ICMP sweep 192.168.0.1-254: %s ms, %s rows; the fast ICMP sweep: %s ms, %s rows' \
  icmp_sweep_ms icmp_sweep_rows icmp_fast_ms icmp_fast_rows
report 'Wine: a 100 ms WaitForSingleObject on an unsignalled event lasts %s ms on average' \
  wine_wait_100_mean_ms
report 'hostile PC: %s of 400 flood datagrams became records' hostile_flood_records
report 'NetBIOS sweep at Timeout 0 of 192.168.0.1-192.168.1.200 (192.168.1.x unresolved): %s queries, %s dropped on a full send buffer, %s ms' \
  nbt_burst_queries nbt_burst_dropped nbt_burst_ms

responder_still_runs() {
  kill -0 "$(cat "$LRLAB_STATE/responder.pid")" 2>/dev/null && return 0
  echo "  the node-status responder ended:"
  sed 's/^/    /' "$LRLAB_STATE/responder.log"
  return 1
}
check "lab: the node-status responder ran through the whole suite" responder_still_runs

# Tear the lab down now (the exit trap only repeats it) and check nothing is left.
lab_torn_down() {
  local pid
  pid=$(cat "$LRLAB_STATE/responder.pid" 2>/dev/null)
  cleanup
  if ip netns list | grep -q "^lrlab-$LRLAB_TAG-"; then echo "  namespaces left behind"; return 1; fi
  if ls -d /etc/netns/lrlab-"$LRLAB_TAG"-* >/dev/null 2>&1; then echo "  /etc/netns folders left"; return 1; fi
  if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; then echo "  the responder still runs"; return 1; fi
  [ ! -e "$LRLAB_STATE" ] || { echo "  $LRLAB_STATE left behind"; return 1; }
}
echo "== teardown"
check "lab: teardown leaves no namespace, hosts folder, process or state behind" lab_torn_down
finish
