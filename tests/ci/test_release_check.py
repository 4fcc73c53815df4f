"""The package check and the release gate (scripts/release_check.py), fed real GoogleTest XML
that the x64 test programs wrote under Wine (samples/, trimmed), as the Windows jobs would
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
WINDOW_JOBS = ["windows-2025-x86", "windows-2022-x86", "windows-2025-x64", "windows-2022-x64"]
TEXT_JOB = "windows-11-arm-arm64"

# Under Wine two window tests skip (no accessible names, lone LF breaks a line); on Windows
# they run. A clean job is the Wine sample without them.
WINE_ONLY_SKIPS = ("Text1IsNamedForScreenReaders", "OnlyCrLfBreaksALine")


def without_wine_skips(text):
    for name in WINE_ONLY_SKIPS:
        text = re.sub(rf'\s*<testcase name="{name}".*?</testcase>', "", text, flags=re.S)
    return text


def dpi_skipped(text):
    """The DPI test as it ran on a 1024x768 screen (samples/dpi-1024x768.xml), in place of the
    run at 2048x1536."""
    small = (SAMPLES / "dpi-1024x768.xml").read_text(encoding="utf-8")
    case = re.search(r'<testcase name="DpiChangesLayOutAgainAndKeepTheText".*?</testcase>', small, re.S)
    return re.sub(r'<testcase name="DpiChangesLayOutAgainAndKeepTheText".*?</testcase>',
                  lambda _: case.group(0), text, flags=re.S)


def dpi_192_skipped(text):
    """A screen on which 144 DPI fits and 192 does not: the test passes, one step skipped."""
    return text.replace('<property name="screen" value="2048x1536"/>',
                        '<property name="screen" value="1600x900"/><property name="skipped_dpi" value="192"/>')


def dpi_skipped_as_attribute(text):
    """GoogleTest before 1.11 writes a recorded property as an attribute of the testcase."""
    return text.replace('<testcase name="DpiChangesLayOutAgainAndKeepTheText"',
                        '<testcase skipped_dpi="192" name="DpiChangesLayOutAgainAndKeepTheText"')


def failed(text):
    return re.sub(r"<testcase ([^>]*?) />", r'<testcase \1><failure message="planted" type=""/></testcase>',
                  text, count=1)


def cut_short(text):
    """What a program ended half-way through writing leaves."""
    return text[: len(text) // 2]


def no_tests(text):
    return re.sub(r"\s*<testcase [^>]*/>|\s*<testcase .*?</testcase>", "", text, flags=re.S)


class Gate(unittest.TestCase):
    def setUp(self):
        self.tmp = Path(tempfile.mkdtemp())
        self.addCleanup(shutil.rmtree, self.tmp)

    def run_gate(self, plants=(), drop=()):
        """plants: (job, program, change); drop: (job, program) whose XML is missing, or
        (job, None) for a job with no results at all."""
        for job in WINDOW_JOBS + [TEXT_JOB]:
            if (job, None) in drop:
                continue
            directory = self.tmp / f"results-{job}"
            directory.mkdir()
            for name, _, kind in PROGRAMS:
                if (job, name) in drop or (job == TEXT_JOB and kind == "window"):
                    continue
                text = without_wine_skips((SAMPLES / f"{name}.xml").read_text(encoding="utf-8"))
                for plant_job, program, change in plants:
                    if (plant_job, program) == (job, name):
                        text = change(text)
                (directory / f"{name}.xml").write_text(text, encoding="utf-8")
        return release_check.gate([self.tmp / f"results-{j}" for j in WINDOW_JOBS],
                                  [self.tmp / f"results-{TEXT_JOB}"], PROGRAMS)

    def test_refusals(self):
        unskipped = lambda text: (SAMPLES / "app_tests.xml").read_text(encoding="utf-8")  # noqa: E731
        cases = [
            ("every job clean", {}, []),
            ("one x64 image skipped DPI steps, the other none",
             {"plants": [("windows-2022-x64", "app_tests", dpi_skipped)]}, []),
            ("both x64 images skipped DPI steps",
             {"plants": [("windows-2025-x64", "app_tests", dpi_skipped),
                         ("windows-2022-x64", "app_tests_win7", dpi_skipped)]},
             ["x64: no job ran every required test without a skip"]),
            ("both x86 images skipped window tests (as under Wine)",
             {"plants": [("windows-2025-x86", "app_tests", unskipped),
                         ("windows-2022-x86", "app_tests", unskipped)]},
             ["x86: no job ran every required test without a skip"]),
            ("both x86 images skipped the 192 DPI step only",
             {"plants": [("windows-2025-x86", "app_tests_win7", dpi_192_skipped),
                         ("windows-2022-x86", "app_tests", dpi_192_skipped)]},
             ["x86: no job ran every required test without a skip"]),
            ("an older GoogleTest's skipped_dpi attribute",
             {"plants": [("windows-2025-x86", "app_tests", dpi_skipped_as_attribute),
                         ("windows-2022-x86", "app_tests_win7", dpi_skipped_as_attribute)]},
             ["x86: no job ran every required test without a skip"]),
            ("a job without one program",
             {"drop": [("windows-2022-x86", "app_tests_win7")]},
             ["windows-2022-x86: did not run app_tests_win7 (no app_tests_win7.xml)"]),
            ("arm64 without a text program",
             {"drop": [(TEXT_JOB, "text_tests_path2")]},
             [f"{TEXT_JOB}: did not run text_tests_path2 (no text_tests_path2.xml)",
              "arm64: no job ran every required test without a skip"]),
            ("a job without results", {"drop": [("windows-2025-x64", None)]},
             ["windows-2025-x64: no test results"]),
            ("a failed test",
             {"plants": [("windows-2025-x64", "text_tests_path1", failed)]},
             ["windows-2025-x64: text_tests_path1: 1 test(s) failed"]),
            ("a program that ran no test",
             {"plants": [("windows-2025-x64", "text_tests", no_tests)]},
             ["windows-2025-x64: text_tests ran no tests"]),
        ]
        for title, kwargs, refusals in cases:
            with self.subTest(title):
                self.setUp()
                _, got = self.run_gate(**kwargs)
                self.assertEqual(got, refusals)

    def test_a_report_cut_short_is_refused(self):
        _, got = self.run_gate(plants=[("windows-2025-x86", "app_tests", cut_short)])
        self.assertEqual(len(got), 1)
        self.assertRegex(got[0], r"^windows-2025-x86: app_tests.xml is unreadable")

    def test_the_report_names_each_skip_and_the_screen(self):
        lines, _ = self.run_gate(plants=[("windows-2025-x64", "app_tests", dpi_skipped)])
        text = "\n".join(lines)
        self.assertIn("windows-2025-x64: 5 programs, 1 skip(s), screen 1024x768", text)
        self.assertIn("app_tests: Window.DpiChangesLayOutAgainAndKeepTheText skipped, skipped DPI steps 144,192", text)
        self.assertIn("windows-2022-x64: 5 programs, 0 skip(s), screen 2048x1536", text)


class Dist(unittest.TestCase):
    """A package of small stand-in files, whole, then with one thing wrong."""

    def make(self):
        dist = Path(tempfile.mkdtemp())
        self.addCleanup(shutil.rmtree, dist)
        names = ["BUILD-RECORD.txt"]
        for arch in release_check.ARCHES:
            names += [f"TavrinBlankLines-{arch}.exe", f"window_pictures-{arch}.exe"]
            names += [f"tests-{arch}/{name}.exe" for name, _, _ in PROGRAMS]
        for name in names:
            (dist / name).parent.mkdir(exist_ok=True)
            (dist / name).write_text(name)
        return dist

    @staticmethod
    def write_sums(dist):
        files = sorted(p.relative_to(dist).as_posix() for p in dist.rglob("*") if p.is_file())
        lines = [f"{release_check.sha256(dist / f)}  {f}" for f in files if f != "SHA256SUMS"]
        (dist / "SHA256SUMS").write_text("".join(line + "\n" for line in lines))

    def test_refusals(self):
        def drop(name):
            return lambda d: (d / name).unlink()

        def add(name):
            return lambda d: (d / name).write_text("new")

        cases = [
            ("whole", None, None, []),
            ("a required test program dropped", drop("tests-x86/app_tests.exe"), None,
             ["tests-x86/app_tests.exe is missing"]),
            ("the build record dropped", drop("BUILD-RECORD.txt"), None,
             ["BUILD-RECORD.txt is missing"]),
            ("a test program the manifest lacks", add("tests-x64/new_tests.exe"), None,
             ["tests-x64/new_tests.exe is not in required-programs.txt"]),
            ("a file added after SHA256SUMS", None, add("notes.txt"),
             ["SHA256SUMS does not list notes.txt"]),
            ("a program changed after SHA256SUMS", None, add("TavrinBlankLines-x64.exe"),
             ["TavrinBlankLines-x64.exe does not match its SHA256SUMS line"]),
            ("a program removed after SHA256SUMS", None, drop("tests-x64/text_tests.exe"),
             ["tests-x64/text_tests.exe is missing",
              "SHA256SUMS lists tests-x64/text_tests.exe, which is not there"]),
            ("no SHA256SUMS", None, drop("SHA256SUMS"), ["SHA256SUMS is missing"]),
        ]
        for title, before_sums, after_sums, refusals in cases:
            with self.subTest(title):
                dist = self.make()
                if before_sums:
                    before_sums(dist)
                self.write_sums(dist)
                if after_sums:
                    after_sums(dist)
                self.assertEqual(release_check.check_dist(dist, PROGRAMS), refusals)


class Manifest(unittest.TestCase):
    def test_unreadable_lines_are_refused(self):
        for line in ["app_tests 9", "app_tests nine window", "app_tests 9 gui", "a 1 text extra"]:
            with self.subTest(line), tempfile.NamedTemporaryFile("w", suffix=".txt") as f:
                f.write(f"# comment\ntext_tests 2 text\n{line}\n")
                f.flush()
                with self.assertRaises(ValueError):
                    release_check.read_manifest(f.name)

    def test_the_limits_fit_the_step_that_runs_them(self):
        """Run-Tests.ps1 refuses to start when the programs' limits and its 3-minute reserve
        exceed -StepMinutes, which must equal the step's own timeout."""
        workflow = (ROOT / ".github/workflows/ci.yml").read_text(encoding="utf-8")
        step = re.search(r"- name: Run every test program natively\n(.*?)\n\n", workflow, re.S).group(1)
        timeout = int(re.search(r"timeout-minutes: (\d+)", step).group(1))
        self.assertEqual(int(re.search(r"-StepMinutes (\d+)", step).group(1)), timeout)
        self.assertLessEqual(sum(minutes for _, minutes, _ in PROGRAMS) + 3, timeout)

    def test_the_gate_reads_every_windows_job(self):
        """The release step names the windows-tests matrix again; an image added to the matrix
        and not there would release without its results being read."""
        workflow = (ROOT / ".github/workflows/ci.yml").read_text(encoding="utf-8")
        images = re.search(r"^\s+windows: \[(.*)\]$", workflow, re.M).group(1).split(", ")
        arches = re.search(r"^\s+arch: \[(.*)\]$", workflow, re.M).group(1).split(", ")
        gate = re.search(r"release_check.py gate(.*?)\n\n", workflow, re.S).group(1)
        self.assertEqual(sorted(re.findall(r"--job results/results-(\S+)", gate)),
                         sorted(f"{i}-{a}" for i in images for a in arches))
        self.assertEqual(re.findall(r"--text-job results/results-(\S+)", gate), [TEXT_JOB])
        self.assertIn(f"name: results-{TEXT_JOB}\n", workflow)

    def test_the_build_image_is_pinned_and_recorded_as_pinned(self):
        workflow = (ROOT / ".github/workflows/ci.yml").read_text(encoding="utf-8")
        image = re.search(r"^    container: (\S+)$", workflow, re.M).group(1)
        self.assertRegex(image, r"^debian:[\w.-]+@sha256:[0-9a-f]{64}$")
        self.assertEqual(re.search(r"^      BUILD_IMAGE: (\S+)$", workflow, re.M).group(1), image)


if __name__ == "__main__":
    unittest.main()
