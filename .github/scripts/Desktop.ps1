# What the Windows jobs need of the desktop itself (Windows PowerShell 5.1; ASCII only, as it
# reads a script without a byte order mark in the ANSI code page):
#   -Prepare         minimise the other windows, so the window under test gets the keyboard;
#                    the screen size goes to the job summary
#   -Screenshot PNG  the whole screen, for what was in the way when something failed or hung
#   -Start EXE       the published program opens its window with its caption and closes on
#                    WM_CLOSE with exit code 0
param([switch]$Prepare, [string]$Screenshot, [string]$Start)
Add-Type -AssemblyName System.Drawing, System.Windows.Forms
$screen = [System.Windows.Forms.SystemInformation]::VirtualScreen

function Save-Screen([string]$Path) {
    New-Item -ItemType Directory -Force (Split-Path -Parent $Path) | Out-Null
    $bitmap = New-Object System.Drawing.Bitmap $screen.Width, $screen.Height
    $graphics = [System.Drawing.Graphics]::FromImage($bitmap)
    $graphics.CopyFromScreen($screen.Left, $screen.Top, 0, 0, $bitmap.Size)
    $bitmap.Save($ExecutionContext.SessionState.Path.GetUnresolvedProviderPathFromPSPath($Path))
    Write-Host "saved the screen ($($screen.Width)x$($screen.Height)) to $Path"
}

if ($Prepare) {
    (New-Object -ComObject Shell.Application).MinimizeAll()
    Start-Sleep -Seconds 1
    $line = "**$env:CI_LABEL**: screen $($screen.Width)x$($screen.Height)"
    Write-Host $line
    if ($env:GITHUB_STEP_SUMMARY) { Add-Content -LiteralPath $env:GITHUB_STEP_SUMMARY -Value $line }
}
if ($Screenshot) { Save-Screen $Screenshot }
if ($Start) {
    $p = Start-Process -FilePath (Resolve-Path -LiteralPath $Start).Path -PassThru
    $null = $p.Handle  # keeps the exit code readable
    for ($i = 0; $i -lt 80 -and $p.MainWindowHandle -eq [IntPtr]::Zero -and -not $p.HasExited; $i++) {
        Start-Sleep -Milliseconds 250
        $p.Refresh()
    }
    if ($p.MainWindowHandle -eq [IntPtr]::Zero) {
        Save-Screen 'results/no-window.png'
        if (-not $p.HasExited) { $p.Kill() }
        Write-Host "::error::$Start showed no window within 20 seconds"; exit 1
    }
    $title = $p.MainWindowTitle
    Write-Host "window '$title' opened"
    [void]$p.CloseMainWindow()
    if (-not $p.WaitForExit(10000)) { $p.Kill(); Write-Host "::error::$Start did not close on WM_CLOSE"; exit 1 }
    if ($title -notlike '*Tavrin*' -or $p.ExitCode -ne 0) {
        Write-Host "::error::caption '$title', exit code $($p.ExitCode)"; exit 1
    }
    Write-Host "closed, exit code 0"
}
