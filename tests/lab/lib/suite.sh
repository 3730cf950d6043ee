# Sourced by the lab suites: their counts, pass and fail lines, the closing
# "N passed, N failed" line, the root check, and the counts of a GoogleTest run.

PASSED=0
FAILED=0

pass() { PASSED=$((PASSED + 1)); echo "ok    $1"; }
# fail NAME [DETAIL]
# The failed names are repeated above the closing line, so a log's tail shows them.
FAILURES=""
fail() {
  FAILED=$((FAILED + 1))
  FAILURES+="FAIL  $1"$'\n'
  echo "FAIL  $1"
  [ -n "${2:-}" ] && echo "      $2"
}

# Prints the failed names and the closing line and exits: 0 when nothing failed.
finish() {
  [ -n "$FAILURES" ] && printf 'failed in this suite:\n%s' "$FAILURES"
  echo "$PASSED passed, $FAILED failed"
  [ "$FAILED" -eq 0 ]
  exit
}

# Network namespaces need root; without it the suite fails at once.
suite_need_root() {
  if [ "$(id -u)" != 0 ]; then
    echo "the lab needs root (network namespaces)"
    FAILED=1
    finish
  fi
}

# suite_count_gtest LOG STATUS: adds a GoogleTest program's counts from its log; a program
# that ended badly without a failed test counts as one failure.
suite_count_gtest() {
  local log=$1 rc=$2 p f
  p=$(grep -aoE '^\[  PASSED  \] [0-9]+' "$log" | grep -oE '[0-9]+$' | tail -1)
  f=$(grep -aoE '^\[  FAILED  \] [0-9]+ test' "$log" | grep -oE '[0-9]+' | head -1)
  p=${p:-0}
  f=${f:-0}
  if [ "$rc" -ne 0 ] && [ "$f" -eq 0 ]; then
    f=1
    echo "  the test program ended with status $rc"
    tail -n 20 "$log"
  fi
  PASSED=$((PASSED + p))
  FAILED=$((FAILED + f))
  local names
  names=$(grep -aoE '^\[  FAILED  \] [A-Za-z0-9_/]+\.[A-Za-z0-9_/]+' "$log" | awk '{ print "FAIL  " $4 }' | sort -u)
  [ -z "$names" ] && [ "$f" -ne 0 ] && names="FAIL  $log (status $rc)"
  [ -n "$names" ] && FAILURES+="$names"$'\n'
  return 0
}

# check_eq NAME EXPECTED ACTUAL
check_eq() {
  if [ "$2" = "$3" ]; then pass "$1"; else fail "$1" "expected [$2] got [$3]"; fi
}

# One lab suite at a time on a machine: the suites reuse namespace names, system folders and
# Xvfb displays. The lock is held by the suite's shell; a program it started that outlives it
# (and inherited the lock) doesn't hold up the next suite: the wait is only for a live suite.
if [ "$(id -u)" = 0 ]; then
  exec 8>>/run/lanroster-lab.lock
  if ! flock -n 8; then
    holder=$(cat /run/lanroster-lab.pid 2>/dev/null)
    if [ -n "$holder" ] && kill -0 "$holder" 2>/dev/null; then
      echo "lab: another lab suite (pid $holder) is running on this machine; waiting for it"
      until flock -n 8 || ! kill -0 "$holder" 2>/dev/null; do sleep 2; done
    fi
  fi
  echo $$ >/run/lanroster-lab.pid
fi
