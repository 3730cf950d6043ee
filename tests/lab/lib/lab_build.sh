# Sourced by the lab suites after scripts/lib/wine.sh: which Windows build a suite runs, and
# where that build's programs look for what the fixtures put in place. Every suite runs with
# the x86-64 build or the shipped 32-bit one; its lab programs and helper tools (arp.exe,
# the recorder, the key logger, ...) come from the same build folder, so they have the
# bitness of the programs under test (a tool that reads another process's list view must).
#
#   LR_LAB_BUILD   the build folder (default build/win64; LR_WIN64_BUILD, its older name, is
#                  still read). A folder named win32 is the 32-bit build (preset win32),
#                  any other one the x86-64 build (preset win64); LR_LAB_PRESET overrides.
#
#   lab_build_use ROOT    sets BUILD, LAB_PRESET, LAB_BITS (32 or 64), LAB_SYSDIR, LAB_CMD
#   lab_build TARGET...   configures BUILD when it is new and builds the targets
#   lab_build_runs        fails, saying why, when this machine can't run the build's programs
#
# Under WoW64, as on 64-bit Windows, a 32-bit program's C:\Windows\System32 is SysWOW64 (its
# netsh, shutdown, arp and cmd come from there, so their replacements go there: LAB_SYSDIR)
# and its HKLM\SOFTWARE is the 32-bit view HKLM\SOFTWARE\Wow6432Node (clone_registry.sh).

lab_build_use() {
  local root=$1
  BUILD=${LR_LAB_BUILD:-${LR_WIN64_BUILD:-$root/build/win64}}
  LAB_PRESET=${LR_LAB_PRESET:-}
  if [ -z "$LAB_PRESET" ]; then
    case $(basename "$BUILD") in win32) LAB_PRESET=win32 ;; *) LAB_PRESET=win64 ;; esac
  fi
  if [ "$LAB_PRESET" = win32 ]; then
    LAB_BITS=32 LAB_SYSDIR=syswow64
  else
    LAB_BITS=64 LAB_SYSDIR=system32
  fi
  # The command interpreter a program of this build starts (its `cmd /c ...`).
  LAB_CMD="C:\\windows\\$LAB_SYSDIR\\cmd.exe"
  export LAB_BITS
}

lab_build() {
  if [ ! -f "$BUILD/CMakeCache.txt" ]; then
    cmake --preset "$LAB_PRESET" -B "$BUILD" >/dev/null || return 1
  fi
  cmake --build "$BUILD" --target "$@" >/dev/null
}

lab_build_runs() {
  [ "$LAB_BITS" = 64 ] && return 0
  local why
  why=$(lr_wine32_ok) && return 0
  echo "the 32-bit build can't run here: $why"
  return 1
}
