# Shared by the Windows CI steps (Windows PowerShell 5.1, `shell: powershell`). ASCII only:
# Windows PowerShell reads a script without a byte order mark in the ANSI code page.

# The programs and GoogleTest print UTF-8, and the runner reads the log as UTF-8; Windows
# PowerShell would write it in the console's OEM code page, where Chinese becomes '?'.
try {
    [Console]::OutputEncoding = New-Object System.Text.UTF8Encoding $false
    $OutputEncoding = [Console]::OutputEncoding
} catch {
    Write-Host "::warning::the log stays in code page $([Console]::OutputEncoding.CodePage): $($_.Exception.Message)"
}

Add-Type -AssemblyName System.Drawing
Add-Type -AssemblyName System.Windows.Forms
Add-Type -TypeDefinition @'
using System;
using System.Runtime.InteropServices;
public static class CiDesktop {
    [StructLayout(LayoutKind.Sequential, CharSet = CharSet.Unicode)]
    public struct DEVMODE {
        [MarshalAs(UnmanagedType.ByValTStr, SizeConst = 32)] public string dmDeviceName;
        public short dmVersion, dmDriverVersion, dmSize, dmDriverExtra;
        public int dmFields, dmPositionX, dmPositionY, dmDisplayOrientation, dmDisplayFixedOutput;
        public short dmColor, dmDuplex, dmYResolution, dmTTOption, dmCollate;
        [MarshalAs(UnmanagedType.ByValTStr, SizeConst = 32)] public string dmFormName;
        public short dmLogPixels;
        public int dmBitsPerPel, dmPelsWidth, dmPelsHeight, dmDisplayFlags, dmDisplayFrequency;
        public int dmICMMethod, dmICMIntent, dmMediaType, dmDitherType, dmReserved1, dmReserved2;
        public int dmPanningWidth, dmPanningHeight;
    }
    [DllImport("user32.dll", CharSet = CharSet.Unicode)]
    public static extern bool EnumDisplaySettings(string device, int mode, ref DEVMODE dm);
    [DllImport("user32.dll", CharSet = CharSet.Unicode)]
    public static extern int ChangeDisplaySettings(ref DEVMODE dm, int flags);
    [DllImport("user32.dll")] public static extern int GetSystemMetrics(int index);
    [DllImport("user32.dll")] public static extern bool SetProcessDPIAware();
    [DllImport("user32.dll")] public static extern IntPtr GetDC(IntPtr hwnd);
    [DllImport("user32.dll")] public static extern int ReleaseDC(IntPtr hwnd, IntPtr dc);
    [DllImport("gdi32.dll")] public static extern int GetDeviceCaps(IntPtr dc, int index);
    public static int Dpi() {
        IntPtr dc = GetDC(IntPtr.Zero);
        int dpi = GetDeviceCaps(dc, 88);  // LOGPIXELSX
        ReleaseDC(IntPtr.Zero, dc);
        return dpi;
    }
}
'@
# Physical pixels in the metrics and the screenshots, whatever the scaling.
[void][CiDesktop]::SetProcessDPIAware()

function Get-ScreenText {
    # SM_CXSCREEN, SM_CYSCREEN, SM_CXVIRTUALSCREEN, SM_CYVIRTUALSCREEN
    $w = [CiDesktop]::GetSystemMetrics(0); $h = [CiDesktop]::GetSystemMetrics(1)
    $vw = [CiDesktop]::GetSystemMetrics(78); $vh = [CiDesktop]::GetSystemMetrics(79)
    "screen ${w}x${h} (virtual ${vw}x${vh}) at $([CiDesktop]::Dpi()) DPI"
}

# A failed COM call (a desktop without its shell yet) must not stop the tests that follow.
function Hide-OtherWindows {
    try {
        (New-Object -ComObject Shell.Application -ErrorAction Stop).MinimizeAll()
        Start-Sleep -Milliseconds 500
    } catch {
        Write-Host "::warning::could not minimise the other windows: $($_.Exception.Message)"
    }
}

