#!/usr/bin/env bash
# The main job: set up the machine, build the shipped 32-bit programs into dist/, then start
# Lanroster.exe under Wine inside the simulated café lab (24 PCs in network namespaces with
# no route out), so that a scan finds the lab's PCs at once. With an X display the window
# opens there; without one it runs under Xvfb, scans the lab by itself and saves a picture
# of the filled window as build/lab-window/lanroster_demo.png. Needs root: started as
# another user it runs itself again through sudo.
#
# dist/ receives the release Lanroster-<version>.zip (Lanroster.exe, Help.txt, 说明.txt), the
# loose programs and Help.txt, and SHA256SUMS of them all.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/lib/root.sh
lr_as_root "$0" "$@"
bash scripts/setup.sh
cmake --preset win32 >/dev/null
cmake --build --preset win32
version=$(head -n 1 VERSION)
rm -rf dist
mkdir -p dist
cp build/win32/apps/Lanroster/Lanroster.exe build/win32/apps/Hostprep/Hostprep.exe \
   build/win32/apps/Lanroster/Help.txt "build/win32/Lanroster-$version.zip" dist/
(cd dist && sha256sum "Lanroster-$version.zip" Lanroster.exe Hostprep.exe Help.txt > SHA256SUMS)
echo "dist/ (shipped sizes in bytes):"
(cd dist && stat -c '  %-24n %9s' "Lanroster-$version.zip" Lanroster.exe Hostprep.exe Help.txt)
# The demo runs the shipped program itself where this machine runs 32-bit code (WoW64), and
# the x86-64 build of the same sources where it does not.
source scripts/lib/wine.sh
if why=$(lr_wine32_ok); then
  export LR_LAB_BUILD=$PWD/build/win32
else
  echo "demo: the x86-64 build, since $why"
  export LR_LAB_BUILD=$PWD/build/win64
fi
bash tests/lab/window/demo.sh
