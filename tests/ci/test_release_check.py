"""The package check and the release gate (scripts/release_check.py), fed GoogleTest XML that
the x64 test programs wrote under Wine (samples/, one per kind of program), as the Windows jobs
upload it, with skips, failures and missing programs planted."""
import re
import shutil
import sys
import tempfile
import unittest
from pathlib import Path

ROOT = Path(__file__).resolve().parents[2]
sys.path.insert(0, str(ROOT / "scripts"))
import release_check  # noqa: E402

SAMPLES = Path(__file__).resolve().parent / "samples"
PROGRAMS = release_check.read_manifest()
WORKFLOW = (ROOT / ".github/workflows/ci.yml").read_text(encoding="utf-8")
WINDOW_JOBS = ["windows-2025-x86", "windows-2022-x86", "windows-2025-x64", "windows-2022-x64"]
TEXT_JOB = "windows-11-arm-arm64"
DPI_TEST = "DpiChangesLayOutAgainAndKeepTheText"


def testcase(name, text):
    return re.search(rf'<testcase name="{name}".*?</testcase>', text, re.S).group(0)


def sample(kind):
    """A clean report: the Wine sample without the two window tests that skip only under Wine."""
    if kind == "text":
        return (SAMPLES / "text_tests.xml").read_text(encoding="utf-8")
    text = wine_skips(None)
    for name in ("Text1IsNamedForScreenReaders", "OnlyCrLfBreaksALine"):
        text = text.replace(testcase(name, text), "")
    return text


def wine_skips(_):
    return (SAMPLES / "app_tests.xml").read_text(encoding="utf-8")


def dpi_skipped(text):
    """The DPI test as it ran on a 1024x768 screen."""
    small = (SAMPLES / "dpi-1024x768.xml").read_text(encoding="utf-8")
    return text.replace(testcase(DPI_TEST, text), testcase(DPI_TEST, small))


def dpi_192_skipped(text):
    """A screen on which 144 DPI fits and 192 does not: the test passes, one step skipped."""
    return text.replace('<property name="screen" value="2048x1536"/>',
                        '<property name="screen" value="1600x900"/><property name="skipped_dpi" value="192"/>')


def failed(text):
    return re.sub(r"<testcase ([^>]*?) />", r'<testcase \1><failure message="planted"/></testcase>', text, count=1)


def no_tests(text):
    return re.sub(r"\s*<testcase [^>]*/>|\s*<testcase .*?</testcase>", "", text, flags=re.S)


