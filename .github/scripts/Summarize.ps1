# Writes the test results to the job summary ($GITHUB_STEP_SUMMARY) from the GoogleTest XML
# reports in -Results: per program the tests run, failed and skipped, then every skipped test
# with its reason and every skipped DPI step (property skipped_dpi), each also as a warning on
# the run's page, so that a skip is seen and not taken for a pass. The screen size the window
# tests saw comes from their XML (property screen; the MSYS2 job keeps no logs) and from the
# logs ("screen WxH"). Never fails the job.
param(
    [Parameter(Mandatory = $true)][string]$Results,
    [Parameter(Mandatory = $true)][string]$Title
)
$ErrorActionPreference = 'Continue'
. "$PSScriptRoot/Common.ps1"

function Limit([string]$Text) {
    $one = ($Text -replace '\s+', ' ').Trim()
    if ($one.Length -gt 300) { $one = $one.Substring(0, 300) + '...' }
    $one -replace '\|', '\|'
}

$rows = @(); $skips = @(); $steps = @(); $screens = @()
$reports = @(Get-ChildItem -LiteralPath $Results -Filter *.xml -ErrorAction SilentlyContinue | Sort-Object Name)
foreach ($report in $reports) {
    try { [xml]$xml = Get-Content -LiteralPath $report.FullName -Raw -Encoding UTF8 }
    catch { $rows += "| $($report.BaseName) | unreadable report | | |"; continue }
    $cases = @($xml.SelectNodes('//testcase'))
    $failed = @($cases | Where-Object { $_.SelectSingleNode('failure') -or $_.SelectSingleNode('error') })
    $skipped = @($cases | Where-Object { $_.SelectSingleNode('skipped') -or $_.GetAttribute('result') -eq 'skipped' })
    $rows += "| $($report.BaseName) | $($cases.Count) | $($failed.Count) | $($skipped.Count) |"
    foreach ($case in $skipped) {
        $node = $case.SelectSingleNode('skipped')
        $why = ''
        if ($node) { $why = $node.InnerText; if (-not $why) { $why = $node.GetAttribute('message') } }
        $why = Limit $why
        $skips += "$($report.BaseName): $($case.GetAttribute('classname')).$($case.GetAttribute('name')) - $why"
    }
    # skipped_dpi as a <property> (GoogleTest 1.11 and later) or as an attribute (older).
    foreach ($node in @($xml.SelectNodes("//*[property[@name='skipped_dpi']] | //*[@skipped_dpi]"))) {
        $owner = if ($node.LocalName -eq 'properties') { $node.ParentNode } else { $node }
        $value = $node.GetAttribute('skipped_dpi')
        if (-not $value) { $value = $node.SelectSingleNode("property[@name='skipped_dpi']").GetAttribute('value') }
        $steps += "$($report.BaseName): $($owner.GetAttribute('classname')).$($owner.GetAttribute('name')) - DPI steps skipped: $(Limit $value)"
    }
    foreach ($node in @($xml.SelectNodes("//property[@name='screen'] | //testcase[@screen]"))) {
        $value = if ($node.LocalName -eq 'property') { $node.GetAttribute('value') } else { $node.GetAttribute('screen') }
        $screens += "$($report.BaseName): screen $value"
    }
}
foreach ($log in @(Get-ChildItem -LiteralPath $Results -Filter *.log -ErrorAction SilentlyContinue)) {
    foreach ($m in @(Select-String -LiteralPath $log.FullName -Pattern 'screen \d+x\d+' -AllMatches)) {
        $screens += "$($log.BaseName): $($m.Line.Trim())"
    }
}

$md = @("### Tests: $Title", '')
if ($reports.Count) {
    $md += '| program | tests | failed | skipped |', '|---|---:|---:|---:|'
    $md += $rows
} else {
    $md += '**No test reports**: the programs did not run or ended before writing one.'
}
if ($screens) { $md += '', 'Screen as the window tests saw it:', ''; $md += ($screens | Select-Object -Unique | ForEach-Object { "- $_" }) }
if ($skips -or $steps) {
    $md += '', "**Skipped: $($skips.Count) test(s), $($steps.Count) test(s) with skipped DPI steps** (not passes):", ''
    $md += ($skips + $steps | ForEach-Object { "- $_" })
    foreach ($s in $skips + $steps) { Write-Host "::warning title=Skipped on ${Title}::$s" }
} elseif ($reports.Count) {
    $md += '', 'Nothing skipped.'
}
Add-Summary (($md -join "`n") + "`n")
exit 0
