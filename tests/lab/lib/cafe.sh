#!/usr/bin/env bash
# The cafe lab: a scanner namespace and the simulated cafe PCs of cafe_pcs.conf, each in a
# namespace of its own with its own address and MAC, all on one bridge in a switch namespace,
# on the private subnet 192.168.0.0/24 of the lab. No namespace has a route out.
#
#   cafe.sh up            build the lab (tag LRLAB_TAG, default "cafe"); prints its state folder
#   cafe.sh down          tear it down
#   cafe.sh exec CMD...   run CMD in the scanner namespace of a lab that is up
#   cafe.sh run CMD...    up, run CMD in the scanner namespace, down (also after a failure)
#   cafe.sh wine DIR ARP_EXE PROGRAM [ARGS...]
#                         up, a Wine prefix DIR/lab-TAG (copied from DIR's template) whose
#                         server runs in the scanner namespace, with ARP_EXE as its arp.exe,
#                         PROGRAM run under wine64 there, then all of it down again
#
# Or source it and call cafe_up / cafe_down / cafe_exec. After cafe_up these are set:
#   LRLAB_SCAN_NS      the scanner's namespace (192.168.0.254/24 on eth0, no default route)
#   LRLAB_PCS          the PC table (cafe_pcs.conf)
#   LRLAB_STATE        the lab's state folder
#   LRLAB_HOSTILE_FLAG while this file exists, the hostile PC answers with malformed datagrams
#   LRLAB_DROP_FLAG    while this file exists, our responder drops a share of the node-status
#                      queries it gets (the file's number, default 0.3; a fixed seed)
# cafe_sleep IP... switches PCs off: they lose their address until a Wake-on-LAN magic packet
# for their MAC reaches their link (lib/wake_listener.py, log in $LRLAB_STATE/magic.log).
# Every PC answers ICMP (its kernel) and node-status queries (our responder, or Samba's nmbd);
# the scanner's /etc/netns/NS/hosts gives reverse names, and name lookups there never leave
# the hosts file.

CAFE_LIB=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$CAFE_LIB/netns.sh"

LRLAB_SCANNER_IP=192.168.0.254
LRLAB_SILENT_IP=192.168.0.200

cafe_vars() {
  LRLAB_TAG=${LRLAB_TAG:-cafe}
  CAFE_PREFIX=lrlab-$LRLAB_TAG
  LRLAB_STATE=${LRLAB_STATE:-/tmp/$CAFE_PREFIX}
  LRLAB_SCAN_NS=$CAFE_PREFIX-scan
  LRLAB_PCS=${LRLAB_PCS:-$CAFE_LIB/cafe_pcs.conf}
  LRLAB_HOSTILE_FLAG=$LRLAB_STATE/hostile
  LRLAB_DROP_FLAG=$LRLAB_STATE/drop
  export LRLAB_TAG LRLAB_STATE LRLAB_SCAN_NS LRLAB_PCS LRLAB_HOSTILE_FLAG LRLAB_SCANNER_IP \
    LRLAB_SILENT_IP LRLAB_DROP_FLAG
}

# Lines of the PC table without comments.
cafe_rows() { grep -v '^[[:space:]]*\(#\|$\)' "$LRLAB_PCS"; }

# An nmbd for one PC; every folder it uses lies under the lab's state folder.
cafe_nmbd() {
  local ns=$1 workgroup=$2 name=$3 dir=$LRLAB_STATE/nmbd-$1 d
  for d in lock state cache private pid ncalrpc binddns log; do mkdir -p "$dir/$d"; done
  cat >"$dir/smb.conf" <<EOF
[global]
workgroup = $workgroup
netbios name = $name
interfaces = eth0
bind interfaces only = yes
lock directory = $dir/lock
state directory = $dir/state
cache directory = $dir/cache
private dir = $dir/private
pid directory = $dir/pid
ncalrpc dir = $dir/ncalrpc
binddns dir = $dir/binddns
log file = $dir/log/log.%m
EOF
  ip netns exec "$ns" nmbd -D -s "$dir/smb.conf" -l "$dir/log"
}

cafe_up() {
  cafe_vars
  cafe_down
  mkdir -p "$LRLAB_STATE"
  local sw=$CAFE_PREFIX-sw scan=$LRLAB_SCAN_NS hosts=$'127.0.0.1\tlocalhost\n'
  local ip mac kind hname wg name names ns n=0 port
  lab_ns_add "$sw" && lab_bridge "$sw" br0 || return 1
  lab_ns_add "$scan" && lab_veth "$scan" eth0 "$sw" p0 02:00:00:00:00:fe && lab_port "$sw" br0 p0 &&
    lab_addr "$scan" eth0 "$LRLAB_SCANNER_IP/24" || return 1
  : >"$LRLAB_STATE/responder.conf"
  while read -r ip mac kind hname wg name names; do
    ns=$CAFE_PREFIX-${ip##*.}
    n=$((n + 1))
    port=p$n
    lab_ns_add "$ns" && lab_veth "$ns" eth0 "$sw" "$port" "$mac" && lab_port "$sw" br0 "$port" &&
      lab_addr "$ns" eth0 "$ip/24" || return 1
    [ "$hname" != - ] && hosts+="$ip"$'\t'"$hname"$'\n'
    case $kind in
      ours | hostile) echo "$ns $ip $mac $([ "$kind" = hostile ] && echo hostile || echo normal) $names" \
        >>"$LRLAB_STATE/responder.conf" ;;
      nmbd) cafe_nmbd "$ns" "$wg" "$name" || return 1 ;;
      *) echo "cafe: unknown kind '$kind' for $ip" >&2; return 1 ;;
    esac
  done < <(cafe_rows)
  lab_etc "$scan" hosts "$hosts" && lab_isolated_resolver "$scan" || return 1
  for ns in "$scan" "$sw" $(cafe_rows | awk -v p="$CAFE_PREFIX-" '{n=split($1,a,"."); print p a[n]}'); do
    lab_no_route_out "$ns" || return 1
  done

  rm -f "$LRLAB_STATE/responder.ready" "$LRLAB_HOSTILE_FLAG" "$LRLAB_DROP_FLAG"
  /usr/bin/python3 "$CAFE_LIB/nbns_responder.py" --config "$LRLAB_STATE/responder.conf" \
    --ready "$LRLAB_STATE/responder.ready" --hostile-flag "$LRLAB_HOSTILE_FLAG" \
    --drop-flag "$LRLAB_DROP_FLAG" >"$LRLAB_STATE/responder.log" 2>&1 &
  echo $! >"$LRLAB_STATE/responder.pid"
  cafe_wait_ready
}

