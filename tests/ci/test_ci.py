"""scripts/ci.py: the release gate and job summary fed results folders, the package and program
file checks fed small PE files, all made here with faults planted."""
import contextlib
import io
import struct
import sys
import tempfile
import unittest
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[2] / "scripts"))
import ci  # noqa: E402

SITE = [("CompanyName", "www.tavrin.example"), ("ProductName", "www.tavrin.example")]
RECORD = "commit: x\nsite address: http://www.tavrin.example/\nSOURCE_DATE_EPOCH: 7 (1970-01-01T00:00:07Z)\n"
JOBS = ["a-x86", "a-x64", "b-x64", "c-arm-x86", "c-arm-arm64"]  # results-IMAGE-ARCH; c-arm the ARM image
PASS, FAIL = ("run", "completed", ""), ("run", "completed", '<failure message="planted"/>')
SKIP, DISABLED = ("run", "skipped", '<skipped message="planted"/>'), ("notrun", "suppressed", "")


def pe(machine=0x8664, characteristics=0x0022, timestamp=7, strings=SITE):
    data = bytearray(0x40) + b"PE\0\0" + struct.pack("<HHIIIHH", machine, 1, timestamp, 0, 0, 0, characteristics)
    data[0x3C:0x40] = struct.pack("<I", 0x40)
    for name, value in strings:  # as in a version block: the name, padding, the value
        data += f"{name}\0\0".encode("utf-16-le") + f"{value}\0".encode("utf-16-le")
    return bytes(data)


def report(*cases):
    """GoogleTest XML with a test T.tN for each (status, result, child element)."""
    body = "".join(f'<testcase name="t{i}" classname="T" status="{s}" result="{r}">{c}</testcase>'
                   for i, (s, r, c) in enumerate(cases))
    return f'<?xml version="1.0"?><testsuites><testsuite name="T">{body}</testsuite></testsuites>'


PASSED = {f"{name}.xml": report(PASS, PASS) for name, _, _ in ci.REQUIRED} | {"start.txt": "ok: opened"}


def write(folder, files):
    """Each file of files written into folder (text as UTF-8), or where it is None removed."""
    for name, data in files.items():
        (folder / name).parent.mkdir(parents=True, exist_ok=True)
        if data is None:
            (folder / name).unlink(missing_ok=True)
        else:
            (folder / name).write_bytes(data.encode() if isinstance(data, str) else data)


