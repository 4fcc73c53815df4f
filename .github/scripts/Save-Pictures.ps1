# Has window_pictures save pictures of the real window (window_pictures.exe DIR: 1-start,
# 2-remove, 3-add, 4-144dpi as BMP) and converts them to PNG in -Out.
# Fails when the program says it could not, or leaves no picture.
param(
    [Parameter(Mandatory = $true)][string]$Exe,
    [Parameter(Mandatory = $true)][string]$Out
)
. "$PSScriptRoot/Common.ps1"

$Out = (New-Item -ItemType Directory -Force $Out).FullName
$bmp = (New-Item -ItemType Directory -Force (Join-Path $env:RUNNER_TEMP 'pictures-bmp')).FullName
Hide-OtherWindows
$code = Invoke-Program (Resolve-Path -LiteralPath $Exe).Path @($bmp) "$Out\pictures.log" 5

$count = 0
foreach ($file in Get-ChildItem -LiteralPath $bmp -Filter *.bmp) {
    $image = [System.Drawing.Image]::FromFile($file.FullName)
    try {
        $png = Join-Path $Out ($file.BaseName + '.png')
        $image.Save($png, [System.Drawing.Imaging.ImageFormat]::Png)
        Write-Host "$($file.Name) -> $png ($($image.Width)x$($image.Height))"
        $count++
    } finally {
        $image.Dispose()
    }
}
if ($code -ne 0) { Write-Host "::error::$(Split-Path -Leaf $Exe): exit code $code"; exit 1 }
if (-not $count) { Write-Host "::error::no pictures in $bmp"; exit 1 }