# The test programs every Windows job must run (tests/required-programs.txt): Name, Minutes
# (the most it may take) and Kind (text or window).
function Read-RequiredPrograms([string]$Path) {
    foreach ($line in Get-Content -LiteralPath $Path -Encoding UTF8) {
        $fields = @(($line -replace '#.*$', '').Trim() -split '\s+' | Where-Object { $_ })
        if (-not $fields) { continue }
        if ($fields.Count -ne 3 -or $fields[1] -notmatch '^\d+$' -or $fields[2] -notin 'text', 'window') {
            throw "${Path}: want 'name minutes text|window', got '$line'"
        }
        [pscustomobject]@{ Name = $fields[0]; Minutes = [int]$fields[1]; Kind = $fields[2] }
    }
}

# A path for .NET, whose current directory need not be PowerShell's.
function Get-FullPath([string]$Path) {
    $ExecutionContext.SessionState.Path.GetUnresolvedProviderPathFromPSPath($Path)
}

function Save-Screen([string]$Path) {
    $Path = Get-FullPath $Path
    $dir = Split-Path -Parent $Path
    if ($dir) { New-Item -ItemType Directory -Force $dir | Out-Null }
    try {
        $area = [System.Windows.Forms.SystemInformation]::VirtualScreen
        $bitmap = New-Object System.Drawing.Bitmap $area.Width, $area.Height
        $graphics = [System.Drawing.Graphics]::FromImage($bitmap)
        try {
            $graphics.CopyFromScreen($area.Left, $area.Top, 0, 0, $bitmap.Size)
            $bitmap.Save($Path, [System.Drawing.Imaging.ImageFormat]::Png)
            Write-Host "saved the screen ($($area.Width)x$($area.Height)) to $Path"
        } finally {
            $graphics.Dispose(); $bitmap.Dispose()
        }
    } catch {
        Write-Host "::warning::no screenshot: $($_.Exception.Message)"
    }
}

function Add-Summary([string]$Markdown) {
    if (-not $env:GITHUB_STEP_SUMMARY) { Write-Host $Markdown; return }
    [System.IO.File]::AppendAllText($env:GITHUB_STEP_SUMMARY, $Markdown + "`n",
        (New-Object System.Text.UTF8Encoding $false))
}

# Runs one program with a time limit, its output into $Log (and printed); returns the exit code,
# or 'timeout' after taking a screenshot of what was on screen and ending the program.
function Invoke-Program([string]$Exe, [string[]]$Arguments, [string]$Log, [int]$Minutes) {
    $err = "$Log.stderr"
    # Start-Process joins the arguments with spaces as they are: each is quoted here (a path
    # may hold spaces), with backslashes before a quote or the end doubled as Windows expects.
    $quoted = @($Arguments | ForEach-Object { '"' + ($_ -replace '(\\*)"', '$1$1\"' -replace '(\\+)$', '$1$1') + '"' })
    $p = Start-Process -FilePath $Exe -ArgumentList $quoted -WorkingDirectory (Split-Path -Parent $Exe) `
        -NoNewWindow -PassThru -RedirectStandardOutput $Log -RedirectStandardError $err
    $null = $p.Handle  # keeps the exit code readable after the process ends
    if ($p.WaitForExit($Minutes * 60000)) {
        $p.WaitForExit()
        $code = $p.ExitCode
    } else {
        Write-Host "::error::$(Split-Path -Leaf $Exe) still running after $Minutes minutes"
        Save-Screen ([System.IO.Path]::ChangeExtension($Log, '.hung.png'))
        $p.Kill(); $p.WaitForExit()
        $code = 'timeout'
    }
    foreach ($file in $Log, $err) {
        if ((Test-Path -LiteralPath $file) -and (Get-Item -LiteralPath $file).Length) {
            Get-Content -LiteralPath $file -Encoding UTF8 | Write-Host
        }
    }
    return $code
}

# The machine a PE file is built for: x86, x64, arm64 or the raw number.
function Get-PeMachine([string]$Path) {
    $bytes = [System.IO.File]::ReadAllBytes((Get-FullPath $Path))
    $pe = [System.BitConverter]::ToInt32($bytes, 0x3C)
    if ([System.Text.Encoding]::ASCII.GetString($bytes, $pe, 4) -ne "PE`0`0") { return 'not a PE file' }
    switch ([System.BitConverter]::ToUInt16($bytes, $pe + 4)) {
        0x014C { 'x86' } 0x8664 { 'x64' } 0xAA64 { 'arm64' } default { '0x{0:X4}' -f $_ }
    }
}
