# What the Windows jobs need of the desktop itself (Windows PowerShell 5.1; ASCII only, as it
# reads a script without a byte order mark in the ANSI code page):
#   -Prepare         clear what the image leaves in front and minimise the other windows, so
#                    the window under test gets the keyboard; the screen size and the window in
#                    front go to the job summary. Without a usable desktop, the reason goes to
#                    results/no-desktop.txt instead (scripts/ci.py reads it).
#   -Screenshot PNG  the whole screen, for what was in the way when something failed or hung
#   -Start EXE       the program opens its window with its caption and closes on WM_CLOSE with
#                    exit code 0; results/start.txt says "ok: ...", "failed: ..." or "not run: ...",
#                    results/start.png shows the screen with the window open
param([switch]$Prepare, [string]$Screenshot, [string]$Start)
Add-Type -AssemblyName System.Drawing, System.Windows.Forms
$screen = [System.Windows.Forms.SystemInformation]::VirtualScreen
New-Item -ItemType Directory -Force results | Out-Null

Add-Type -Namespace Desk -Name User32 -MemberDefinition @'
[DllImport("user32.dll")] public static extern IntPtr GetForegroundWindow();
[DllImport("user32.dll")] public static extern uint GetWindowThreadProcessId(IntPtr w, out uint pid);
[DllImport("user32.dll")] public static extern bool PostMessage(IntPtr w, uint msg, IntPtr a, IntPtr b);
[DllImport("user32.dll", CharSet = CharSet.Unicode)] public static extern IntPtr FindWindow(string c, string t);
[DllImport("user32.dll", CharSet = CharSet.Unicode)] public static extern int GetWindowText(IntPtr w, System.Text.StringBuilder s, int n);
[DllImport("user32.dll", CharSet = CharSet.Unicode)] public static extern int GetClassName(IntPtr w, System.Text.StringBuilder s, int n);
'@
# What windows-11-arm is reported to leave in front (actions/runner-images 14069, 14264, 14677;
# partner-runner-images 123): the first-logon privacy window or the OOBE ("Microsoft account",
# class Shell_OOBEProxy, hosted by WWAHost) and WSL's updater in Windows Terminal.
$intruders = 'WWAHost', 'msoobe', 'WindowsTerminal', 'OpenConsole', 'wsl'

function Get-Front {
    $w = [Desk.User32]::GetForegroundWindow()
    $owner = 0
    [void][Desk.User32]::GetWindowThreadProcessId($w, [ref]$owner)
    $text, $class = (New-Object Text.StringBuilder 256), (New-Object Text.StringBuilder 256)
    [void][Desk.User32]::GetWindowText($w, $text, 256)
    [void][Desk.User32]::GetClassName($w, $class, 256)
    $name = (Get-Process -Id $owner -ErrorAction SilentlyContinue).ProcessName
    return [pscustomobject]@{ Known = "$class" -eq 'Shell_OOBEProxy' -or $intruders -contains $name
                              Says = "'$text' ($name.exe, class $class)" }
}

function Clear-Desktop {
    # The image starts the updater again every 30 s while wsl.exe is WSL's stub: it now runs
    # nothing for the rest of the job (the runner's machine is thrown away after it).
    $ifeo = 'HKLM:\SOFTWARE\Microsoft\Windows NT\CurrentVersion\Image File Execution Options\wsl.exe'
    New-Item $ifeo -ErrorAction SilentlyContinue | Out-Null  # -Force would empty a key there
    Set-ItemProperty -LiteralPath $ifeo -Name Debugger -Value 'cmd.exe /c exit 1'
    # Not OpenConsole: it may host a console of the runner's own; Terminal's go with it.
    Stop-Process -Name ($intruders -ne 'OpenConsole') -Force -ErrorAction SilentlyContinue
    for ($i = 0; $i -lt 5; $i++) {
        $w = [Desk.User32]::FindWindow('Shell_OOBEProxy', $null)
        if ($w -eq [IntPtr]::Zero) { break }
        [void][Desk.User32]::PostMessage($w, 0x0010, [IntPtr]::Zero, [IntPtr]::Zero)  # WM_CLOSE
        Start-Sleep -Seconds 1
    }
    (New-Object -ComObject Shell.Application).MinimizeAll()
    Start-Sleep -Seconds 1
}

function Save-Screen([string]$Path) {
    New-Item -ItemType Directory -Force (Split-Path -Parent $Path) | Out-Null
    $bitmap = New-Object System.Drawing.Bitmap $screen.Width, $screen.Height
    $graphics = [System.Drawing.Graphics]::FromImage($bitmap)
    $graphics.CopyFromScreen($screen.Left, $screen.Top, 0, 0, $bitmap.Size)
    $bitmap.Save($ExecutionContext.SessionState.Path.GetUnresolvedProviderPathFromPSPath($Path))
    Write-Host "saved the screen ($($screen.Width)x$($screen.Height)) to $Path"
}

function Start-Once([string]$Exe) {
    $p = Start-Process -FilePath (Resolve-Path -LiteralPath $Exe).Path -PassThru
    $null = $p.Handle  # keeps the exit code readable
    for ($i = 0; $i -lt 80 -and $p.MainWindowHandle -eq [IntPtr]::Zero -and -not $p.HasExited; $i++) {
        Start-Sleep -Milliseconds 250
        $p.Refresh()
    }
    if ($p.MainWindowHandle -eq [IntPtr]::Zero) {
        Save-Screen 'results/no-window.png'
        if (-not $p.HasExited) { $p.Kill() }
        return "failed: $Exe showed no window within 20 seconds (screen: no-window.png)"
    }
    $title = $p.MainWindowTitle
    # Painted by now: the window as it opens, for people to look at (no picture fails nothing).
    Start-Sleep -Seconds 1
    try { Save-Screen 'results/start.png' } catch { Write-Host "no picture of the start: $_" }
    [void]$p.CloseMainWindow()
    if (-not $p.WaitForExit(10000)) { $p.Kill(); return "failed: $Exe did not close on WM_CLOSE" }
    if ($title -notlike '*Tavrin*' -or $p.ExitCode -ne 0) { return "failed: caption '$title', exit code $($p.ExitCode)" }
    return "ok: window '$title' opened, closed with exit code 0"
}

if ($Prepare) {
    # A runner started as a service has a window station nobody sees (no WSF_VISIBLE).
    $why = if (-not [Environment]::UserInteractive) { 'no usable desktop: the window station is not interactive' }
           elseif ($screen.Width -eq 0) { 'no usable desktop: no screen' }
    if (-not $why) {
        Clear-Desktop
        $front = Get-Front
        # Another program's window would take the keys the tests type: not run, with its name.
        if ($front.Known) { $why = "no usable desktop: $($front.Says) stays in front" }
    }
    if ($why) { Set-Content -LiteralPath results/no-desktop.txt -Value $why; $line = "**$env:CI_LABEL**: $why" }
    else { $line = "**$env:CI_LABEL**: screen $($screen.Width)x$($screen.Height), in front $($front.Says)" }
    Write-Host $line
    if ($env:GITHUB_STEP_SUMMARY) { Add-Content -LiteralPath $env:GITHUB_STEP_SUMMARY -Value $line }
}
if ($Screenshot) { Save-Screen $Screenshot }
if ($Start) {
    $result = if (Test-Path results/no-desktop.txt) { 'not run: ' + (Get-Content -Raw results/no-desktop.txt).Trim() }
              else { Start-Once $Start }
    Set-Content -LiteralPath results/start.txt -Value $result
    if ($result -like 'failed*') { Write-Host "::error::$result"; exit 1 }
    Write-Host $result
}
