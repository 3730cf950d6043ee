#!/usr/bin/env bash
# The main job: set up the machine, build the shipped 32-bit programs into dist/, then start
# Lanroster.exe under Wine inside the simulated café lab (24 PCs in network namespaces with
# no route out), so that a scan finds the lab's PCs at once. With an X display the window
# opens there; without one it runs under Xvfb, scans the lab by itself and saves a picture
# of the filled window as build/lab-window/lanroster_demo.png. Needs root.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake --preset win32 >/dev/null
cmake --build --preset win32
mkdir -p dist
shopt -s nullglob
for f in build/win32/apps/*/*.exe apps/Lanroster/Help.txt; do
  cp "$f" dist/
done
echo "dist/:"
ls -l dist/
exec bash tests/lab/window/demo.sh
