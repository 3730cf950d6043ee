#!/usr/bin/env bash
# Checks the release: its zip holds the three files, its texts are GBK with CR LF and carry
# the version; and it is reproducible: the shipped 32-bit programs are built a second time,
# from a copy of the same sources in another folder (another path length too), and
# Lanroster.exe, Hostprep.exe and the zip must equal build/win32's byte for byte.
# Ends with "N passed, N failed".
set -u
cd "$(dirname "$0")/.."
ROOT=$PWD
COPY=$ROOT/build/reproducible/second-tree
targets=(Hostprep Lanroster release)

cmake --preset win32 >/dev/null && cmake --build --preset win32 --target "${targets[@]}" ||
  { echo "0 passed, 1 failed"; exit 1; }

version=$(head -n 1 VERSION)
zip=build/win32/Lanroster-$version.zip
contents_ok=1
python3 - "$zip" "$version" <<'PY' || contents_ok=0
import sys, zipfile
zip_path, version = sys.argv[1], sys.argv[2]
infos = zipfile.ZipFile(zip_path).infolist()
def stored_name(info):  # GBK, which zipfile reads as code page 437
    try:
        return info.filename.encode("cp437").decode("gbk")
    except UnicodeError:
        return info.filename
names = [stored_name(i) for i in infos]
assert names == ["Lanroster.exe", "Help.txt", "说明.txt"], names
for info, name in zip(infos[1:], names[1:]):
    text = zipfile.ZipFile(zip_path).read(info).decode("gbk")
    assert "\n" not in text.replace("\r\n", ""), name + ": a line end without CR"
    assert version in "".join(text.split("\r\n")[:4]), name + ": no version in its header"
    assert "@LR_VERSION@" not in text, name
print("release zip: three files, GBK texts with CR LF and version " + version)
PY

# The tracked and new files as they stand in the work tree, build output left out.
rm -rf "$COPY"
mkdir -p "$COPY"
git ls-files -z --cached --others --exclude-standard | grep -zv '^build/' |
  xargs -0 cp --parents -t "$COPY" 2>/dev/null
(cd "$COPY" && cmake --preset win32 >/dev/null && cmake --build --preset win32 --target "${targets[@]}") ||
  { echo "0 passed, 1 failed"; exit 1; }

passed=$contents_ok failed=$((1 - contents_ok))
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
