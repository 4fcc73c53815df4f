# Runs every test program (*.exe) in -Dir natively, each with a time limit and its GoogleTest
# XML report and output in -Results. The window tests (app_tests*) start with the other windows
# minimised so their window gets the foreground and the keyboard. Fails if any program fails.
param(
    [Parameter(Mandatory = $true)][string]$Dir,
    [Parameter(Mandatory = $true)][string]$Results,
    [int]$Minutes = 15
)
. "$PSScriptRoot/Common.ps1"

$Results = (New-Item -ItemType Directory -Force $Results).FullName
$programs = @(Get-ChildItem -LiteralPath $Dir -Filter *.exe | Sort-Object Name)
if (-not $programs) { Write-Host "::error::no test programs in $Dir"; exit 1 }
Write-Host (Get-ScreenText)

$failed = @()
foreach ($exe in $programs) {
    $name = $exe.BaseName
    if ($name -like 'app_tests*') { Hide-OtherWindows }
    Write-Host "::group::$($exe.Name)"
    $code = Invoke-Program $exe.FullName @("--gtest_output=xml:$Results\$name.xml") "$Results\$name.log" $Minutes
    Write-Host "::endgroup::"
    if ($code -eq 0) {
        Write-Host "$($exe.Name): passed"
    } else {
        Write-Host "::error::$($exe.Name): exit code $code"
        Save-Screen "$Results\$name.after-failure.png"
        $failed += $exe.Name
    }
}
if ($failed) { Write-Host "failed: $($failed -join ', ')"; exit 1 }
Write-Host "all $($programs.Count) test programs passed"
