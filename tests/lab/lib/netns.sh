# Small bash library for lab network namespaces. Source it; every function registers what it
# makes, and lab_teardown removes all of it again (namespaces, their /etc/netns folders and
# the background processes started with lab_spawn). Call lab_trap once so teardown also runs
# after a failure or an interrupt.
#
#   lab_ns_add NS                     make namespace NS (name must start with "lrlab-"), lo up
#   lab_veth NS1 IF1 NS2 IF2 [MAC1]   veth pair IF1 in NS1 <-> IF2 in NS2, both up
#   lab_bridge NS BR                  a bridge BR in NS, up, no STP
#   lab_port NS BR IF                 enslave IF (in NS) to bridge BR
#   lab_mac NS IF MAC                 set the MAC of IF
#   lab_addr NS IF CIDR               add an IPv4 address to IF
#   lab_etc NS FILE TEXT              write /etc/netns/NS/FILE (bind-mounted over /etc/FILE by
#                                     `ip netns exec NS`), e.g. hosts or nsswitch.conf
#   lab_isolated_resolver NS          name lookups in NS read only its hosts file
#   lab_exec NS CMD...                run CMD inside NS
#   lab_spawn NS CMD...               start CMD inside NS in the background; pid in LAB_PID
#   lab_no_route_out NS               fail unless NS has no default route
#   lab_teardown                      stop spawned processes, delete every namespace made
#   lab_teardown_prefix PREFIX        delete every namespace named PREFIX* and what runs in
#                                     it (for a lab made by another shell)
#   lab_trap                          run lab_teardown on EXIT, INT and TERM
#
# Namespaces are private to the machine and have no route out; nothing here touches the
# root namespace's interfaces.

LAB_NAMESPACES=()
LAB_PIDS=()

lab_ns_add() {
  local ns=$1
  case $ns in lrlab-*) ;; *) echo "lab: namespace '$ns' must start with lrlab-" >&2; return 1 ;; esac
  ip netns add "$ns" || return 1
  LAB_NAMESPACES+=("$ns")
  ip -n "$ns" link set dev lo up
}

lab_veth() {
  local ns1=$1 if1=$2 ns2=$3 if2=$4 mac=${5:-}
  ip link add "$if1" ${mac:+address "$mac"} netns "$ns1" type veth peer name "$if2" netns "$ns2" || return 1
  ip -n "$ns1" link set dev "$if1" up && ip -n "$ns2" link set dev "$if2" up
}

lab_bridge() {
  ip -n "$1" link add "$2" type bridge stp_state 0 forward_delay 0 && ip -n "$1" link set dev "$2" up
}

lab_port() { ip -n "$1" link set dev "$3" master "$2"; }

lab_mac() { ip -n "$1" link set dev "$2" address "$3"; }

lab_addr() { ip -n "$1" addr add "$3" dev "$2"; }

lab_etc() {
  local ns=$1 file=$2 text=$3
  mkdir -p "/etc/netns/$ns" && printf '%s' "$text" >"/etc/netns/$ns/$file"
}

# glibc then never asks a DNS server: lookups of names and addresses use the hosts file only,
# and the resolver points at loopback in case a program reads resolv.conf itself.
lab_isolated_resolver() {
  local ns=$1
  lab_etc "$ns" nsswitch.conf $'hosts: files\nnetworks: files\n' &&
    lab_etc "$ns" resolv.conf $'nameserver 127.0.0.1\n'
  [ -f "/etc/netns/$ns/hosts" ] || lab_etc "$ns" hosts $'127.0.0.1 localhost\n'
}

lab_exec() { local ns=$1; shift; ip netns exec "$ns" "$@"; }

lab_spawn() {
  local ns=$1; shift
  ip netns exec "$ns" "$@" &
  LAB_PID=$!
  LAB_PIDS+=("$LAB_PID")
}

lab_no_route_out() {
  if ip -n "$1" route show default | grep -q .; then
    echo "lab: namespace $1 has a default route" >&2
    return 1
  fi
}

lab_teardown() {
  local pid ns i
  for pid in "${LAB_PIDS[@]}"; do kill "$pid" 2>/dev/null; done
  for pid in "${LAB_PIDS[@]}"; do
    for i in $(seq 30); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
    kill -9 "$pid" 2>/dev/null
  done
  LAB_PIDS=()
  for ns in "${LAB_NAMESPACES[@]}"; do lab_ns_del "$ns"; done
  LAB_NAMESPACES=()
}

# Deletes one namespace; whatever still runs inside (a daemon that forked, a wineserver)
# goes with it.
lab_ns_del() {
  local ns=$1 pid
  for pid in $(ip netns pids "$ns" 2>/dev/null); do kill -9 "$pid" 2>/dev/null; done
  ip netns del "$ns" 2>/dev/null
  rm -rf "/etc/netns/$ns"
}

lab_teardown_prefix() {
  local prefix=$1 ns
  case $prefix in lrlab-?*) ;; *) echo "lab: prefix '$prefix' must start with lrlab-" >&2; return 1 ;; esac
  for ns in $(ip netns list | awk '{print $1}'); do
    case $ns in "$prefix"*) lab_ns_del "$ns" ;; esac
  done
}

lab_trap() {
  trap 'lab_teardown' EXIT
  trap 'lab_teardown; trap - EXIT; exit 130' INT
  trap 'lab_teardown; trap - EXIT; exit 143' TERM
}
