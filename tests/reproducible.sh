#!/usr/bin/env bash
# The same commit built twice, from two folders (of other lengths) and at two times, must give
# byte-identical programs for each target, stamped with the commit's time: a build path or a
# clock in a program shows as a difference.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
work="$(mktemp -d "${TMPDIR:-/tmp}/repro.XXXXXX")"
trap 'rm -rf "$work"' EXIT
unset SOURCE_DATE_EPOCH
epoch="$(git -C "$root" log -1 --format=%ct)"

failed=0
fail() { echo "reproducible: $*" >&2; failed=1; }

builds=("$work/a" "$work/second-folder-with-a-longer-name/src")
for i in 0 1; do
  ((i == 0)) || sleep 2  # a later wall clock, which must not show
  # A clone of HEAD with the working tree's files over it, so the commit's time comes from git.
  git clone -q --shared "$root" "${builds[i]}"
  (cd "$root" && git ls-files -z --cached --others --exclude-standard |
    while IFS= read -r -d '' f; do [[ -f $f ]] && printf '%s\0' "$f"; done |
    xargs -0 cp --parents -t "${builds[i]}")
  for arch in x86 x64; do
    (cd "${builds[i]}" && cmake --preset "windows-$arch" -B "build/$arch" -DBUILD_TESTING=OFF \
      -DBLANKLINES_BENCH=OFF >/dev/null && cmake --build "build/$arch" -j"${JOBS:-2}" \
      --target TavrinBlankLines >/dev/null) || fail "$arch build $((i + 1)) failed"
  done
done

for arch in x86 x64; do
  exe=("${builds[@]/%//build/$arch/app/TavrinBlankLines.exe}")
  [[ -f ${exe[0]} && -f ${exe[1]} ]] || continue
  cmp -- "${exe[@]}" >&2 || fail "$arch: the two builds differ"
  python3 "$root/scripts/ci.py" program "${exe[0]}" --timestamp "$epoch" >/dev/null || fail "$arch: not stamped with the commit's time $epoch"
  echo "reproducible: $arch $(sha256sum <"${exe[0]}" | cut -c1-64) $(stat -c %s "${exe[0]}") bytes"
done
exit "$failed"
