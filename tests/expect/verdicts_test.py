"""The verdicts end to end: the receiver on the plant with expectations,
its exit statuses, the JUnit file read by a real XML parser, TAP 13, the
JSON verdict line, a stop by a signal, and the CI example."""
import os
import signal
import subprocess
import tempfile
import time
import unittest
import xml.etree.ElementTree as ElementTree

from receiver_runs import PLANT, RECEIVER, json_lines, receiver

SOURCE = os.path.join(os.path.dirname(__file__), "..", "..")
NOWHERE = "127.0.0.1:1"  # a device that is never reached


def junit_checked(test, path, expressions):
    """The JUnit file parsed, its counts checked against its test cases as
    GitLab and Jenkins count them; returns {name: failure message or None}."""
    root = ElementTree.parse(path).getroot()
    test.assertEqual(root.tag, "testsuites")
    suites = root.findall("testsuite")
    test.assertEqual(len(suites), 1)
    cases = suites[0].findall("testcase")
    failures = [case for case in cases if case.find("failure") is not None]
    for element in (root, suites[0]):
        test.assertEqual(int(element.get("tests")), len(cases))
        test.assertEqual(int(element.get("failures")), len(failures))
        float(element.get("time"))
    test.assertEqual([case.get("name") for case in cases], expressions)
    return {case.get("name"): (case.find("failure").get("message")
                               if case.find("failure") is not None else None) for case in cases}


def expect_args(expressions):
    return [word for expression in expressions for word in ("--expect", expression)]


class Statuses(unittest.TestCase):
    TABLE = [
        (["--count", "24", "--expect", "BOILER.TEMPERATURE >= 60 always"], 0),
        (["--count", "24", "--expect", "MIXER.TORQUE == 3"], 6),
        (["--count", "24", "--expect", "BOILER.MODE > 5"], 6),
        (["--timeout", "0.5", "--expect", "A == 1"], 7),
        (["--timeout", "0.5", "--until", "SIM.MESSAGE_NUMBER >= 1000000"], 6),
        (["--expect", "A == 1 within"], 2),
        (["--junit", "x.xml"], 2),
    ]

    def test_each_run_ends_with_its_status(self):
        for args, status in self.TABLE:
            with self.subTest(args=args):
                device = NOWHERE if status == 7 else PLANT
                run = receiver(args + [device])
                self.assertEqual(run.returncode, status, run.stderr)

    def test_a_malformed_expression_is_quoted_with_its_column_marked(self):
        run = receiver(["--expect", "BOILER.TEMPERATURE >> 60", PLANT])
        self.assertEqual(run.stderr.decode(),
                         "tavlo_t_receiver: --expect: expects a number or a text, not '>' at "
                         "column 21:\n  BOILER.TEMPERATURE >> 60\n                      ^\n")


class Reports(unittest.TestCase):
    EXPRESSIONS = ["BOILER.TEMPERATURE >= 60 within 10s", "MIXER.TORQUE == 3",
                   "COOLING.PUMP_STATUS status GOOD always", "'<&\"x>' == 1",
                   "list 102: COOLING.PUMP_STATUS == 1"]

    def test_the_text_report_is_the_same_and_the_verdicts_go_to_standard_error(self):
        plain = receiver(["--count", "30", PLANT])
        with tempfile.TemporaryDirectory() as folder:
            junit, tap = os.path.join(folder, "r.xml"), os.path.join(folder, "r.tap")
            judged = receiver(["--count", "30", "--junit", junit, "--tap", tap] +
                              expect_args(self.EXPRESSIONS) + [PLANT])
            self.assertEqual(judged.returncode, 6)
            self.assertEqual(judged.stdout, plain.stdout)
            failures = junit_checked(self, junit, self.EXPRESSIONS)
            with open(tap) as file:
                tap_lines = file.read().splitlines()
            self.assertEqual(sorted(os.listdir(folder)), ["r.tap", "r.xml"])
        self.assertIsNone(failures[self.EXPRESSIONS[0]])
        self.assertEqual(failures["'<&\"x>' == 1"], "never seen")
        self.assertRegex(failures["COOLING.PUMP_STATUS status GOOD always"],
                         r"^failed at message \d+, status \S+ \(-\d+\) at \d\d:\d\d:\d\d\.\d{3}$")
        lines = judged.stderr.decode().splitlines()
        for expression, failure in failures.items():
            self.assertIn(expression + ": " + (failure or "passed"), "\n".join(lines))
        # The always that failed said so at once too.
        self.assertEqual(sum(line.startswith("COOLING.PUMP_STATUS") for line in lines), 2)
        self.assertEqual(tap_lines[:2], ["TAP version 13", "1..5"])
        results = [line.split(" - ")[0] for line in tap_lines if line.startswith(("ok", "not"))]
        self.assertEqual([r.startswith("ok") for r in results],
                         [failures[e] is None for e in self.EXPRESSIONS])

    def test_json_ends_with_the_verdict_line(self):
        plain = json_lines(receiver(["--format", "json", "--count", "30", PLANT]).stdout)
        run = receiver(["--format", "json", "--count", "30"] + expect_args(self.EXPRESSIONS) +
                       [PLANT])
        lines = json_lines(run.stdout)
        self.assertEqual([dict(line, received=None) for line in lines[:-1]],
                         [dict(line, received=None) for line in plain])
        verdict = lines[-1]
        self.assertEqual((verdict["kind"], verdict["passed"] + verdict["failed"]),
                         ("verdict", len(self.EXPRESSIONS)))
        self.assertEqual([e["expression"] for e in verdict["expectations"]], self.EXPRESSIONS)
        self.assertEqual(verdict["failed"], sum(not e["passed"] for e in verdict["expectations"]))


