#!/usr/bin/env python3
"""The checks between a build and a release, on Debian and on the Windows runners alike.

  ci.py dist DIR [--arch A] [--also EXE]
                                 DIR (build/dist) holds every program and required test program,
                                 each built for its machine and listed with its hash in SHA256SUMS;
                                 each program (and EXE) keeps the promises below with the time
                                 stamp and site of BUILD-RECORD.txt (--arch: that one's only).
  ci.py program EXE [--site HOST] [--timestamp N]
                                 the program file: large-address-aware, and the version
                                 strings' site and the PE timestamp where given.
  ci.py version TAG              the tag (v1.2.0) is the version in CMakeLists.txt.
  ci.py run DIR --results R      runs the required test programs found under DIR (on Windows),
                                 each within its limit, GoogleTest XML into R.
  ci.py summary R --title T      a job's results R as a job summary; each skip a warning.
  ci.py runs WORKFLOW...         ShellCheck over each bash step of the workflows (needs PyYAML).
  ci.py gate R...                each R (a job's results-IMAGE-ARCH) ran every required program
                                 and started the program without a failure (only a job on the
                                 ARM image, IMAGE ending in -arm, may lack a desktop for them);
                                 each architecture has a job that skipped nothing, for x86 and
                                 x64 one off the ARM image.
A job's results folder holds the XML of each test program, start.txt (how the program's start
went: "ok: ...", "failed: ..." or "not run: ...", from Desktop.ps1 -Start) and, on a runner
without a usable desktop, no-desktop.txt with the reason (Desktop.ps1 -Prepare).
Exits 1 and says why on any refusal.
"""
import argparse
import hashlib
import os
import re
import struct
import subprocess
import sys
import xml.etree.ElementTree as ET
from pathlib import Path
from urllib.parse import urlsplit

ROOT = Path(__file__).resolve().parent.parent
# The test programs every Windows job runs, with the most minutes each may take there. A
# window program needs a desktop: a runner without a usable one runs the others, and says why.
REQUIRED = [("text_tests", 2, "text"), ("app_tests", 9, "window"), ("app_tests_win7", 9, "window")]
ARCHES = ("x86", "x64")
MACHINES = {0x014C: "x86", 0x8664: "x64", 0xAA64: "arm64"}


def pe_header(path):
    """(machine, timestamp, characteristics) from a PE file's COFF header."""
    data = Path(path).read_bytes()
    at = struct.unpack_from("<I", data, 0x3C)[0]
    if data[at:at + 4] != b"PE\0\0":
        raise ValueError(f"{path}: not a PE file")
    machine, _, timestamp = struct.unpack_from("<HHI", data, at + 4)
    characteristics = struct.unpack_from("<H", data, at + 22)[0]
    return MACHINES.get(machine, hex(machine)), timestamp, characteristics


def version_string(path, name):
    """The value of a version block string (UTF-16: the name, padding, the value)."""
    data = Path(path).read_bytes()
    at = data.find((name + "\0").encode("utf-16-le"))
    if at < 0 or at % 2:
        return None
    at += 2 * len(name) + 2
    while data[at:at + 2] == b"\0\0":
        at += 2
    return data[at:data.find(b"\0\0", at) + 1].decode("utf-16-le", "replace").rstrip("\0")


def check_program(exe, machine=None, site=None, timestamp=None):
    if not Path(exe).is_file():
        return [f"{exe} is missing"]
    problems = []
    got, stamp, characteristics = pe_header(exe)
    # 4 GB of address space for the x86 program on 64-bit Windows (x64 and ARM64 have it anyway).
    if not characteristics & 0x0020:
        problems.append(f"{exe}: not large-address-aware")
    if machine and got != machine:
        problems.append(f"{exe}: built for {got}, not {machine}")
    if timestamp is not None and stamp != timestamp:
        problems.append(f"{exe}: PE timestamp {stamp}, not {timestamp}")
    for field in ["CompanyName", "ProductName"] if site else []:
        if version_string(exe, field) != site:
            problems.append(f"{exe}: {field} is {version_string(exe, field)!r}, not {site!r}")
    return problems


def check_version(tag, cmakelists=None):
    text = cmakelists if cmakelists is not None else (ROOT / "CMakeLists.txt").read_text(encoding="utf-8")
    version = re.search(r"^project\(\S+ VERSION ([0-9.]+)", text, re.M).group(1)
    # v1.2 and v1.2.0 name version 1.2.0.0 too.
    numbers = tag.removeprefix("v").split(".")
    if tag.startswith("v") and len(numbers) <= 4 and (numbers + ["0"] * 4)[:4] == (version.split(".") + ["0"] * 4)[:4]:
        return []
    return [f"the tag {tag} is not the program's version {version} (CMakeLists.txt): tag v{version}, "
            "or change project(VERSION) in a commit of its own and tag that"]


def sha256(path):
    return hashlib.sha256(Path(path).read_bytes()).hexdigest()


