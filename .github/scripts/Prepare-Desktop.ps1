# Readies a hosted runner's desktop for tests that drive a real window: other windows minimised
# (the window under test must get the foreground and the keyboard), and the screen raised from
# the runners' usual 1024x768 where the display offers a larger mode, so that the window fits at
# 144 and 192 DPI and those steps of the DPI test run instead of skipping.
# Never fails the job: it logs what it found and what it got.
$ErrorActionPreference = 'Continue'
. "$PSScriptRoot/Common.ps1"

$before = Get-ScreenText
Write-Host "before: $before"
Hide-OtherWindows

$wanted = @('2560x1600', '2560x1440', '1920x1200', '1920x1080', '1680x1050', '1600x1200',
            '1600x900', '1440x900', '1280x1024')
$w = [CiDesktop]::GetSystemMetrics(0); $h = [CiDesktop]::GetSystemMetrics(1)
if ($w -ge 1920 -and $h -ge 1080) {
    Write-Host "the screen is large enough already"
} else {
    # The modes the display driver offers.
    $modes = @{}
    $dm = New-Object CiDesktop+DEVMODE
    $dm.dmSize = [System.Runtime.InteropServices.Marshal]::SizeOf([type][CiDesktop+DEVMODE])
    for ($i = 0; [CiDesktop]::EnumDisplaySettings([NullString]::Value, $i, [ref]$dm); $i++) {
        $modes["$($dm.dmPelsWidth)x$($dm.dmPelsHeight)"] = $true
    }
    Write-Host "modes offered: $(($modes.Keys | Sort-Object { [int]($_ -split 'x')[0] }, { [int]($_ -split 'x')[1] }) -join ', ')"
    $done = $false
    foreach ($size in $wanted) {
        if (-not $modes.ContainsKey($size)) { continue }
        $wh = $size -split 'x'
        $mode = New-Object CiDesktop+DEVMODE
        $mode.dmSize = [System.Runtime.InteropServices.Marshal]::SizeOf([type][CiDesktop+DEVMODE])
        $mode.dmPelsWidth = [int]$wh[0]
        $mode.dmPelsHeight = [int]$wh[1]
        $mode.dmFields = 0x00080000 -bor 0x00100000  # DM_PELSWIDTH | DM_PELSHEIGHT
        $result = [CiDesktop]::ChangeDisplaySettings([ref]$mode, 0)
        Write-Host "ChangeDisplaySettings $size -> $result (0 is success)"
        if ($result -eq 0) { $done = $true; break }
    }
    # Windows Server's own cmdlet, for drivers that list no modes.
    if (-not $done -and (Get-Command Set-DisplayResolution -ErrorAction SilentlyContinue)) {
        foreach ($size in $wanted) {
            $wh = $size -split 'x'
            try {
                Set-DisplayResolution -Width ([int]$wh[0]) -Height ([int]$wh[1]) -Force -ErrorAction Stop
                Write-Host "Set-DisplayResolution $size done"
                $done = $true; break
            } catch {
                Write-Host "Set-DisplayResolution $size failed: $($_.Exception.Message)"
            }
        }
    }
    if ($done) { Start-Sleep -Seconds 2 } else { Write-Host "::warning::the screen stays at ${w}x${h}" }
}
Hide-OtherWindows

$after = Get-ScreenText
Write-Host "after: $after"
$label = if ($env:CI_LABEL) { $env:CI_LABEL } else { 'desktop' }
Add-Summary "**${label}**: $before, for the tests $after"
exit 0