def cut_short(text):
    return text[: len(text) // 2]


class Gate(unittest.TestCase):
    def refusals(self, plants=(), drop=()):
        """plants: (job, program, change); drop: (job, program) without its XML, or (job, None)
        for a job without results. The refusals without the detail in parentheses."""
        tmp = Path(tempfile.mkdtemp())
        self.addCleanup(shutil.rmtree, tmp)
        for job in WINDOW_JOBS + [TEXT_JOB]:
            if (job, None) in drop:
                continue
            (tmp / f"results-{job}").mkdir()
            for name, _, kind in PROGRAMS:
                if (job, name) in drop or (job == TEXT_JOB and kind == "window"):
                    continue
                text = sample(kind)
                for change in [c for j, n, c in plants if (j, n) == (job, name)]:
                    text = change(text)
                (tmp / f"results-{job}" / f"{name}.xml").write_text(text, encoding="utf-8")
        _, refusals = release_check.gate([tmp / f"results-{j}" for j in WINDOW_JOBS],
                                         [tmp / f"results-{TEXT_JOB}"], PROGRAMS)
        return [r.split(" (")[0] for r in refusals]

    def test_refusals(self):
        no_clean = "no job ran every required test without a skip"
        cases = [
            ("every job clean", {}, []),
            ("one x64 image skipped DPI steps, the other none",
             {"plants": [("windows-2022-x64", "app_tests", dpi_skipped)]}, []),
            ("both x64 images skipped DPI steps",
             {"plants": [("windows-2025-x64", "app_tests", dpi_skipped),
                         ("windows-2022-x64", "app_tests_win7", dpi_skipped)]}, [f"x64: {no_clean}"]),
            ("both x86 images skipped window tests (as under Wine)",
             {"plants": [("windows-2025-x86", "app_tests", wine_skips),
                         ("windows-2022-x86", "app_tests", wine_skips)]}, [f"x86: {no_clean}"]),
            ("both x86 images skipped the 192 DPI step only",
             {"plants": [("windows-2025-x86", "app_tests_win7", dpi_192_skipped),
                         ("windows-2022-x86", "app_tests", dpi_192_skipped)]}, [f"x86: {no_clean}"]),
            ("a job without one program", {"drop": [("windows-2022-x86", "app_tests_win7")]},
             ["windows-2022-x86: did not run app_tests_win7"]),
            ("arm64 without a text program", {"drop": [(TEXT_JOB, "text_tests")]},
             [f"{TEXT_JOB}: did not run text_tests", f"arm64: {no_clean}"]),
            ("a job without results", {"drop": [("windows-2025-x64", None)]},
             ["windows-2025-x64: no test results"]),
            ("a failed test", {"plants": [("windows-2025-x64", "text_tests", failed)]},
             ["windows-2025-x64: text_tests: 1 test(s) failed"]),
            ("a program that ran no test", {"plants": [("windows-2025-x64", "text_tests", no_tests)]},
             ["windows-2025-x64: text_tests ran no tests"]),
            ("a report cut short", {"plants": [("windows-2025-x86", "app_tests", cut_short)]},
             ["windows-2025-x86: app_tests.xml is unreadable"]),
        ]
        for title, kwargs, refusals in cases:
            with self.subTest(title):
                self.assertEqual(self.refusals(**kwargs), refusals)


class Dist(unittest.TestCase):
    def test_refusals(self):
        """A package of small stand-in files, whole, then with one thing wrong before or after
        SHA256SUMS was written."""
        def drop(name):
            return lambda d: (d / name).unlink()

        def add(name):
            return lambda d: (d / name).write_text("new")

        cases = [
            ("whole", None, None, []),
            ("a required test program dropped", drop("tests-x86/app_tests.exe"), None,
             ["tests-x86/app_tests.exe is missing"]),
            ("the build record dropped", drop("BUILD-RECORD.txt"), None, ["BUILD-RECORD.txt is missing"]),
            ("a test program the manifest lacks", add("tests-x64/new_tests.exe"), None,
             ["tests-x64/new_tests.exe is not in required-programs.txt"]),
            ("a file added after SHA256SUMS", None, add("notes.txt"), ["SHA256SUMS does not list notes.txt"]),
            ("a program changed after SHA256SUMS", None, add("TavrinBlankLines-x64.exe"),
             ["TavrinBlankLines-x64.exe does not match its SHA256SUMS line"]),
            ("no SHA256SUMS", None, drop("SHA256SUMS"), ["SHA256SUMS is missing"]),
        ]
        names = ["BUILD-RECORD.txt"] + [
            name for arch in release_check.ARCHES
            for name in [f"TavrinBlankLines-{arch}.exe", f"window_pictures-{arch}.exe"]
            + [f"tests-{arch}/{program}.exe" for program, _, _ in PROGRAMS]]
        for title, before_sums, after_sums, refusals in cases:
            with self.subTest(title):
                dist = Path(tempfile.mkdtemp())
                self.addCleanup(shutil.rmtree, dist)
                for name in names:
                    (dist / name).parent.mkdir(exist_ok=True)
                    (dist / name).write_text(name)
                if before_sums:
                    before_sums(dist)
                files = sorted(p.relative_to(dist).as_posix() for p in dist.rglob("*") if p.is_file())
                (dist / "SHA256SUMS").write_text("".join(f"{release_check.sha256(dist / f)}  {f}\n" for f in files))
                if after_sums:
                    after_sums(dist)
                self.assertEqual(release_check.check_dist(dist, PROGRAMS), refusals)


class Workflow(unittest.TestCase):
    def test_the_limits_fit_the_step_that_runs_them(self):
        step = re.search(r"- name: Run every test program natively\n(.*?)\n\n", WORKFLOW, re.S).group(1)
        timeout = int(re.search(r"timeout-minutes: (\d+)", step).group(1))
        self.assertEqual(int(re.search(r"-StepMinutes (\d+)", step).group(1)), timeout)
        self.assertLessEqual(sum(minutes for _, minutes, _ in PROGRAMS) + 3, timeout)  # Run-Tests.ps1's reserve

    def test_the_gate_reads_every_windows_job(self):
        images = re.search(r"^\s+windows: \[(.*)\]$", WORKFLOW, re.M).group(1).split(", ")
        arches = re.search(r"^\s+arch: \[(.*)\]$", WORKFLOW, re.M).group(1).split(", ")
        gate = re.search(r"release_check.py gate(.*?)\n\n", WORKFLOW, re.S).group(1)
        self.assertEqual(sorted(re.findall(r"--job results/results-(\S+)", gate)),
                         sorted(f"{i}-{a}" for i in images for a in arches))
        self.assertEqual(re.findall(r"--text-job results/results-(\S+)", gate), [TEXT_JOB])
        self.assertIn(f"name: results-{TEXT_JOB}\n", WORKFLOW)

    def test_the_build_image_is_pinned_and_recorded_as_pinned(self):
        image = re.search(r"^    container: (\S+)$", WORKFLOW, re.M).group(1)
        self.assertRegex(image, r"^debian:[\w.-]+@sha256:[0-9a-f]{64}$")
        self.assertEqual(re.search(r"^      BUILD_IMAGE: (\S+)$", WORKFLOW, re.M).group(1), image)


if __name__ == "__main__":
    unittest.main()
