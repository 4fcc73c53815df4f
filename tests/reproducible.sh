#!/usr/bin/env bash
# The same commit built twice, from two folders (of other lengths) and at two times, must give
# byte-identical programs for each target, stamped with the commit's time: a build path or a
# clock in a program shows as a difference.
# As root, it builds where CI's test job does and a developer does not: in a checkout of another
# user's (the runner's, uid 1001), by .ci/run, with a clean HOME and no system git configuration.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
work="$(mktemp -d "${TMPDIR:-/tmp}/repro.XXXXXX")"
trap 'rm -rf "$work"' EXIT
unset SOURCE_DATE_EPOCH

# $2: a repository at $1's HEAD with $1's working tree files, borrowing $1's objects.
checkout() {
  local git_dir
  git_dir="$(git -C "$1" rev-parse --path-format=absolute --git-common-dir)"
  git init -q -b build "$2"
  echo "$git_dir/objects" >"$2/.git/objects/info/alternates"
  # A shallow clone (CI's) lacks the parents: without this git would look for them.
  if [[ -f $git_dir/shallow ]]; then cp "$git_dir/shallow" "$2/.git/"; fi
  git -C "$2" update-ref HEAD "$(git -C "$1" rev-parse HEAD)"
  git -C "$2" read-tree HEAD
  (cd "$1" && git ls-files -z --cached --others --exclude-standard |
    while IFS= read -r -d '' f; do if [[ -f $f ]]; then printf '%s\0' "$f"; fi; done |
    xargs -0 cp --parents -t "$2")
}

if ((EUID == 0)) && [[ -z ${REPRO_AS_CI:-} ]]; then
  checkout "$root" "$work/checkout"
  chown -R 1001:1001 "$work/checkout"
  mkdir "$work/home"
  env -i PATH="$PATH" HOME="$work/home" GIT_CONFIG_NOSYSTEM=1 REPRO_AS_CI=1 ${TMPDIR:+"TMPDIR=$TMPDIR"} \
    ${JOBS:+"JOBS=$JOBS"} ${CI:+"CI=$CI"} "$work/checkout/.ci/run" test --no-install --only reproducible
  exit
fi
((EUID == 0)) || echo "reproducible: not root: built in this user's own checkout, not as in CI" >&2
epoch="$(git -C "$root" log -1 --format=%ct)"

failed=0
fail() { echo "reproducible: $*" >&2; failed=1; }

builds=("$work/a" "$work/second-folder-with-a-longer-name/src")
for i in 0 1; do
  ((i == 0)) || sleep 2  # a later wall clock, which must not show
  # HEAD in a repository of its own, so the commit's time comes from git. Not a clone: git runs
  # a local clone's other end without .ci/run's safe.directory, and it refuses the checkout.
  checkout "$root" "${builds[i]}"
  # As the other suites build in the checkout, CMake's git meets another user's repository.
  if ((EUID == 0)); then chown -R 1001:1001 "${builds[i]}"; fi
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