def check_dist(dist, arches=ARCHES, also=()):
    dist, problems = Path(dist), []
    files = {p.relative_to(dist).as_posix() for p in dist.rglob("*") if p.is_file()}
    # The promises every program keeps: the record's time stamp and site.
    record = dict(line.split(": ", 1) for line in _read(dist / "BUILD-RECORD.txt").splitlines()[:5] if ": " in line)
    epoch, site = record.get("SOURCE_DATE_EPOCH", "").split(" ")[0], urlsplit(record.get("site address", "")).netloc
    if not epoch.isdigit() or not site:
        problems.append("BUILD-RECORD.txt names no SOURCE_DATE_EPOCH or site address")
    for exe in [dist / f"TavrinBlankLines-{arch}.exe" for arch in arches] + [Path(exe) for exe in also]:
        problems += check_program(exe, exe.stem.rsplit("-", 1)[1], site, int(epoch) if epoch.isdigit() else None)
    for arch in arches:
        wanted = [f"tests-{arch}/{name}.exe" for name, _, _ in REQUIRED]
        # A test program not listed would never run on Windows.
        extra = {f for f in files if f.startswith(f"tests-{arch}/")} - set(wanted)
        problems += [f"{name} is not one of the required test programs" for name in sorted(extra)]
        for name in wanted:
            if name not in files:
                problems.append(f"{name} is missing")
            elif pe_header(dist / name)[0] != arch:
                problems.append(f"{name} is built for {pe_header(dist / name)[0]}, not {arch}")
    listed = {}
    for line in _read(dist / "SHA256SUMS").splitlines():
        digest, _, name = line.partition("  ")
        listed[name.lstrip("*")] = digest.lower()
    problems += [f"SHA256SUMS does not list {f}" for f in sorted(files - set(listed) - {"SHA256SUMS"})]
    for name, digest in sorted(listed.items()):
        if name not in files or sha256(dist / name) != digest:
            problems.append(f"{name} does not match its SHA256SUMS line")
    return problems


def _read(path):
    """A small text file's content, stripped; "" if there is none."""
    return Path(path).read_text(encoding="utf-8-sig").strip() if Path(path).is_file() else ""


def run_tests(directory, results):
    """Runs each required program; one that hangs is photographed, ended and named."""
    results = Path(results).resolve()
    results.mkdir(parents=True, exist_ok=True)
    no_desktop = _read(results / "no-desktop.txt")
    problems = []
    for name, minutes, kind in REQUIRED:
        exe = next(Path(directory).resolve().rglob(f"{name}.exe"), None)
        if kind == "window" and no_desktop:
            print(f"{name}: not run ({no_desktop})")
            continue
        if exe is None:
            problems.append(f"{name}.exe: not found under {directory}")
            continue
        print(f"::group::{name}.exe (at most {minutes} minutes)", flush=True)
        process = subprocess.Popen([str(exe), f"--gtest_output=xml:{results / name}.xml"], cwd=exe.parent)
        try:
            code = process.wait(timeout=60 * minutes)
        except subprocess.TimeoutExpired:
            subprocess.run(["powershell", "-File", str(ROOT / ".github/scripts/Desktop.ps1"),
                            "-Screenshot", str(results / f"{name}.hung.png")])
            process.kill()
            code = f"hung, ended after {minutes} minutes (screen: {name}.hung.png)"
        print("::endgroup::", flush=True)
        if code != 0:
            problems.append(f"{name}.exe: {code}")
    return problems


def read_job(directory):
    """(problems, skips, not run) of one job's results folder."""
    directory, problems, skips, not_run = Path(directory), [], [], []
    no_desktop = _read(directory / "no-desktop.txt")
    for name, _, kind in REQUIRED:
        if kind == "window" and no_desktop and not (directory / f"{name}.xml").exists():
            not_run.append(f"{name}: {no_desktop}")
            continue
        try:
            cases = list(ET.parse(directory / f"{name}.xml").getroot().iter("testcase"))
        except (OSError, ET.ParseError) as error:
            problems.append(f"{name}: no readable report ({error})")
            continue
        ran = [c for c in cases if c.get("status", "run") == "run"]
        failed = [c for c in ran if c.find("failure") is not None or c.find("error") is not None]
        if not ran:
            problems.append(f"{name}: ran no tests")
        if failed:
            problems.append(f"{name}: {len(failed)} of {len(ran)} tests failed")
        for case in cases:
            skip = case.find("skipped")
            if case.get("status", "run") != "run":  # DISABLED_ in its name, or otherwise not run
                why = f"not run ({case.get('result', 'suppressed')})"
            elif skip is not None or case.get("result") == "skipped":
                why = " ".join(("" if skip is None else skip.get("message") or skip.text or "").split())
            else:
                continue
            skips.append(f"{name}: {case.get('classname')}.{case.get('name')}: {why[:300]}")
    start = _read(directory / "start.txt")
    if start.startswith("not run"):
        not_run.append(f"the program's start: {start.partition(': ')[2]}")
    elif not start.startswith("ok"):
        problems.append(f"the program's start: {start or 'no result (start.txt)'}")
    return problems, skips, not_run


