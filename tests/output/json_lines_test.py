"""Every JSON line of the receiver parses with a strict JSON parser and
holds what the device sent: the simulated plant against the text report of
the same messages, and a script of every data type, odd names and hostile
bytes against the script itself."""
import os
import re
import shlex
import shutil
import struct
import subprocess
import tempfile
import time
import unittest

from receiver_runs import PLANT, Devsim, json_lines, receiver, text_messages

DOCUMENT = os.path.join(os.path.dirname(__file__), "..", "..", "docs", "json-output.md")


def utc(seconds, milliseconds):
    return time.strftime("%Y-%m-%dT%H:%M:%S", time.gmtime(seconds)) + ".%03dZ" % milliseconds


def asctime_line(record, test):
    """The report's text of a time record, checking its ISO form."""
    if record["iso"] is None:
        return None
    test.assertEqual(record["iso"], utc(record["seconds"], record["milliseconds"]))
    return time.asctime(time.gmtime(record["seconds"])) + "\n"


def text_block(tag, count, test):
    """The text report's block of a JSON tag, padding left out."""
    text = "\nTagname " + ("[%d]" % tag["place"] if count > 1 else "") + ": " + tag["name"]
    if "data_type" in tag:
        device = tag["device_data_type"]
        text += "\nType: " + (tag["data_type"] or "UNKNOWN TYPE")
        text += "  Device Data Type: " + device if device else "  UNKNOWN DEVICE DATA TYPE"
    if "value" in tag:
        value, data_type = tag["value"], tag["data_type"]
        if data_type == "TIME":
            text += "\nTime Value: Milliseconds= %d  Seconds= %d" % (value["milliseconds"],
                                                                   value["seconds"])
            line = asctime_line(value, test)
            text += "\n" + line if line else ""
        elif data_type == "REAL":
            text += "\nValue= %f" % struct.unpack("f", struct.pack("f", value))[0]
        else:
            text += "\nValue= " + ("%f" % value if data_type == "DOUBLE" else str(value))
    if "timestamp" in tag:
        line = asctime_line(tag["timestamp"], test)
        text += "\nTimestamp: " + line if line else "\nInvalid timestamp"
    if tag["status_text"] is None:
        text += "\nUnknown status (%d)" % tag["status"]
    else:
        text += "\nStatus is %s (%d)" % (tag["status_text"], tag["status"])
    return text + "\nFacility=%d\nDriver Status=%d\n" % (tag["facility"], tag["driver_status"])


def unpadded(block):
    """A block without the blanks that end its lines, and without the quotes
    around status texts."""
    block = re.sub(r" +\n", "\n", block)
    return re.sub(r"\nStatus is '?(.*?)'? \((-?\d+)\)", r"\nStatus is \1 (\2)", block)


class PlantInJson(unittest.TestCase):
    def test_every_line_holds_what_the_text_report_shows(self):
        run = receiver(["--format", "json", "--count", "60", PLANT])
        self.assertEqual(run.returncode, 0, run.stderr)
        lines = json_lines(run.stdout)
        self.assertEqual(len(lines), 60)
        self.assertIn(12, [line["kind"] for line in lines])  # a kind the text report skips
        known = [line for line in lines if isinstance(line["kind"], str)]
        text = receiver(["--count", str(len(known)), PLANT])
        reports = text_messages(text.stdout)
        self.assertEqual(len(reports), len(known))
        for line, (header, title, list_id, blocks) in zip(known, reports):
            self.assertEqual(line["version"], 1)
            self.assertRegex(line["received"], r"^\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{3}Z$")
            self.assertEqual(title.split()[0].lower(), line["kind"])
            self.assertIn("Device: %s Unit:   %d ListID: %d\n" % (
                line["device"], line["unit"], line["list_id"]), header)
            self.assertEqual([text_block(tag, len(blocks), self) for tag in line["tags"]],
                             [unpadded(block) for name, block in blocks])


# A script of every kind and data type, odd names and hostile bytes:
# (kind, JSON kind, device, unit, list id, tags), each tag (name, data type,
# device data type, value, value in JSON, status, its text, timestamp, the
# timestamp's seconds and milliseconds).
STAMP = ("3600.250", 3600, 250)
TAGS = [
    (b"TANK LEVEL", "REAL", "EU", b"12.5", 12.5, -1, "GOOD") + STAMP,
    (b"TENTH", "REAL", "REAL", b"0.1", 0.1, -8, "No permission to read or write") + STAMP,
    (b"BIG", "REAL", "REAL", b"-inf", "-inf", -7, None) + STAMP,
    (b'say"hi"\\back', "SHORT", "ENUM", b"-32768", -32768, 5, None, "-1", -1, 0),
    ("Température ÄÖ 温度".encode(), "LONG", "ORDINAL", b"2147483647", 2147483647, -32768,
     "No Field") + STAMP,
    (b"bad\xff\xfeutf8", "DOUBLE", "99", b"1e-300", 1e-300, -15, "Undefined Value") + STAMP,
    (b"ctl\x01\x1b[31mred", "DOUBLE", "DESC", b"nan", "nan", -1, "GOOD", "0", 0, 0),
    (b"STAMP", "TIME", "DTIME", b"86400.500", (86400, 500), -1, "GOOD", "2147483647.999",
     2147483647, 999),
    (b"NOTE", "ASCII:12", "DESC", b'"\x1b[2J\x07 \\"', "\x1b[2J\x07 \\", -1, "GOOD") + STAMP,
    (b"RAW", "ASCII", "ASCII", b"\xc3\x28\x7f", b"\xc3\x28\x7f", -1, "GOOD") + STAMP,
]
LONG_NAME = (b"PLANT.AREA2.COOLING_TOWER.FAN_SPEED_SETPOINT", "REAL", "EU", b"3", 3, -1,
             "GOOD") + STAMP