class Stops(unittest.TestCase):
    def test_until_ends_the_run_at_the_message_that_makes_it_hold(self):
        run = receiver(["--format", "json", "--until", "SIM.MESSAGE_NUMBER >= 30", PLANT])
        self.assertEqual(run.returncode, 0, run.stderr)
        messages = json_lines(run.stdout)[:-1]
        self.assertEqual(messages[-1]["tags"][0]["value"], 30)

    def test_fail_fast_ends_at_the_first_failure(self):
        run = receiver(["--format", "json", "--fail-fast", "--expect",
                        "SIM.MESSAGE_NUMBER < 40 always", PLANT])
        self.assertEqual(run.returncode, 6)
        self.assertEqual(json_lines(run.stdout)[-2]["tags"][0]["value"], 40)

    def test_a_signal_stop_writes_the_reports_whole(self):
        with tempfile.TemporaryDirectory() as folder:
            junit = os.path.join(folder, "r.xml")
            process = subprocess.Popen(
                [RECEIVER, "--junit", junit, "--expect", "SIM.MESSAGE_NUMBER changes",
                 "--expect", "MIXER.TORQUE == 3", "sim:100:1700000000"],
                stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
            time.sleep(1)
            process.send_signal(signal.SIGTERM)
            _, stderr = process.communicate(timeout=30)
            self.assertEqual(process.returncode, 6, stderr)
            failures = junit_checked(self, junit, ["SIM.MESSAGE_NUMBER changes",
                                                   "MIXER.TORQUE == 3"])
            self.assertEqual(os.listdir(folder), ["r.xml"])
        self.assertIsNone(failures["SIM.MESSAGE_NUMBER changes"])


class CiExample(unittest.TestCase):
    def test_the_job_status_is_the_receivers(self):
        script = os.path.join(SOURCE, "examples", "ci_regression.sh")
        golden = os.path.join(SOURCE, "examples", "golden")
        with tempfile.TemporaryDirectory() as folder:
            failing = os.path.join(folder, "failing.expect")
            with open(os.path.join(golden, "plant.expect")) as file, open(failing, "w") as out:
                out.write(file.read() + "MIXER.TORQUE == 3\n")
            for expectations, status in ((os.path.join(golden, "plant.expect"), 0),
                                         (failing, 6)):
                with self.subTest(expectations=expectations):
                    junit = os.path.join(folder, "report.xml")
                    run = subprocess.run(["bash", script, os.path.join(golden, "plant.script"),
                                          expectations, junit], capture_output=True,
                                         timeout=120)
                    self.assertEqual(run.returncode, status, run.stderr)
                    with open(expectations) as file:
                        lines = file.read().splitlines()
                    failures = junit_checked(self, junit, [
                        line for line in lines if line and not line.startswith("#")])
                    self.assertEqual(sum(f is not None for f in failures.values()), status // 6)


if __name__ == "__main__":
    unittest.main()
