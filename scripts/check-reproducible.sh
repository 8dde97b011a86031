#!/usr/bin/env bash
# Checks that the release can be rebuilt byte for byte, as a distribution would:
# two clean clones of HEAD, in folders of different depth, released one after
# the other by their own scripts/release.sh under different time zones and
# umasks, must give identical files: programs, read-me, zip and every entry in
# it, setup program and SHA256SUMS. Unsigned: a signature carries its own time.
# Usage: scripts/check-reproducible.sh [commit, default HEAD]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
commit=$(git -C "$root" rev-parse --verify "${1:-HEAD}^{commit}")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
unset ZV_SIGN_CERT ZV_SIGN_KEY ZV_SIGN_TIMESTAMP SOURCE_DATE_EPOCH

release_in() {  # release_in <folder> <time zone> <umask>: clone, build and release there
  local dir=$1 started=$SECONDS
  mkdir -p "$dir"
  if ! (umask "$3"
        export TZ=$2 ZV_BUILD_ROOT=$dir/build
        git clone -q --no-checkout "$root" "$dir/src" &&
          git -C "$dir/src" checkout -q --detach "$commit" &&
          bash "$dir/src/scripts/release.sh" "$dir/release") >"$dir/log" 2>&1; then
    echo "release in $dir failed:"; tail -n 20 "$dir/log"; return 1
  fi
  echo "released $commit in $dir (TZ=$2, umask $3): $((SECONDS - started)) s"
}

first=$work/a
second=$work/elsewhere/deeper/b
release_in "$first" UTC 0022
release_in "$second" Pacific/Chatham 0077

# The same names everywhere, the same modes and times in the programs' folder,
# and the same bytes in every file.
listing() { (cd "$1" && find . -printf '%P %m %T@\n' | LC_ALL=C sort); }
differences=0
if ! diff <(cd "$first/release" && find . | LC_ALL=C sort) <(cd "$second/release" && find . | LC_ALL=C sort); then
  echo "the releases hold different files"; differences=1
fi
for folder in "$first"/release/*/; do
  name=$(basename "$folder")
  diff <(listing "$folder") <(listing "$second/release/$name") ||
    { echo "modes or times differ in $name/"; differences=1; }
done
while read -r file; do
  if ! cmp -s "$first/release/$file" "$second/release/$file"; then
    echo "differs: $file"; differences=1
  fi
done < <(cd "$first/release" && find . -type f | LC_ALL=C sort)
# The zip's entries one by one, so that a difference says where it is.
for zip in "$first"/release/*.zip; do
  name=$(basename "$zip")
  mkdir -p "$work/unzip-a" "$work/unzip-b"
  unzip -q "$zip" -d "$work/unzip-a" && unzip -q "$second/release/$name" -d "$work/unzip-b" &&
    diff -r "$work/unzip-a" "$work/unzip-b" >/dev/null || { echo "differs: entries of $name"; differences=1; }
  diff <(zipinfo -T "$zip" | tail -n +2) <(zipinfo -T "$second/release/$name" | tail -n +2) >/dev/null ||
    { echo "differs: entry order, modes or times in $name"; differences=1; }
done

if [ "$differences" = 0 ]; then
  echo "reproducible: $(cd "$first/release" && find . -type f | wc -l) files identical"
  (cd "$first/release" && sha256sum -- *.zip *-setup.exe)
fi
exit "$differences"
