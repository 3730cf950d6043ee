#!/usr/bin/env bash
# Checks that the release is reproducible: builds the shipped 32-bit programs a second time,
# from a copy of the same sources in another folder (another path length too), and compares
# Lanroster.exe, Hostprep.exe and the release zip byte for byte with build/win32's.
# Ends with "N passed, N failed".
set -u
cd "$(dirname "$0")/.."
ROOT=$PWD
COPY=$ROOT/build/reproducible/second-tree
targets=(Hostprep Lanroster release)

cmake --preset win32 >/dev/null && cmake --build --preset win32 --target "${targets[@]}" ||
  { echo "0 passed, 1 failed"; exit 1; }

# The tracked and new files as they stand in the work tree, build output left out.
rm -rf "$COPY"
mkdir -p "$COPY"
git ls-files -z --cached --others --exclude-standard | grep -zv '^build/' |
  xargs -0 cp --parents -t "$COPY" 2>/dev/null
(cd "$COPY" && cmake --preset win32 >/dev/null && cmake --build --preset win32 --target "${targets[@]}") ||
  { echo "0 passed, 1 failed"; exit 1; }

version=$(head -n 1 VERSION)
passed=0 failed=0
for f in apps/Hostprep/Hostprep.exe apps/Lanroster/Lanroster.exe "Lanroster-$version.zip"; do
  if cmp "build/win32/$f" "$COPY/build/win32/$f"; then
    echo "identical: $f ($(stat -c %s "build/win32/$f") bytes)"
    passed=$((passed + 1))
  else
    echo "DIFFERENT: $f"
    failed=$((failed + 1))
  fi
done
[ "$failed" -eq 0 ] && rm -rf "$COPY"
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
