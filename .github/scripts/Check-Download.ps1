# Checks the downloaded build on Windows before anything runs: SHA256SUMS lists every file in
# -Dir and each has that SHA-256 (Get-FileHash); every required test program (-Manifest) is
# there for -Arch; and the programs for -Arch are built for that machine.
param(
    [Parameter(Mandatory = $true)][string]$Dir,
    [Parameter(Mandatory = $true)][ValidateSet('x86', 'x64')][string]$Arch,
    [Parameter(Mandatory = $true)][string]$Manifest
)
. "$PSScriptRoot/Common.ps1"

$bad = 0
$root = (Resolve-Path -LiteralPath $Dir).Path.TrimEnd('\')
$listed = @{}
foreach ($line in Get-Content -LiteralPath (Join-Path $Dir 'SHA256SUMS')) {
    if ($line -notmatch '^([0-9a-fA-F]{64}) [ *](.+)$') { Write-Host "::error::unreadable SHA256SUMS line: $line"; $bad++; continue }
    $want = $Matches[1].ToUpperInvariant(); $name = $Matches[2]
    $listed[$name] = $true
    $path = Join-Path $Dir $name
    if (-not (Test-Path -LiteralPath $path)) { Write-Host "::error::$name is listed but missing"; $bad++; continue }
    $got = (Get-FileHash -LiteralPath $path -Algorithm SHA256).Hash
    if ($got -eq $want) { Write-Host "OK        $got  $name" }
    else { Write-Host "::error::$name has SHA-256 $got, SHA256SUMS says $want"; $bad++ }
}
foreach ($file in @(Get-ChildItem -LiteralPath $Dir -Recurse -File)) {
    $name = $file.FullName.Substring($root.Length + 1).Replace('\', '/')
    if ($name -ne 'SHA256SUMS' -and -not $listed.ContainsKey($name)) { Write-Host "::error::SHA256SUMS does not list $name"; $bad++ }
}

$programs = @("TavrinBlankLines-$Arch.exe", "window_pictures-$Arch.exe")
$programs += @(Read-RequiredPrograms $Manifest | ForEach-Object { "tests-$Arch/$($_.Name).exe" })
foreach ($name in $programs) {
    $path = Join-Path $Dir $name
    if (-not (Test-Path -LiteralPath $path)) { Write-Host "::error::$name is missing"; $bad++; continue }
    $machine = Get-PeMachine $path
    if ($machine -eq $Arch) { Write-Host "$Arch       $name" }
    else { Write-Host "::error::$name is built for $machine, not $Arch"; $bad++ }
}
if ($bad) { exit 1 }
Write-Host "the download is whole and built for $Arch"
