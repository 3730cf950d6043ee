# Wine inside a lab namespace. Source it after scripts/lib/wine.sh. The wineserver owns the
# sockets, so it must run inside the namespace; every Wine program of the prefix is then
# started there too (lab_wine), which also gives it the namespace's /etc/netns files
# (hosts, nsswitch.conf).
#
#   lab_wine_up NS DIR NAME [ARP_EXE]   copy the template prefix of DIR to DIR/NAME (exports
#                                       WINEPREFIX, HOME), start its wineserver inside NS;
#                                       with ARP_EXE, install it as arp.exe in the system
#                                       folder of the build's programs (LAB_SYSDIR of
#                                       lab_build.sh: system32, or syswow64 for the 32-bit
#                                       build) and let it replace Wine's built-in (arp.exe=n)
#   lab_wine NS PROGRAM ARGS...         run a Wine program of that prefix inside NS
#   lab_wine_down NS                    stop the prefix's wineserver and delete the prefix
#
# Wine's own arp.exe prints nothing; with the replacement, "cmd /c arp -a >FILE" writes the
# neighbour table as Windows' arp -a does.

lab_wine_up() {
  local ns=$1 dir=$2 name=$3 arp=${4:-}
  lr_wine_prefix "$dir" "$name" >/dev/null || return 1
  LR_EXTRA_OVERRIDES=${arp:+arp.exe=n} lr_wine_env
  if [ -n "$arp" ]; then
    cp "$arp" "$WINEPREFIX/drive_c/windows/${LAB_SYSDIR:-system32}/arp.exe" || return 1
  fi
  ip netns exec "$ns" "$LR_WINESERVER" -p || return 1
  if [ -n "$arp" ]; then
    # Also in the registry, so the override holds for programs started without this
    # environment (a command run by the program under test, say).
    lab_wine "$ns" reg add 'HKCU\Software\Wine\DllOverrides' /v arp.exe /d native /f \
      >/dev/null 2>&1 || return 1
  fi
}

lab_wine() {
  local ns=$1; shift
  ip netns exec "$ns" "$LR_WINE" "$@"
}

lab_wine_down() {
  local ns=$1
  [ -n "${WINEPREFIX:-}" ] || return 0
  ip netns exec "$ns" "$LR_WINESERVER" -k >/dev/null 2>&1
  rm -rf "$WINEPREFIX"
}
