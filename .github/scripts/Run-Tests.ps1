# Runs the required test programs (-Manifest, tests/required-programs.txt) from -Dir natively,
# each within its own limit from the manifest, with its GoogleTest XML report and output in
# -Results. A program that hangs is named as an error, photographed and ended, and the ones
# after it still run. The limits must leave -StepMinutes (the step's timeout-minutes) room for
# the screenshots and the summary, or nothing runs. The window tests start with the other
# windows minimised so their window gets the foreground and the keyboard.
# Fails if a required program is missing, fails or hangs, or -Dir holds one the manifest lacks.
param(
    [Parameter(Mandatory = $true)][string]$Dir,
    [Parameter(Mandatory = $true)][string]$Results,
    [Parameter(Mandatory = $true)][string]$Manifest,
    [Parameter(Mandatory = $true)][int]$StepMinutes
)
. "$PSScriptRoot/Common.ps1"

$reserve = 3  # minutes: a screenshot per failure, the output, this script's own start
$Results = (New-Item -ItemType Directory -Force $Results).FullName
$programs = @(Read-RequiredPrograms $Manifest)
$limits = ($programs | Measure-Object -Property Minutes -Sum).Sum
if ($limits + $reserve -gt $StepMinutes) {
    Write-Host "::error::the limits in $Manifest add up to $limits minutes, more than the step's $StepMinutes less $reserve for the summary"
    exit 1
}
Write-Host (Get-ScreenText)

$failed = @()
foreach ($extra in @(Get-ChildItem -LiteralPath $Dir -Filter *.exe | Where-Object { $programs.Name -notcontains $_.BaseName })) {
    Write-Host "::error::$($extra.Name) is not in $Manifest, so no job would run it"
    $failed += $extra.Name
}
foreach ($program in $programs) {
    $name = $program.Name
    $exe = Join-Path $Dir "$name.exe"
    if (-not (Test-Path -LiteralPath $exe)) { Write-Host "::error::$name.exe is missing from $Dir"; $failed += "$name.exe"; continue }
    if ($program.Kind -eq 'window') { Hide-OtherWindows }
    Write-Host "::group::$name.exe (at most $($program.Minutes) minutes)"
    $code = Invoke-Program (Resolve-Path -LiteralPath $exe).Path @("--gtest_output=xml:$Results\$name.xml") "$Results\$name.log" $program.Minutes
    Write-Host "::endgroup::"
    if ("$code" -eq 'timeout') {
        Write-Host "::error::$name.exe hung and was ended after $($program.Minutes) minutes (screen: $name.hung.png)"
        $failed += "$name.exe (hung)"
    } elseif ($code -ne 0) {
        Write-Host "::error::$name.exe: exit code $code"
        Save-Screen "$Results\$name.after-failure.png"
        $failed += "$name.exe"
    } else {
        Write-Host "$name.exe: passed"
    }
}
if ($failed) { Write-Host "failed: $($failed -join ', ')"; exit 1 }
Write-Host "all $($programs.Count) required test programs passed"
