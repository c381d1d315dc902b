#!/usr/bin/env bash
# Installs whatever is missing and builds the release of the committed tree: the zip with the
# game and its read-me, and the installer. It builds twice, in two fresh copies of the commit in
# different folders and at different times, and writes the files to dist/ only when both builds
# gave the same bytes, the executable that ships is stripped and protected, and it and the zip
# are small enough.
set -euo pipefail
source "$(dirname "$0")/tools/common.sh"
cd "$TIREMOLA_ROOT"

# The executable holds every picture twice, at 100 % and at 200 % for scaled displays.
max_exe_kib=1280
max_zip_kib=600

ensure_packages
commit=$(git rev-parse HEAD)
if [ -n "$(git status --porcelain --untracked-files=no)" ]; then
  echo "Uncommitted changes are left out: the release is built from commit $commit." >&2
fi
# The time of the commit, for the files in the archives.
SOURCE_DATE_EPOCH=$(git log -1 --format=%ct "$commit")
export SOURCE_DATE_EPOCH

work="$TIREMOLA_BUILD/release"
rm -rf "$work"

# Builds the release files in a fresh copy of the commit at $1; further arguments go to tar, so
# that the second copy's files can carry the time of extraction instead of the commit's.
build_copy() {
  local source=$1 log=$1.log
  shift
  mkdir -p "$source"
  git archive "$commit" | tar -x -C "$source" "$@"
  echo "Building the release in $source"
  if ! (cd "$source" && cmake --preset windows && cmake --build --preset windows --target release_files) >"$log" 2>&1; then
    tail -n 30 "$log"
    echo "The release build failed; its whole output is in $log" >&2
    exit 1
  fi
}

first="$work/first"
second="$work/second/in/a/deeper/folder"
build_copy "$first"
build_copy "$second" --touch

packaging=build/windows/packaging
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$first/build/windows/CMakeCache.txt")
files=("shipped/Tiremola.exe" "Tiremola-$version-win64.zip" "Tiremola-$version-win64-setup.exe")

same=yes
for f in "${files[@]}"; do
  a="$first/$packaging/$f" b="$second/$packaging/$f"
  printf '%9d  %s  %s\n%9d  %s  %s\n' "$(stat -c %s "$a")" "$(sha256sum <"$a" | cut -d' ' -f1)" "$a" \
    "$(stat -c %s "$b")" "$(sha256sum <"$b" | cut -d' ' -f1)" "$b"
  cmp -s "$a" "$b" || { echo "DIFFERENT: $f" >&2; same=no; }
done
[ "$same" = yes ] || { echo "The two builds of $commit differ: the release is not reproducible." >&2; exit 1; }
echo "Both builds are byte-identical."

# The executable in the zip, in the folder named after the release, is the stripped one: no
# symbol table, no link time, small, with the protections a reviewer checks first.
exe="$first/$packaging/shipped/Tiremola.exe"
unzip -p "$first/$packaging/${files[1]}" "Tiremola-$version-win64/Tiremola.exe" | cmp -s - "$exe" ||
  { echo "The zip does not hold the stripped executable in its folder." >&2; exit 1; }
symbols=$(x86_64-w64-mingw32-objdump -t "$exe")
grep -q '^no symbols$' <<<"$symbols" || { echo "The executable that ships has a symbol table." >&2; exit 1; }
headers=$(TZ=UTC x86_64-w64-mingw32-objdump -p "$exe")
grep -Eq '^Time/Date[[:space:]]+Thu Jan  1 00:00:00 1970$' <<<"$headers" ||
  { echo "The executable that ships carries a link time." >&2; exit 1; }
# A file's size in KiB, rounded up.
kib_of() { echo $(( ($(stat -c %s "$1") + 1023) / 1024 )); }
kib=$(kib_of "$exe")
[ "$kib" -le "$max_exe_kib" ] || { echo "The executable is $kib KiB, more than $max_exe_kib KiB." >&2; exit 1; }
zip_kib=$(kib_of "$first/$packaging/${files[1]}")
[ "$zip_kib" -le "$max_zip_kib" ] || { echo "The zip is $zip_kib KiB, more than $max_zip_kib KiB." >&2; exit 1; }
tools/check-release-exe.sh "$exe" "$first/build/windows/game/Tiremola.exe" ||
  { echo "The executable that ships lacks a protection." >&2; exit 1; }

rm -rf dist
mkdir -p dist
cp "$first/$packaging/${files[1]}" "$first/$packaging/${files[2]}" dist/
echo "Release $version of commit $commit (Tiremola.exe $kib KiB, zip $zip_kib KiB):"
(cd dist && sha256sum -- *)