def summary(results, title):
    problems, skips, not_run = read_job(results)
    lines = [f"### Tests: {title}", ""]
    lines += [f"- {p}" for p in problems] or ["No test failed."]
    lines += ["", f"**Not run ({len(not_run)}):**", ""] + [f"- {n}" for n in not_run] if not_run else []
    lines += ["", f"**Skipped ({len(skips)}), not passed:**", ""] + [f"- {s}" for s in skips] if skips else []
    for skip in skips:
        print(f"::warning title=Skipped on {title}::{skip}")
    with open(os.environ.get("GITHUB_STEP_SUMMARY", os.devnull), "a", encoding="utf-8") as out:
        out.write("\n".join(lines) + "\n\n")
    print("\n".join(lines))
    return problems


def gate(jobs):
    problems, clean, skipped = [], {}, {}
    for directory in jobs:
        job = Path(directory).name.removeprefix("results-")
        image, _, arch = job.rpartition("-")
        found, skips, not_run = read_job(directory)
        problems += [f"{job}: {p}" for p in found]
        # GitHub's ARM image may lack a desktop (the release notes then say what was not run);
        # the others may not, and x86 and x64 count as tested only by a job on one of those.
        arm = image.endswith("-arm")
        problems += [f"{arch}: {job} could not run {n}" for n in not_run if not arm]
        clean.setdefault(arch, []).extend([] if found or skips or (arm and arch in ARCHES) else [job])
        skipped.setdefault(arch, []).extend(f"{job}: {s}" for s in skips)
        print(f"{job}: {len(skips)} skip(s), {len(not_run)} not run" + "".join(
            f"\n  skipped {s}" for s in skips) + "".join(f"\n  not run: {n}" for n in not_run))
    for arch in ARCHES + ("arm64",):
        if not clean.get(arch):
            problems.append(f"{arch}: no job{' off the ARM image' if arch in ARCHES else ''} passed with nothing "
                            "skipped" + "".join(f"; skipped {s}" for s in skipped.get(arch, [])[:3]))
    return problems


def _get(node, key):
    """A YAML mapping node's value node for key, or None."""
    return next((v for k, v in node.value if k.value == key), None) if getattr(node, "id", "") == "mapping" else None


def check_runs(workflows):
    """As actionlint's native build would: expressions read as words, lines as in the workflow."""
    from yaml import compose  # only Debian has it, not the Windows runners

    problems = []
    for path in workflows:
        top, checked = compose(Path(path).read_text(encoding="utf-8")), 0
        for _, job in _get(top, "jobs").value:
            # A job names its shell, or runs bash where the runner is Linux.
            default = [_get(_get(_get(n, "defaults"), "run"), "shell") for n in (job, top)]
            linux = _get(job, "runs-on").value.startswith("ubuntu")
            for step in _get(job, "steps").value:
                run, shell = _get(step, "run"), next((s for s in [_get(step, "shell")] + default if s), None)
                if run is None or (shell.value.split()[0] if shell else "bash" if linux else "") != "bash":
                    continue
                checked += 1
                script = re.sub(r"\$\{\{.*?\}\}", lambda m: "_" * len(m.group()), run.value)
                found = subprocess.run(["shellcheck", "-s", "bash", "-f", "gcc", "-"], input=script,
                                       capture_output=True, text=True).stdout
                first = run.start_mark.line + (run.style in ("|", ">"))  # a block starts a line below
                problems += [f"{path}:{first + int(n)}:{rest}" for n, rest in re.findall(r"^-:(\d+):(.*)", found, re.M)]
        if not checked:  # a reading that finds no bash step would pass whatever the steps say
            problems.append(f"{path}: no bash step found")
    return problems


def main(argv=None):
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    sub = parser.add_subparsers(dest="command", required=True)
    p = sub.add_parser("dist")
    p.add_argument("dir")
    p.add_argument("--arch", choices=ARCHES)
    p.add_argument("--also", action="append", default=[])
    p = sub.add_parser("program")
    p.add_argument("exe")
    p.add_argument("--site")
    p.add_argument("--timestamp", type=int)
    sub.add_parser("version").add_argument("tag")
    p = sub.add_parser("run")
    p.add_argument("dir")
    p.add_argument("--results", required=True)
    p = sub.add_parser("summary")
    p.add_argument("results")
    p.add_argument("--title", required=True)
    sub.add_parser("gate").add_argument("jobs", nargs="+")
    sub.add_parser("runs").add_argument("workflows", nargs="+")
    args = parser.parse_args(argv)
    problems = {
        "dist": lambda: check_dist(args.dir, [args.arch] if args.arch else ARCHES, args.also),
        "program": lambda: check_program(args.exe, site=args.site, timestamp=args.timestamp),
        "version": lambda: check_version(args.tag),
        "run": lambda: run_tests(args.dir, args.results),
        "summary": lambda: summary(args.results, args.title),
        "gate": lambda: gate(args.jobs),
        "runs": lambda: check_runs(args.workflows),
    }[args.command]()
    for problem in problems:
        print(f"::error::{problem}")
    print(f"ci.py {args.command}: " + (f"{len(problems)} problem(s)" if problems else "ok"))
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
