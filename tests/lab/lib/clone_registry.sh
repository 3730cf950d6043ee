# Sourced by the suites that run Hostprep on a simulated clone: reading the registry values
# Hostprep may touch, through the suite's own `wine_in` (reg.exe inside the clone's prefix
# and namespace). Read them while the prefix's wineserver still lives: Wine resets the
# computer name when a server starts afresh.

TCPIP1='SYSTEM\ControlSet001\Services\Tcpip\Parameters'
TCPIP='SYSTEM\CurrentControlSet\Services\Tcpip\Parameters'
CNAME='SYSTEM\CurrentControlSet\Control\ComputerName\ComputerName'
IPX='SYSTEM\CurrentControlSet\Services\NwlnkIpx\Parameters'
RUN='SOFTWARE\Microsoft\Windows\CurrentVersion\Run'
# A 32-bit Hostprep (LAB_BITS of lab_build.sh) reads and removes the value in the 32-bit view,
# where the 32-bit Lanroster writes it and Windows starts it.
if [ "${LAB_BITS:-64}" = 32 ]; then
  RUN='SOFTWARE\Wow6432Node\Microsoft\Windows\CurrentVersion\Run'
fi

# regval KEY VALUE: the data of a value under HKLM as reg.exe prints it (GBK), or
# "<absent>". reg.exe answers on its output with the value's line, or with a line "reg: ..."
# that it is not there; no answer at all is a start of reg.exe that failed (a loaded
# machine), and it is asked again.
regval() {
  local out raw try
  for try in 1 2 3; do
    raw=$(wine_in reg query "HKLM\\$1" /v "$2" 2>/dev/null | tr -d '\r')
    printf '%s\n' "$raw" | grep -aqE "^    $2    REG_|^reg: " && break
    sleep 1
  done
  out=$(printf '%s\n' "$raw" | grep -a "^    $2    REG_" | head -1)
  if [ -z "$out" ]; then echo "<absent>"; return; fi
  printf '%s\n' "$out" | sed -E "s/^    .{${#2}}    REG_[A-Z_]+    //"
}

# Every value Hostprep may touch, one line each.
regdump() {
  local kv
  for kv in "$TCPIP1|NV Hostname" "$TCPIP1|Hostname" "$CNAME|ComputerName" \
    "$TCPIP|NV Hostname" "$TCPIP|Hostname" "$IPX|VirtualNetworkNumber" "$RUN|hostprep"; do
    echo "${kv#*|}=$(regval "${kv%%|*}" "${kv#*|}")"
  done
}