MESSAGES = [
    (b"GET", "get", b"PLANT9", 2, 7, TAGS),
    (b"PUT", "put", b"P\xe9", -1, -2147483648, TAGS[:3]),
    (b"DECLARE", "declare", b"PLANT9", 2, 7, TAGS),
    (b"CANCEL", "cancel", b"PLANT9", 2, 7, TAGS),
    (b"UNSOLICITED", "unsolicited", b"PLANT9", 2, 8, [LONG_NAME] + TAGS),
    (b"99", 99, b"PLANT9", 2, 9, TAGS[:1]),
]
TYPES = {"REAL": 1, "SHORT": 2, "ASCII": 3, "LONG": 4, "DOUBLE": 5, "TIME": 6}
DEVICE_TYPES = {"REAL": ("REAL", 1), "ASCII": ("ASCII", 3), "ENUM": ("ENUMERATION", 8),
                "ORDINAL": ("ORDINAL", 9), "DTIME": ("DELTA TIME", 10),
                "EU": ("ENGINEERING UNIT", 14), "DESC": ("DESCRIPTION", 15), "99": (None, 99)}


def script_text():
    lines = []
    for kind, _, device, unit, list_id, tags in MESSAGES:
        lines.append(b"message %s %s %d %d" % (kind, device, unit, list_id))
        for name, data_type, device_type, value, _, status, _, stamp, _, _ in tags:
            lines.append(b"tag %s %s %s %s %d 4 5 %s" % (
                b'"%s"' % name if b" " in name else name, data_type.encode(),
                device_type.encode(), value, status, stamp.encode()))
    return b"\n".join(lines) + b"\n"


def text_member(key, value):
    """A string: the characters of UTF-8, else each byte as the character of
    its number (the script holds no UTF-8 character beside such bytes) and
    the bytes in hex."""
    if isinstance(value, str):
        return {key: value}
    try:
        return {key: value.decode("utf-8")}
    except UnicodeDecodeError:
        return {key: value.decode("latin-1"), key + "_hex": value.hex()}


def time_record(seconds, milliseconds):
    return {"iso": utc(seconds, milliseconds) if seconds >= 0 else None, "seconds": seconds,
            "milliseconds": milliseconds}


def expected_tag(place, tag, kind):
    name, data_type, device_type, _, value, status, status_text, _, seconds, milliseconds = tag
    data_type = data_type.split(":")[0]
    expected = dict(place=place, status=status, status_text=status_text, facility=4,
                    driver_status=5, **text_member("name", name))
    if kind != "cancel":
        expected.update(data_type=data_type, data_type_code=TYPES[data_type],
                        device_data_type=DEVICE_TYPES[device_type][0],
                        device_data_type_code=DEVICE_TYPES[device_type][1])
    if kind not in ("declare", "cancel"):
        expected["timestamp"] = time_record(seconds, milliseconds)
        if data_type == "ASCII":
            expected.update(text_member("value", value))
        else:
            expected["value"] = time_record(*value) if data_type == "TIME" else value
    return expected


class ScriptInJson(unittest.TestCase):
    def test_every_line_holds_what_the_script_says(self):
        with tempfile.TemporaryDirectory() as folder:
            path = os.path.join(folder, "odd.script")
            with open(path, "wb") as file:
                file.write(script_text())
            with Devsim(["--script", path, "--interval", "0"]) as devsim:
                run = receiver(["--format", "json", "--count", str(len(MESSAGES)),
                                devsim.address])
        self.assertEqual(run.returncode, 0, run.stderr)
        self.assertIn(rb'"name":"say\"hi\"\\back"', run.stdout)
        self.assertIn(rb'"value":0.1,', run.stdout)  # the float's shortest text
        lines = json_lines(run.stdout)
        self.assertEqual(len(lines), len(MESSAGES))
        # The script numbers its messages in one count, so PLANT9 finds a
        # number missing where another device's message took it.
        missing = {2: dict(missing_before=1)}
        for k, (line, (_, kind, device, unit, list_id, tags)) in enumerate(zip(lines, MESSAGES)):
            self.assertEqual({key: value for key, value in line.items() if key != "received"},
                             dict(version=1, kind=kind, unit=unit, list_id=list_id,
                                  sequence=line["sequence"], **missing.get(k, {}),
                                  **text_member("device", device),
                                  tags=[expected_tag(place, tag, kind)
                                        for place, tag in enumerate(tags, 1)]))


class DocumentExamples(unittest.TestCase):
    @unittest.skipIf(shutil.which("jq") is None, "jq is not installed")
    def test_the_values_of_one_tag_are_a_time_and_a_value_a_line(self):
        with open(DOCUMENT) as document:
            example = re.search(r"# the values of one tag.*\n(?:#.*\n)*"
                                r"tavlo_t_receiver (.*) \S+ \|\n +(jq .*)\n", document.read())
        # Four messages of the plant in the place of the device named.
        run = receiver(["--count", "4"] + shlex.split(example.group(1)) + [PLANT])
        shown = subprocess.run(shlex.split(example.group(2)), input=run.stdout,
                               capture_output=True, timeout=60)
        lines = shown.stdout.decode().splitlines()
        self.assertEqual(len(lines), 3, lines)
        for line in lines:
            self.assertRegex(line, r"^\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{3}Z -?\d", lines)


if __name__ == "__main__":
    unittest.main()
