#!/usr/bin/env bash
# Runs every test of the project and ends with one line "N passed, N failed".
#
#   scripts/test.sh            everything: host, win, win32, fuzz, lab
#   scripts/test.sh host win   only the named layers
#
# Layers:
#   host   native build with ASan and UBSan: portable unit tests, fuzz replays
#   win    x86-64 Windows build: the same unit tests and the Windows tests under wine64,
#          in a throwaway prefix, under Xvfb, with a zh_CN locale (code page 936)
#   win32  the shipped 32-bit build: built a second time in another folder to check the
#          programs and the zip are identical, then its unit tests and Windows tests under
#          WoW64 (the 32-bit Wine), like the win layer's
#   fuzz   clang libFuzzer targets, LR_FUZZ_SECONDS (20) each
#   lab    network namespaces with simulated café PCs (needs root): tests/lab/suite_*.sh,
#          each once with the x86-64 build (lab-NAME) and once with the 32-bit one (lab32-NAME)
#
# Each step's output goes to build/logs/STEP.log; a failing step prints its tail.
# On a machine whose kernel runs no 32-bit code (some virtual machines) the 32-bit runs are
# reported as skipped, with the reason, and the closing line adds ", N skipped";
# LR_REQUIRE_WIN32=1 counts them as failed instead.
# Needs root: started as another user it runs itself again through sudo.
set -u
cd "$(dirname "$0")/.."
source scripts/lib/root.sh
lr_as_root "$0" "$@"
ROOT=$PWD
LOGS=$ROOT/build/logs
mkdir -p "$LOGS"

layers=("$@")
[ ${#layers[@]} -eq 0 ] && layers=(host win win32 fuzz lab)
want() { local l; for l in "${layers[@]}"; do [ "$l" = "$1" ] && return 0; done; return 1; }

bash scripts/setup.sh || { echo "0 passed, 1 failed"; exit 1; }

PASSED=0
FAILED=0
SKIPPED=0

# Runs a step; its counts come from GoogleTest's summary, or from a line
# "N passed, N failed" that it prints, or else from its exit code alone.
step() {
  local name=$1; shift
  local log=$LOGS/$name.log
  local start=$SECONDS rc p f
  "$@" >"$log" 2>&1
  rc=$?
  p=$(grep -aoE '^\[  PASSED  \] [0-9]+ test' "$log" | grep -oE '[0-9]+' | tail -1)
  f=$(grep -aoE '^\[  FAILED  \] [0-9]+ test' "$log" | grep -oE '[0-9]+' | tail -1)
  if [ -z "$p" ]; then
    local line
    line=$(grep -aoE '^[A-Za-z:]*[ ]*[0-9]+ passed, [0-9]+ failed' "$log" | tail -1)
    if [ -n "$line" ]; then
      p=$(echo "$line" | grep -oE '[0-9]+ passed' | grep -oE '[0-9]+')
      f=$(echo "$line" | grep -oE '[0-9]+ failed' | grep -oE '[0-9]+')
    fi
  fi
  if [ -z "$p" ]; then
    if [ $rc -eq 0 ]; then p=1 f=0; else p=0 f=1; fi
  fi
  f=${f:-0}
  # A crash after the summary, or a non-zero exit with no failure counted, still fails.
  if [ $rc -ne 0 ] && [ "$f" -eq 0 ]; then f=1; fi
  PASSED=$((PASSED + p))
  FAILED=$((FAILED + f))
  if [ "$f" -ne 0 ]; then
    printf '%-28s FAILED (%d passed, %d failed, %ds) log: %s\n' "$name" "$p" "$f" $((SECONDS - start)) "$log"
    tail -n 40 "$log" | sed 's/^/    /'
  else
    printf '%-28s ok (%d passed, %ds)\n' "$name" "$p" $((SECONDS - start))
  fi
  return $rc
}

skip() {  # name reason
  if [ "${LR_REQUIRE_WIN32:-0}" = 1 ]; then
    FAILED=$((FAILED + 1))
    printf '%-28s FAILED: %s\n' "$1" "$2"
  else
    SKIPPED=$((SKIPPED + 1))
    printf '%-28s skipped: %s\n' "$1" "$2"
  fi
}

build() {  # preset [targets...]
  local preset=$1; shift
  cmake --preset "$preset" >/dev/null && cmake --build --preset "$preset" "$@"
}

source scripts/lib/wine.sh

# The unit tests and the Windows tests of one build under Wine, in a throwaway prefix, under
# Xvfb, with code page 936: wine_tests BUILD STEP (steps STEP-prefix, STEP-unit, STEP-win).
wine_tests() {
  lr_zh_locale "$ROOT/build/locale"
  lr_xvfb_start
  step "$2-prefix" lr_wine_prefix "$ROOT/build/wine" tests
  lr_wine_prefix "$ROOT/build/wine" tests >/dev/null 2>&1
  step "$2-unit" "$LR_WINE" "$1/tests/unit/lr_unit_tests.exe"
  step "$2-win" "$LR_WINE" "$1/tests/win/lr_win_tests.exe"
  lr_wine_stop
  lr_xvfb_stop
  unset LC_ALL LOCPATH
}

if want host; then
  if step host-build build host; then
    step host-unit build/host/tests/unit/lr_unit_tests
    step host-fuzz-replay bash scripts/fuzz.sh replay build/host/tests/fuzz
  fi
fi

if want win || want lab; then
  step win64-build build win64 || layers=()
fi

if want win; then
  wine_tests build/win64 wine
fi

# The 32-bit programs run under WoW64 as on 64-bit Windows, in a fresh copy of the template.
WIN32_BUILT=
if want win32 || want lab; then
  step win32-build build win32 && WIN32_BUILT=1
fi
WIN32_WHY=$(lr_wine32_ok) && WIN32_WHY=

if want win32 && [ -n "$WIN32_BUILT" ]; then
  step win32-reproducible bash scripts/release_check.sh
  if [ -z "$WIN32_WHY" ]; then
    wine_tests build/win32 wine32
  else
    skip wine32-unit "$WIN32_WHY"
    skip wine32-win "$WIN32_WHY"
  fi
fi

if want fuzz; then
  if step fuzz-build build fuzz; then
    for t in build/fuzz/tests/fuzz/fuzz_*; do
      [ -x "$t" ] || continue
      step "$(basename "$t")" bash scripts/fuzz.sh run "$t" "${LR_FUZZ_SECONDS:-20}"
    done
  fi
fi

# Each lab suite builds the namespaces it needs, tears them down, and prints
# "N passed, N failed". Each runs with the x86-64 build, then with the shipped 32-bit one.
if want lab; then
  for suite in tests/lab/suite_*.sh; do
    [ -f "$suite" ] || continue
    step "lab-$(basename "$suite" .sh | sed 's/^suite_//')" bash "$suite"
  done
  for suite in tests/lab/suite_*.sh; do
    [ -f "$suite" ] || continue
    name=lab32-$(basename "$suite" .sh | sed 's/^suite_//')
    if [ -z "$WIN32_BUILT" ]; then
      skip "$name" "the win32 build failed"
    elif [ -n "$WIN32_WHY" ]; then
      skip "$name" "$WIN32_WHY"
    else
      step "$name" env LR_LAB_BUILD="$ROOT/build/win32" bash "$suite"
    fi
  done
fi

if [ "$SKIPPED" -gt 0 ]; then
  echo "$PASSED passed, $FAILED failed, $SKIPPED skipped"
else
  echo "$PASSED passed, $FAILED failed"
fi
[ "$FAILED" -eq 0 ]
