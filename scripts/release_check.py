#!/usr/bin/env python3
"""Checks that stand between a build and a release, on Debian and on the release runner.

  release_check.py dist DIR
      DIR (build/dist) holds each program and every required test program for x86 and x64,
      and SHA256SUMS lists every file in it, each with its right hash.
  release_check.py gate [--job DIR]... [--text-job DIR]...
      Each DIR holds one Windows job's GoogleTest XML (artifact results-IMAGE-ARCH). Every job
      ran every required program (a --text-job only the text ones) and none failed; for each
      architecture at least one job skipped no test and no DPI step.

The required programs are in tests/required-programs.txt. Exits 1 and says why on a refusal.
"""
import argparse
import hashlib
import sys
import xml.etree.ElementTree as ET
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
MANIFEST = ROOT / "tests" / "required-programs.txt"
ARCHES = ("x86", "x64")


def read_manifest(path=MANIFEST):
    """[(name, minutes, kind)] in file order."""
    programs = []
    for number, line in enumerate(Path(path).read_text(encoding="utf-8").splitlines(), 1):
        fields = line.split("#", 1)[0].split()
        if not fields:
            continue
        if len(fields) != 3 or not fields[1].isdigit() or fields[2] not in ("text", "window"):
            raise ValueError(f"{path}:{number}: want 'name minutes text|window', got {line!r}")
        programs.append((fields[0], int(fields[1]), fields[2]))
    if not programs:
        raise ValueError(f"{path}: names no program")
    return programs


def sha256(path):
    digest = hashlib.sha256()
    with open(path, "rb") as f:
        for block in iter(lambda: f.read(1 << 20), b""):
            digest.update(block)
    return digest.hexdigest()


def check_dist(dist, programs):
    """Problems with the package in dist, [] when it is whole."""
    dist = Path(dist)
    problems = []
    wanted = {"BUILD-RECORD.txt"}
    for arch in ARCHES:
        wanted |= {f"TavrinBlankLines-{arch}.exe", f"window_pictures-{arch}.exe"}
        wanted |= {f"tests-{arch}/{name}.exe" for name, _, _ in programs}
        # A test program the manifest does not name would never run on Windows.
        for exe in sorted((dist / f"tests-{arch}").glob("*.exe")):
            if exe.stem not in {name for name, _, _ in programs}:
                problems.append(f"tests-{arch}/{exe.name} is not in {MANIFEST.name}")
    files = {p.relative_to(dist).as_posix() for p in dist.rglob("*") if p.is_file()}
    problems += [f"{name} is missing" for name in sorted(wanted - files)]

    sums = dist / "SHA256SUMS"
    if not sums.is_file():
        return problems + ["SHA256SUMS is missing"]
    listed = {}
    for line in sums.read_text(encoding="utf-8").splitlines():
        digest, sep, name = line.partition("  ")
        if not sep or len(digest) != 64:
            problems.append(f"SHA256SUMS: unreadable line {line!r}")
        else:
            listed[name.lstrip("*")] = digest.lower()
    files.discard("SHA256SUMS")
    problems += [f"SHA256SUMS does not list {name}" for name in sorted(files - set(listed))]
    for name, digest in sorted(listed.items()):
        if name not in files:
            problems.append(f"SHA256SUMS lists {name}, which is not there")
        elif sha256(dist / name) != digest:
            problems.append(f"{name} does not match its SHA256SUMS line")
    return problems


def read_job(directory, programs):
    """What one job's results say: (problems, skips, screens)."""
    problems, skips, screens = [], [], set()
    for name, _, _ in programs:
        report = Path(directory) / f"{name}.xml"
        if not report.is_file():
            problems.append(f"did not run {name} (no {report.name})")
            continue
        try:
            cases = list(ET.parse(report).getroot().iter("testcase"))
        except ET.ParseError as error:
            problems.append(f"{report.name} is unreadable ({error})")
            continue
        ran = [c for c in cases if c.get("status", "run") == "run"]
        if not ran:
            problems.append(f"{name} ran no tests")
        failed = [c for c in ran if c.find("failure") is not None or c.find("error") is not None]
        if failed:
            problems.append(f"{name}: {len(failed)} test(s) failed")
        for case in ran:
            props = {p.get("name"): p.get("value", "") for p in case.iter("property")}
            why = []
            if case.get("result") == "skipped" or case.find("skipped") is not None:
                why.append("skipped")
            if props.get("skipped_dpi"):
                why.append(f"skipped DPI steps {props['skipped_dpi']}")
            if why:
                skips.append(f"{name}: {case.get('classname')}.{case.get('name')} {', '.join(why)}")
            if props.get("screen"):
                screens.add(props["screen"])
    return problems, skips, sorted(screens)


def gate(window_jobs, text_jobs, programs):
    """(report lines, refusals): refusals empty when the release may go ahead."""
    lines, refusals = [], []
    clean = {}  # arch -> [jobs that skipped nothing]
    for directory, needed in [(d, programs) for d in window_jobs] + [
        (d, [p for p in programs if p[2] == "text"]) for d in text_jobs
    ]:
        job = Path(directory).name.removeprefix("results-")
        arch = job.rsplit("-", 1)[-1]
        if not Path(directory).is_dir():
            refusals.append(f"{job}: no test results")
            continue
        problems, skips, screens = read_job(directory, needed)
        refusals += [f"{job}: {p}" for p in problems]
        clean.setdefault(arch, [])
        if not problems and not skips:
            clean[arch].append(job)
        screen = f"screen {', '.join(screens)}" if screens else "no screen size recorded"
        lines.append(f"{job}: {len(needed)} programs, {len(skips)} skip(s), {screen}")
        lines += [f"  {s}" for s in skips]
    for arch, jobs in sorted(clean.items()):
        if not jobs:
            refusals.append(f"{arch}: no job ran every required test without a skip")
    if not window_jobs and not text_jobs:
        refusals.append("no jobs given")
    return lines, refusals


def main(argv=None):
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    sub = parser.add_subparsers(dest="command", required=True)
    sub.add_parser("dist").add_argument("dir")
    g = sub.add_parser("gate")
    g.add_argument("--job", action="append", default=[], help="a job with a desktop")
    g.add_argument("--text-job", action="append", default=[], help="a job that runs text tests only")
    args = parser.parse_args(argv)
    programs = read_manifest()
    if args.command == "dist":
        refusals = check_dist(args.dir, programs)
        if not refusals:
            print(f"dist: whole, {len(programs)} test programs for each of {', '.join(ARCHES)}")
    else:
        lines, refusals = gate(args.job, args.text_job, programs)
        print("\n".join(lines))
        if not refusals:
            print("gate: every job ran every required program; each architecture has a run without skips")
    for refusal in refusals:
        print(f"::error::{refusal}")
    return 1 if refusals else 0


if __name__ == "__main__":
    sys.exit(main())