class Checks(unittest.TestCase):
    def expect(self, problems, problem):
        if problem:
            self.assertTrue(any(p.startswith(problem) for p in problems), (problem, problems))
        else:
            self.assertEqual(problems, [])

    def test_gate_and_summary(self):
        no_desktop = {"no-desktop.txt": "no usable desktop: planted", "start.txt": "not run: no usable desktop: planted",
                      "app_tests.xml": None, "app_tests_win7.xml": None}
        cases = [  # job, its files changed (None: left out), refusal, a line the gate prints
            (None, {}, None, "a-x86: 0 skip(s), 0 not run"),
            ("b-x64", {"app_tests.xml": report(PASS, FAIL)}, "b-x64: app_tests: 1 of 2 tests failed", None),
            ("a-x86", dict.fromkeys(PASSED), "a-x86: the program's start: no result", None),  # an empty folder
            ("c-arm-arm64", {"text_tests.xml": report(PASS)[:60]}, "c-arm-arm64: text_tests: no readable report", None),
            ("a-x64", {"app_tests_win7.xml": report()}, "a-x64: app_tests_win7: ran no tests", None),
            ("c-arm-arm64", {"text_tests.xml": report(PASS, DISABLED)},
             "arm64: no job passed with nothing skipped; skipped c-arm-arm64: text_tests: T.t1: not run", None),
            # A skip passes where another job of that architecture skipped nothing.
            ("a-x64", {"app_tests.xml": report(PASS, SKIP)}, None, "a-x64: 1 skip(s)"),
            ("c-arm-arm64", no_desktop, None, "  not run: app_tests: no usable desktop: planted"),
            ("a-x86", no_desktop, "x86: a-x86 could not run app_tests: no usable desktop", None),
            # x86 on the ARM image may lack a desktop too, but is never the x86 job that skipped nothing.
            ("c-arm-x86", no_desktop, None, "c-arm-x86: 0 skip(s), 3 not run"),
            ("a-x86", {"app_tests.xml": report(PASS, SKIP)},
             "x86: no job off the ARM image passed with nothing skipped; skipped a-x86: app_tests: T.t1", None),
            ("c-arm-arm64", no_desktop | {"text_tests.xml": None}, "c-arm-arm64: text_tests: no readable report", None),
            ("c-arm-arm64", {"start.txt": "failed: no window"}, "c-arm-arm64: the program's start: failed", None),
        ]
        for job, files, refusal, printed in cases:
            tmp = Path(self.enterContext(tempfile.TemporaryDirectory()))
            for j in JOBS:
                write(tmp / f"results-{j}", PASSED | files if j == job else PASSED)
            with contextlib.redirect_stdout(io.StringIO()) as out:
                self.expect(ci.gate(sorted(tmp.iterdir())), refusal)
                # The job's own summary fails as the gate refuses, and says what was not run.
                failed = bool(ci.summary(tmp / f"results-{job or 'a-x86'}", "t"))
                self.assertEqual(failed, bool(refusal and refusal.startswith(job)))
            self.assertIn(printed or "", out.getvalue())

    def test_dist(self):
        exe = "TavrinBlankLines-{}.exe".format
        cases = [  # files changed before SHA256SUMS is written (None: removed), after it, the refusal
            ({}, {}, None),
            ({}, {"BUILD-RECORD.txt": RECORD + "more"}, "BUILD-RECORD.txt does not match"),
            ({"BUILD-RECORD.txt": "commit: x\n"}, {}, "BUILD-RECORD.txt names no"),
            ({}, {"notes.txt": "new"}, "SHA256SUMS does not list notes.txt"),
            ({"tests-x86/x_tests.exe": pe(0x014C)}, {}, "tests-x86/x_tests.exe is not"),
            ({"tests-x64/app_tests.exe": None}, {}, "tests-x64/app_tests.exe is missing"),
            ({"tests-x86/app_tests.exe": pe()}, {}, "tests-x86/app_tests.exe is built for"),
            # The promises of each program, as released (ARM64's given with --also).
            ({exe("x86"): pe(0x014C, characteristics=0x0002)}, {}, exe("x86") + ": not large-address-aware"),
            ({exe("x64"): pe(timestamp=8)}, {}, exe("x64") + ": PE timestamp 8, not 7"),
            ({exe("x64"): pe(strings=SITE[:1])}, {}, exe("x64") + ": ProductName is None"),
            ({exe("arm64"): pe(0x014C)}, {}, exe("arm64") + ": built for x86, not arm64"),
        ]
        machines = {"x86": 0x014C, "x64": 0x8664, "arm64": 0xAA64}
        package = {exe(arch): pe(machine) for arch, machine in machines.items()} | {"BUILD-RECORD.txt": RECORD}
        package |= {f"tests-{arch}/{name}.exe": pe(machines[arch]) for arch in ci.ARCHES for name, _, _ in ci.REQUIRED}
        for before, after, problem in cases:
            dist = Path(self.enterContext(tempfile.TemporaryDirectory()))
            write(dist, package | before)
            files = sorted(p.relative_to(dist).as_posix() for p in dist.rglob("*") if p.is_file())
            (dist / "SHA256SUMS").write_text("".join(f"{ci.sha256(dist / f)}  {f}\n" for f in files))
            write(dist, after)
            problems = ci.check_dist(dist, also=[dist / exe("arm64")])
            self.expect([p.removeprefix(f"{dist}/") for p in problems], problem)


if __name__ == "__main__":
    unittest.main()
