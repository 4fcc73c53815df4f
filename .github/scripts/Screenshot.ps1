# Saves the whole screen (every monitor) as a PNG: what was in the way when a step failed.
param([Parameter(Mandatory = $true)][string]$Path)
. "$PSScriptRoot/Common.ps1"
Write-Host (Get-ScreenText)
Save-Screen $Path
exit 0
