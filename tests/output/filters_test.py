"""The filters against known messages in both formats (a filtered text
report is the unfiltered one's blocks of the chosen tags, byte for byte),
the summary of --stats, and the receiver's own lines in JSON."""
import signal
import subprocess
import unittest
from fnmatch import fnmatchcase

from receiver_runs import PLANT, RECEIVER, json_lines, receiver, text_messages, with_double

KINDS = {"get": 1, "put": 3, "declare": 4, "cancel": 5, "unsolicited": 11}
CLOSING = b"\nClosing Tavlo Connections.\n\n"


def chosen(kind, list_id, kinds, lists):
    return (not kinds or kind in kinds) and (not lists or list_id in lists)


def matches(name, patterns):
    return not patterns or any(fnmatchcase(name, pattern) for pattern in patterns)


def expected_json(lines, kinds, lists, patterns):
    expected = []
    for line in lines:
        kind = KINDS.get(line["kind"], line["kind"])
        tags = [tag for tag in line["tags"] if matches(tag["name"], patterns)]
        if chosen(kind, line["list_id"], kinds, lists) and (tags or not patterns):
            expected.append(dict(line, tags=tags))
    return expected


def expected_text(messages, kinds, lists, patterns):
    text = ""
    for header, title, list_id, blocks in messages:
        shown = [block for name, block in blocks if matches(name, patterns)]
        if chosen(KINDS[title.split()[0].lower()], list_id, kinds, lists) and (
                shown or not patterns):
            text += header + "".join(shown)
    return text.encode("latin-1")


def without_times(lines):
    return [dict(line, received=None) for line in lines]


def filtered(test, options, unfiltered_json, unfiltered_text, device, env=None):
    """Runs the filtered receiver in both formats until it has shown what
    the unfiltered runs say it must, and compares."""
    kinds, lists, patterns = [], [], []
    for option, value in zip(options[::2], options[1::2]):
        words = value.split(",")
        if option == "--kind":
            kinds += [KINDS.get(word) or int(word) for word in words]
        elif option == "--list":
            lists += [int(word) for word in words]
        else:
            patterns.append(value)
    json_expected = expected_json(unfiltered_json, kinds, lists, patterns)
    text_expected = expected_text(unfiltered_text, kinds, lists, patterns)
    for form, count in (("json", len(json_expected)), ("text", text_expected.count(b"ListID"))):
        stop = ["--count", str(count)] if count else ["--timeout", "1"]
        run = receiver(["--format", form] + stop + options + [device], env=env)
        test.assertEqual(run.returncode, 0, run.stderr)
        if form == "json":
            test.assertEqual(without_times(json_lines(run.stdout)), without_times(json_expected))
        else:
            test.assertEqual(run.stdout, text_expected + CLOSING)


class FiltersOnThePlant(unittest.TestCase):
    TABLE = [
        ["--kind", "unsolicited,get"],
        ["--kind", "12"],
        ["--kind", "declare", "--kind", "5"],
        ["--list", "102"],
        ["--list", "101,103", "--kind", "declare"],
        ["--tag", "BOILER.*"],
        ["--tag", "*TEMPERATURE", "--tag", "SIM.?ESSAGE_NUMBER", "--kind", "unsolicited"],
        ["--tag", "COOLING.[!P]*", "--list", "102"],
        ["--tag", "[A-C]*.*_[IS]*"],
        ["--tag", "NO.SUCH.TAG"],
    ]

    def test_each_option_set_shows_the_chosen_messages_and_tags(self):
        lines = json_lines(receiver(["--format", "json", "--count", "48", PLANT]).stdout)
        known = sum(isinstance(line["kind"], str) for line in lines)
        messages = text_messages(receiver(["--count", str(known), PLANT]).stdout)
        for options in self.TABLE:
            with self.subTest(options=options):
                filtered(self, options, lines, messages, PLANT)


# A data type that no report knows ends the text report, filtered or not;
# JSON shows every tag.
DOUBLE_SCRIPT = """read message 1 PLANT7 3 42 40
tag FLOW 1 1 4 1.5 -1 0 0 0 3600
tag ODD 99 1 4 abcd -1 0 0 0 3600
tag LAST 4 4 4 7 -1 0 0 0 3600
read message 11 PLANT7 3 43 40
tag ONE 4 4 4 9 -5 5 21 0 3600
"""


class FiltersAndAnUnknownDataType(unittest.TestCase):
    def test_a_filtered_report_shows_no_tag_that_the_whole_report_would_not(self):
        folder, env = with_double(DOUBLE_SCRIPT)
        with folder:
            whole = receiver(["--count", "2", "PLANT7"], env=env)
            self.assertIn(b"\nUnknown data type\n+", whole.stdout)
            lines = json_lines(receiver(["--format", "json", "--count", "2", "PLANT7"],
                                        env=env).stdout)
            self.assertEqual([(tag["place"], tag["data_type"], tag["value"])
                              for tag in lines[0]["tags"]],
                             [(1, "REAL", 1.5), (2, None, None), (3, "LONG", 7)])
            messages = text_messages(whole.stdout)
            for options in (["--tag", "ODD"], ["--tag", "FLOW", "--tag", "LAST"],
                            ["--tag", "LAST", "--tag", "ONE"], ["--tag", "?NE"]):
                with self.subTest(options=options):
                    filtered(self, options, lines, messages, "PLANT7", env)


def summary(stderr):
    fields = dict(line.split(": ", 1) for line in stderr.decode().splitlines() if ": " in line)
    return {key: value for key, value in fields.items() if key[0].isupper()}


class Summary(unittest.TestCase):
    def test_counts_of_a_run_with_failures_in_json(self):
        folder, env = with_double("connect fail 20/20003\nread fail 20/20009\n" + DOUBLE_SCRIPT)
        with folder:
            run = receiver(["--format", "json", "--stats", "--tag", "ONE", "--count", "1",
                            "PLANT7"], env=env)
        self.assertEqual(run.returncode, 0)
        self.assertEqual(len(json_lines(run.stdout)), 1)
        self.assertIn(b"Error connecting to PLANT7\n", run.stderr)
        self.assertIn(CLOSING, run.stderr)
        stats = summary(run.stderr)
        self.assertEqual(stats["Messages received"],
                         "2 (get 1, put 0, declare 0, cancel 0, unsolicited 1, other 0)")
        self.assertEqual(stats["Messages shown"],
                         "1 (get 0, put 0, declare 0, cancel 0, unsolicited 1, other 0)")
        self.assertEqual((stats["Tags shown"], stats["Bytes written"], stats["Connect errors"],
                          stats["Failed reads"]), ("1", str(len(run.stdout)), "1", "1"))

    def test_a_stop_by_signal_and_a_closed_pipe_still_give_the_summary(self):
        receiver_run = subprocess.Popen([RECEIVER, "--stats", "--format", "json", "sim"],
                                        stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        first = receiver_run.stdout.readline()
        receiver_run.send_signal(signal.SIGTERM)
        rest, stderr = receiver_run.communicate(timeout=20)
        self.assertEqual(receiver_run.returncode, 0)
        shown = len(json_lines(first + rest))
        self.assertEqual(summary(stderr)["Messages shown"].split()[0], str(shown))
        piped = subprocess.run(["/bin/sh", "-c", '"$0" --stats sim:0 | head -c 100000 >/dev/null',
                                RECEIVER], capture_output=True, timeout=60)
        self.assertGreaterEqual(int(summary(piped.stderr)["Bytes written"]), 100000)


if __name__ == "__main__":
    unittest.main()
