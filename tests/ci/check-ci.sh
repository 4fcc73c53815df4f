#!/usr/bin/env bash
# What of the CI can run here: the C# that Common.ps1 hands to PowerShell's Add-Type, compiled
# with mono's mcs (warnings are errors, as Add-Type treats them), then the release gate and
# the package check (test_release_check.py).
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
work="$(mktemp -d "${TMPDIR:-/tmp}/check-ci.XXXXXX")"
trap 'rm -rf "$work"' EXIT
failed=0

for script in "$root"/.github/scripts/*.ps1; do
  # Each here-string after Add-Type -TypeDefinition is one compilation.
  awk -v out="$work/$(basename "$script" .ps1)" \
    "/Add-Type -TypeDefinition @'\$/ { n++; f = 1; next } /^'@/ { f = 0 } f { print > (out \"-\" n \".cs\") }" "$script"
done
sources=("$work"/*.cs)
[[ -e ${sources[0]} ]] || { echo "check-ci: no C# found in .github/scripts" >&2; exit 1; }
for cs in "${sources[@]}"; do
  mcs -target:library -warnaserror -nologo -out:"${cs%.cs}.dll" "$cs" ||
    { echo "check-ci: $(basename "$cs"): the C# does not compile" >&2; failed=1; }
done
echo "check-ci: ${#sources[@]} piece(s) of C# compiled"

python3 -m unittest discover -s "$root/tests/ci" -p 'test_*.py' || failed=1
exit "$failed"
