"""scripts/ci.py: the release gate fed the GoogleTest XML our test programs wrote under Wine
(samples/), the package check and the program file check fed small made-up PE files, each with
faults planted."""
import re
import shutil
import struct
import sys
import tempfile
import unittest
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[2] / "scripts"))
import ci  # noqa: E402

SAMPLES = Path(__file__).resolve().parent / "samples"
JOBS = ["windows-2025-x86", "windows-2022-x86", "windows-2025-x64", "windows-2022-x64", "msys2-arm64"]


def clean(name):
    """A sample without the tests that skip under Wine only, as a Windows job writes it."""
    text = (SAMPLES / f"{name}.xml").read_text(encoding="utf-8")
    return re.sub(r"\s*<testcase [^>]*?>\s*<skipped.*?</testcase>", "", text, flags=re.S)


def fail(text):
    return re.sub(r"<testcase ([^>]*?) />", r'<testcase \1><failure message="planted"/></testcase>', text, count=1)


def skip(text):
    return re.sub(r"<testcase ([^>]*?) />", r'<testcase \1><skipped message="planted"/></testcase>', text, count=1)


def pe(machine=0x8664, characteristics=0x0022, timestamp=1, strings=()):
    data = bytearray(0x80)
    data[0x3C:0x40] = struct.pack("<I", 0x40)
    data[0x40:0x58] = b"PE\0\0" + struct.pack("<HHIIIHH", machine, 1, timestamp, 0, 0, 0, characteristics)
    for name, value in strings:  # as in a version block: the name, padding, the value
        data += f"{name}\0\0".encode("utf-16-le") + f"{value}\0".encode("utf-16-le")
    return bytes(data)


class Gate(unittest.TestCase):
    def refusals(self, change=None, job=None, program=None):
        tmp = Path(tempfile.mkdtemp())
        self.addCleanup(shutil.rmtree, tmp)
        for j in JOBS:
            (tmp / f"results-{j}").mkdir()
            # The ARM64 job has no desktop: its text tests alone.
            for name in ["text_tests"] if j.endswith("arm64") else [p[0] for p in ci.REQUIRED]:
                text = clean(name.split("_win7")[0])
                if (j, name) == (job, program):
                    if change is None:
                        continue
                    text = change(text)
                (tmp / f"results-{j}" / f"{name}.xml").write_text(text, encoding="utf-8")
        return ci.gate(sorted(tmp.iterdir()))

    def test_clean_results_pass(self):
        self.assertEqual(self.refusals(), [])

    def test_planted_faults(self):
        cases = [
            (fail, "windows-2022-x64", "app_tests", "windows-2022-x64: app_tests: 1 of"),
            (None, "windows-2025-x86", "text_tests", "windows-2025-x86: text_tests: no readable report"),
            (lambda t: t[: len(t) // 2], "msys2-arm64", "text_tests", "msys2-arm64: text_tests: no readable report"),
            (lambda t: re.sub(r"<testsuite .*?</testsuite>", "", t, flags=re.S),
             "windows-2025-x64", "app_tests_win7", "windows-2025-x64: app_tests_win7: ran no tests"),
            (skip, "msys2-arm64", "text_tests", "arm64: no job ran every required test without a skip"),
        ]
        for change, job, program, refusal in cases:
            with self.subTest(job=job, program=program):
                self.assertTrue(any(r.startswith(refusal) for r in self.refusals(change, job, program)),
                                self.refusals(change, job, program))

    def test_a_skip_passes_where_another_job_of_that_arch_skipped_nothing(self):
        self.assertEqual(self.refusals(skip, "windows-2025-x64", "app_tests"), [])

    def test_the_wine_sample_skips_and_is_read_so(self):
        tmp = Path(tempfile.mkdtemp())
        self.addCleanup(shutil.rmtree, tmp)
        shutil.copy(SAMPLES / "app_tests.xml", tmp)
        problems, skips = ci.read_results(tmp, [("app_tests", 9, "window")])
        self.assertEqual(problems, [])
        self.assertIn("Text1IsNamedForScreenReaders", " ".join(skips))


class Files(unittest.TestCase):
    def setUp(self):
        self.dist = Path(tempfile.mkdtemp())
        self.addCleanup(shutil.rmtree, self.dist)
        for arch, machine in [("x86", 0x014C), ("x64", 0x8664)]:
            names = [f"TavrinBlankLines-{arch}.exe", f"window_pictures-{arch}.exe"]
            for name in names + [f"tests-{arch}/{p}.exe" for p, _, _ in ci.REQUIRED]:
                (self.dist / name).parent.mkdir(exist_ok=True)
                (self.dist / name).write_bytes(pe(machine))
        (self.dist / "BUILD-RECORD.txt").write_text("commit: x\n")
        self.sums()

    def sums(self):
        files = sorted(p.relative_to(self.dist).as_posix() for p in self.dist.rglob("*") if p.is_file())
        lines = [f"{ci.sha256(self.dist / f)}  {f}" for f in files if f != "SHA256SUMS"]
        (self.dist / "SHA256SUMS").write_text("\n".join(lines) + "\n")

    def test_dist(self):
        self.assertEqual(ci.check_dist(self.dist), [])
        plants = [
            (lambda d: (d / "BUILD-RECORD.txt").write_text("changed"), "BUILD-RECORD.txt does not match"),
            (lambda d: (d / "notes.txt").write_text("new"), "SHA256SUMS does not list notes.txt"),
            (lambda d: (d / "tests-x86/extra_tests.exe").write_bytes(pe(0x014C)), "tests-x86/extra_tests.exe is not one"),
            (lambda d: (d / "tests-x64/app_tests.exe").unlink(), "tests-x64/app_tests.exe is missing"),
            (lambda d: (d / "TavrinBlankLines-x86.exe").write_bytes(pe(0x8664)), "TavrinBlankLines-x86.exe is built for x64"),
        ]
        for plant, problem in plants:
            with self.subTest(problem=problem):
                self.setUp()
                plant(self.dist)
                if "SHA256SUMS" not in problem and "does not match" not in problem:
                    self.sums()
                self.assertTrue(any(p.startswith(problem) for p in ci.check_dist(self.dist)), ci.check_dist(self.dist))

    def test_program(self):
        exe = self.dist / "p.exe"
        site = [("CompanyName", "www.tavrin.example"), ("ProductName", "www.tavrin.example")]
        cases = [
            (pe(strings=site, timestamp=7), [], "arm64"),
            (pe(characteristics=0x0002, strings=site, timestamp=7), ["not large-address-aware"], None),
            (pe(strings=site[:1], timestamp=7), ["ProductName is None, not 'www.tavrin.example'"], None),
            (pe(strings=site), ["PE timestamp 1, not 7"], "x86"),
            (pe(0xAA64, strings=site, timestamp=7), [], "x64"),
        ]
        for data, problems, not_machine in cases:
            with self.subTest(problems=problems):
                exe.write_bytes(data)
                found = ci.check_program(exe, site="www.tavrin.example", timestamp=7)
                self.assertEqual([p.split(": ", 1)[1] for p in found], problems)
                if not_machine:
                    self.assertTrue(ci.check_program(exe, machine=not_machine))


if __name__ == "__main__":
    unittest.main()
