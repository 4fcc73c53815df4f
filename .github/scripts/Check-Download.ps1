# Checks the downloaded build on Windows before anything runs: every file SHA256SUMS lists has
# that SHA-256 (Get-FileHash), both programs are listed, and the program and the test programs
# for -Arch are built for that machine.
param(
    [Parameter(Mandatory = $true)][string]$Dir,
    [Parameter(Mandatory = $true)][ValidateSet('x86', 'x64')][string]$Arch
)
. "$PSScriptRoot/Common.ps1"

$bad = 0
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
foreach ($name in 'TavrinBlankLines-x86.exe', 'TavrinBlankLines-x64.exe') {
    if (-not $listed.ContainsKey($name)) { Write-Host "::error::SHA256SUMS does not list $name"; $bad++ }
}

$programs = @(Get-Item -LiteralPath (Join-Path $Dir "TavrinBlankLines-$Arch.exe"))
$programs += @(Get-ChildItem -LiteralPath (Join-Path $Dir "tests-$Arch") -Filter *.exe)
foreach ($file in $programs) {
    $machine = Get-PeMachine $file.FullName
    if ($machine -eq $Arch) { Write-Host "$Arch       $($file.Name)" }
    else { Write-Host "::error::$($file.Name) is built for $machine, not $Arch"; $bad++ }
}
if ($bad) { exit 1 }
Write-Host "the download is whole and built for $Arch"
