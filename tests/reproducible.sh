#!/usr/bin/env bash
# The same commit built twice, from two folders (of other lengths) and at two times, must give
# byte-identical programs for each target, stamped with the commit's time: a build path or a
# clock in a program shows as a difference.
# Builds the working tree (tracked and new files) as committed at HEAD would be built.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
work="$(mktemp -d "${TMPDIR:-/tmp}/repro.XXXXXX")"
trap 'rm -rf "$work"' EXIT
unset SOURCE_DATE_EPOCH
epoch="$(git -C "$root" log -1 --format=%ct)"

# A clone of HEAD with the working tree's files over it, so the commit's time comes from git.
copy() {
  git clone -q --shared "$root" "$1"
  (cd "$root" && git ls-files -z --cached --others --exclude-standard |
    while IFS= read -r -d '' f; do [[ -f $f ]] && printf '%s\0' "$f"; done |
    xargs -0 cp --parents -t "$1")
}

failed=0
fail() { echo "reproducible: $*" >&2; failed=1; }

builds=("$work/a" "$work/second-folder-with-a-longer-name/src")
for i in 0 1; do
  ((i == 0)) || sleep 2  # a later wall clock, which must not show
  copy "${builds[i]}"
  for arch in x86 x64; do
    (cd "${builds[i]}" && cmake --preset "windows-$arch" -B "build/$arch" -DBUILD_TESTING=OFF \
      -DBLANKLINES_BENCH=OFF >/dev/null && cmake --build "build/$arch" -j"${JOBS:-2}" \
      --target TavrinBlankLines >/dev/null) || { fail "$arch build $((i + 1)) failed"; continue; }
  done
done

for arch in x86 x64; do
  a="${builds[0]}/build/$arch/app/TavrinBlankLines.exe"
  b="${builds[1]}/build/$arch/app/TavrinBlankLines.exe"
  [[ -f $a && -f $b ]] || continue
  sums=("$(sha256sum <"$a")" "$(sha256sum <"$b")")
  [[ ${sums[0]} == "${sums[1]}" ]] || fail "$arch: the two builds differ (${sums[0]%% *} ${sums[1]%% *})"
  python3 "$root/scripts/ci.py" program "$a" --timestamp "$epoch" >/dev/null || fail "$arch: not stamped with the commit's time $epoch"
  echo "reproducible: $arch ${sums[0]%% *} $(stat -c %s "$a") bytes"
done
exit "$failed"
