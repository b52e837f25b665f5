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


def expected(options, json_lines_seen, text_messages_seen):
    """What the filters of `options` leave of the unfiltered runs: JSON
    objects without their receive time, and the text report."""
    kinds, lists, patterns = [], [], []
    for option, value in zip(options[::2], options[1::2]):
        if option == "--tag":
            patterns.append(value)
        else:
            words = value.split(",")
            kinds += [KINDS.get(word) or int(word) for word in words if option == "--kind"]
            lists += [int(word) for word in words if option == "--list"]

    def chosen(kind, list_id, names):
        tags_left = any(fnmatchcase(name, p) for name in names for p in patterns)
        return ((not kinds or kind in kinds) and (not lists or list_id in lists) and
                (tags_left or not patterns))

    def kept(name):
        return not patterns or any(fnmatchcase(name, pattern) for pattern in patterns)

    objects = [dict(line, received=None, tags=[tag for tag in line["tags"] if kept(tag["name"])])
               for line in json_lines_seen
               if chosen(KINDS.get(line["kind"], line["kind"]), line["list_id"],
                         [tag["name"] for tag in line["tags"]])]
    text = "".join(header + "".join(block for name, block in blocks if kept(name))
                   for header, title, list_id, blocks in text_messages_seen
                   if chosen(KINDS[title.split()[0].lower()], list_id, [n for n, b in blocks]))
    return objects, text.encode("latin-1")


def check_filters(test, options, json_seen, text_seen, device, env=None):
    """Runs the filtered receiver in both formats until it has shown what
    the unfiltered runs say it must, and compares."""
    objects, text = expected(options, json_seen, text_seen)
    for form, count in (("json", len(objects)), ("text", text.count(b"ListID"))):
        stop = ["--count", str(count)] if count else ["--timeout", "1"]
        run = receiver(["--format", form] + stop + options + [device], env=env)
        test.assertEqual(run.returncode, 0, run.stderr)
        if form == "json":
            test.assertEqual([dict(line, received=None) for line in json_lines(run.stdout)],
                             objects)
        else:
            test.assertEqual(run.stdout, text + CLOSING)


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
                check_filters(self, options, lines, messages, PLANT)


# A data type that no report knows ends the text report, filtered or not;
# JSON shows every tag.
DOUBLE_SCRIPT = """message 1 PLANT7 3 42
tag FLOW REAL REAL 1.5 -1 0 0 3600
tag ODD 99:4 REAL 61626364 -1 0 0 3600
tag LAST LONG LONG 7 -1 0 0 3600
message 11 PLANT7 3 43
tag ONE LONG LONG 9 -5 5 21 3600
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
            for options in (["--tag", "ODD"], ["--tag", "FLOW", "--tag", "LAST"],
                            ["--tag", "LAST", "--tag", "ONE"], ["--tag", "?NE"]):
                with self.subTest(options=options):
                    check_filters(self, options, lines, text_messages(whole.stdout), "PLANT7",
                                  env)


def summary(stderr):
    return dict(line.split(": ", 1) for line in stderr.decode().splitlines()
                if line[:1].isupper() and ": " in line)


class Summary(unittest.TestCase):
    def test_counts_of_a_run_with_failures_in_json(self):
        folder, env = with_double("connect fail 20/20003\nread fail 20/20009\n" + DOUBLE_SCRIPT)
        with folder:
            run = receiver(["--format", "json", "--stats", "--tag", "ONE", "--count", "1",
                            "PLANT7"], env=env)
        self.assertEqual((run.returncode, len(json_lines(run.stdout))), (0, 1))
        self.assertIn(b"Error connecting to PLANT7\n", run.stderr)
        self.assertIn(CLOSING, run.stderr)
        stats = summary(run.stderr)
        del stats["Seconds"], stats["Messages per second"], stats["Tags per second"]
        # The latencies depend on the clock; their counts do not.
        latencies = {key: stats.pop(key) for key in list(stats) if key.startswith("Latency ms")}
        self.assertEqual({key: text.split(",")[0] for key, text in latencies.items()},
                         {"Latency ms": "count 4", "Latency ms of list 42": "count 3",
                          "Latency ms of list 43": "count 1"})
        self.assertEqual(stats, {
            "Messages received": "2 (get 1, put 0, declare 0, cancel 0, unsolicited 1, other 0)",
            "Messages shown": "1 (get 0, put 0, declare 0, cancel 0, unsolicited 1, other 0)",
            "Tags shown": "1", "Bytes written": str(len(run.stdout)), "Connect errors": "1",
            # The double numbers its messages 1, 2, ... by their place.
            "Failed reads": "1", "Messages missing": "0", "Messages repeated": "0",
            "Messages out of order": "0", "Sequence restarts": "0"})

    def test_a_stop_by_signal_and_a_closed_pipe_still_give_the_summary(self):
        with subprocess.Popen([RECEIVER, "--stats", "--format", "json", "sim"],
                              stdout=subprocess.PIPE, stderr=subprocess.PIPE) as run:
            first = run.stdout.readline()
            run.send_signal(signal.SIGTERM)
            rest, stderr = run.communicate(timeout=20)
        self.assertEqual(run.returncode, 0)
        self.assertEqual(summary(stderr)["Messages shown"].split()[0],
                         str(len(json_lines(first + rest))))
        piped = subprocess.run(["/bin/sh", "-c", '"$0" --stats sim:0 | head -c 100000 >/dev/null',
                                RECEIVER], capture_output=True, timeout=60)
        self.assertGreaterEqual(int(summary(piped.stderr)["Bytes written"]), 100000)


if __name__ == "__main__":
    unittest.main()
