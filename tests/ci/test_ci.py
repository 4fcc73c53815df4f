"""scripts/ci.py: the release gate fed the GoogleTest XML our test programs wrote under Wine
(samples/), the package and program file checks fed small made-up PE files; faults planted."""
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
SITE = [("CompanyName", "www.tavrin.example"), ("ProductName", "www.tavrin.example")]


def plant(element, text):  # into the first test that passed
    return re.sub(r"<testcase ([^>]*?) />", rf'<testcase \1><{element} message="planted"/></testcase>', text, count=1)


def pe(machine=0x8664, characteristics=0x0022, timestamp=7, strings=SITE):
    data = bytearray(0x40) + b"PE\0\0" + struct.pack("<HHIIIHH", machine, 1, timestamp, 0, 0, 0, characteristics)
    data[0x3C:0x40] = struct.pack("<I", 0x40)
    for name, value in strings:  # as in a version block: the name, padding, the value
        data += f"{name}\0\0".encode("utf-16-le") + f"{value}\0".encode("utf-16-le")
    return bytes(data)


class Checks(unittest.TestCase):
    def folder(self):
        tmp = Path(tempfile.mkdtemp())
        self.addCleanup(shutil.rmtree, tmp)
        return tmp

    def expect(self, problems, problem):
        if problem:
            self.assertTrue(any(p.startswith(problem) for p in problems), (problem, problems))
        else:
            self.assertEqual(problems, [])

    def test_gate(self):
        # As a Windows job writes it: without the test that skips under Wine only.
        sample = {n: re.sub(r"\s*<testcase [^>]*>\s*<skipped.*?</testcase>", "", (SAMPLES / f"{n}.xml").read_text(),
                            flags=re.S) for n in ("app_tests", "text_tests")}
        cases = [
            (None, None, None, None),
            (lambda t: plant("failure", t), "windows-2022-x64", "app_tests", "windows-2022-x64: app_tests: 1 of"),
            (None, "windows-2025-x86", "text_tests", "windows-2025-x86: text_tests: no readable report"),
            (lambda t: t[: len(t) // 2], "msys2-arm64", "text_tests", "msys2-arm64: text_tests: no readable report"),
            (lambda t: re.sub(r"<testsuite .*?</testsuite>", "", t, flags=re.S), "windows-2025-x64",
             "app_tests_win7", "windows-2025-x64: app_tests_win7: ran no tests"),
            (lambda t: plant("skipped", t), "msys2-arm64", "text_tests", "arm64: no job ran every required test"),
            # A skip passes where another job of that architecture skipped nothing.
            (lambda t: plant("skipped", t), "windows-2025-x64", "app_tests", None),
        ]
        for change, job, program, refusal in cases:
            tmp = self.folder()
            for j in JOBS:
                (tmp / f"results-{j}").mkdir()
                # The ARM64 job has no desktop: its text tests alone.
                for name in ["text_tests"] if j.endswith("arm64") else [p[0] for p in ci.REQUIRED]:
                    text = sample[name.removesuffix("_win7")]
                    if (j, name) == (job, program) and change:
                        text = change(text)
                    if (j, name) != (job, program) or change:
                        (tmp / f"results-{j}" / f"{name}.xml").write_text(text, encoding="utf-8")
            self.expect(ci.gate(sorted(tmp.iterdir())), refusal)
        problems, skips = ci.read_results(SAMPLES, [("app_tests", 9, "window")])  # as under Wine
        self.assertEqual((problems, len(skips)), ([], 1), skips)

    def test_dist(self):
        plants = [  # a fault planted before SHA256SUMS is written, or after
            (None, None, None),
            (None, lambda d: (d / "BUILD-RECORD.txt").write_text("changed"), "BUILD-RECORD.txt does not match"),
            (None, lambda d: (d / "notes.txt").write_text("new"), "SHA256SUMS does not list notes.txt"),
            (lambda d: (d / "tests-x86/extra_tests.exe").write_bytes(pe(0x014C)), None, "tests-x86/extra_tests.exe is not"),
            (lambda d: (d / "tests-x64/app_tests.exe").unlink(), None, "tests-x64/app_tests.exe is missing"),
            (lambda d: (d / "TavrinBlankLines-x86.exe").write_bytes(pe()), None, "TavrinBlankLines-x86.exe is built for x64"),
        ]
        for before, after, problem in plants:
            dist = self.folder()
            for arch, machine in [("x86", 0x014C), ("x64", 0x8664)]:
                for name in [f"TavrinBlankLines-{arch}.exe", f"window_pictures-{arch}.exe"] + [
                        f"tests-{arch}/{p}.exe" for p, _, _ in ci.REQUIRED]:
                    (dist / name).parent.mkdir(exist_ok=True)
                    (dist / name).write_bytes(pe(machine))
            (dist / "BUILD-RECORD.txt").write_text("commit: x\n")
            if before:
                before(dist)
            files = sorted(p.relative_to(dist).as_posix() for p in dist.rglob("*") if p.is_file())
            (dist / "SHA256SUMS").write_text("".join(f"{ci.sha256(dist / f)}  {f}\n" for f in files))
            if after:
                after(dist)
            self.expect(ci.check_dist(dist), problem)

    def test_program(self):
        exe = self.folder() / "p.exe"
        cases = [
            (pe(), {}, []),
            (pe(characteristics=0x0002), {}, ["not large-address-aware"]),
            (pe(strings=SITE[:1]), {}, ["ProductName is None, not 'www.tavrin.example'"]),
            (pe(timestamp=1), {}, ["PE timestamp 1, not 7"]),
            (pe(0xAA64), {"machine": "arm64"}, []),
            (pe(0x014C), {"machine": "arm64"}, ["built for x86, not arm64"]),
        ]
        for data, machine, problems in cases:
            exe.write_bytes(data)
            found = ci.check_program(exe, site="www.tavrin.example", timestamp=7, **machine)
            self.assertEqual([p.split(": ", 1)[1] for p in found], problems)


if __name__ == "__main__":
    unittest.main()
