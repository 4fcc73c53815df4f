# Starts the very program that is published, checks that its window opens with the caption,
# then closes it: the test programs hold the same window code, but only this shows that the
# shipped file itself starts on this Windows.
param([Parameter(Mandatory = $true)][string]$Exe)
. "$PSScriptRoot/Common.ps1"

$p = Start-Process -FilePath (Resolve-Path -LiteralPath $Exe).Path -PassThru
$null = $p.Handle
$deadline = (Get-Date).AddSeconds(20)
while ($p.MainWindowHandle -eq [IntPtr]::Zero -and -not $p.HasExited -and (Get-Date) -lt $deadline) {
    Start-Sleep -Milliseconds 250
    $p.Refresh()
}
if ($p.HasExited) { Write-Host "::error::$Exe ended at once (exit code $($p.ExitCode))"; exit 1 }
if ($p.MainWindowHandle -eq [IntPtr]::Zero) {
    Save-Screen 'results/no-window.png'
    $p.Kill()
    Write-Host "::error::$Exe showed no window within 20 seconds"; exit 1
}
Write-Host "window '$($p.MainWindowTitle)' opened"
$ok = $p.MainWindowTitle -like '*Tavrin*'
if (-not $ok) { Write-Host "::error::unexpected caption '$($p.MainWindowTitle)'" }
[void]$p.CloseMainWindow()
if (-not $p.WaitForExit(10000)) {
    Save-Screen 'results/did-not-close.png'
    $p.Kill()
    Write-Host "::error::$Exe did not close on WM_CLOSE"; exit 1
}
Write-Host "closed, exit code $($p.ExitCode)"
if (-not $ok -or $p.ExitCode -ne 0) { exit 1 }
