#!/usr/bin/env bash
# The main job: set up the machine and build the shipped 32-bit programs into dist/.
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