# Waits until the responder has bound its sockets and every nmbd answers a node-status query.
cafe_wait_ready() {
  local i ip kind
  for i in $(seq 100); do
    [ -f "$LRLAB_STATE/responder.ready" ] && break
    kill -0 "$(cat "$LRLAB_STATE/responder.pid")" 2>/dev/null || break
    sleep 0.1
  done
  if [ ! -f "$LRLAB_STATE/responder.ready" ]; then
    echo "cafe: the responder did not start:" >&2
    cat "$LRLAB_STATE/responder.log" >&2
    return 1
  fi
  while read -r ip _ kind _; do
    [ "$kind" = nmbd ] || continue
    for i in $(seq 100); do
      ip netns exec "$LRLAB_SCAN_NS" nmblookup -A "$ip" 2>/dev/null | grep -q 'MAC Address' &&
        continue 2
      sleep 0.2
    done
    echo "cafe: nmbd at $ip does not answer" >&2
    return 1
  done < <(cafe_rows)
}

# Switches off the PCs at the given addresses (PCs of our responder): each loses its address
# and comes up again only when its magic packet arrives. One listener serves them all; call
# it once per lab.
cafe_sleep() {
  cafe_vars
  local want ip mac kind ns i conf=$LRLAB_STATE/wake.conf
  : >"$conf"
  for want in "$@"; do
    while read -r ip mac kind _; do
      [ "$ip" = "$want" ] || continue
      [ "$kind" = ours ] || { echo "cafe: only our responder's PCs sleep ($ip)" >&2; return 1; }
      ns=$CAFE_PREFIX-${ip##*.}
      ip -n "$ns" addr flush dev eth0 || return 1
      echo "$ns eth0 $ip/24 $mac" >>"$conf"
      ip -n "$LRLAB_SCAN_NS" neigh flush to "$ip" 2>/dev/null
    done < <(cafe_rows)
  done
  rm -f "$LRLAB_STATE/wake.ready"
  /usr/bin/python3 -B "$CAFE_LIB/wake_listener.py" --config "$conf" --log "$LRLAB_STATE/magic.log" \
    --ready "$LRLAB_STATE/wake.ready" >"$LRLAB_STATE/wake.err" 2>&1 &
  echo $! >"$LRLAB_STATE/wake.pid"
  for i in $(seq 100); do
    [ -f "$LRLAB_STATE/wake.ready" ] && return 0
    sleep 0.1
  done
  echo "cafe: the wake listener did not start:" >&2
  cat "$LRLAB_STATE/wake.err" >&2
  return 1
}

cafe_down() {
  cafe_vars
  local pid f
  for f in responder wake; do
    [ -f "$LRLAB_STATE/$f.pid" ] || continue
    pid=$(cat "$LRLAB_STATE/$f.pid")
    kill "$pid" 2>/dev/null
    for _ in $(seq 20); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
    kill -9 "$pid" 2>/dev/null
  done
  # nmbd and anything else started inside the namespaces go with them.
  lab_teardown_prefix "$CAFE_PREFIX-"
  rm -rf "$LRLAB_STATE"
}

cafe_exec() {
  cafe_vars
  ip netns exec "$LRLAB_SCAN_NS" "$@"
}

if [ "${BASH_SOURCE[0]}" = "$0" ]; then
  set -u
  cmd=${1:-}
  shift || true
  case $cmd in
    up) cafe_up || { cafe_down; exit 1; }; echo "$LRLAB_STATE" ;;
    down) cafe_down ;;
    exec) cafe_exec "$@" ;;
    run)
      trap cafe_down EXIT
      trap 'exit 130' INT
      trap 'exit 143' TERM
      cafe_up || exit 1
      cafe_exec "$@"
      ;;
    wine)
      [ $# -ge 3 ] || { echo "cafe.sh wine DIR ARP_EXE PROGRAM [ARGS...]" >&2; exit 2; }
      dir=$(realpath -m "$1") arp=$(realpath "$2")
      shift 2
      source "$CAFE_LIB/../../../scripts/lib/wine.sh"
      source "$CAFE_LIB/lab_wine.sh"
      trap 'lab_wine_down "$LRLAB_SCAN_NS"; cafe_down; lr_xvfb_stop' EXIT
      trap 'exit 130' INT
      trap 'exit 143' TERM
      cafe_up || exit 1
      lr_xvfb_start && lab_wine_up "$LRLAB_SCAN_NS" "$dir" "lab-$LRLAB_TAG" "$arp" || exit 1
      lab_wine "$LRLAB_SCAN_NS" "$@"
      ;;
    *) awk 'NR > 1 && /^#/ { sub(/^# ?/, ""); print; next } NR > 1 { exit }' "$0"; exit 2 ;;
  esac
fi
