"""Runs of the receiver, the device simulator and the client library's
double for the output tests; the programs' paths come from the environment
that CTest sets."""
import json
import os
import re
import subprocess
import tempfile

RECEIVER = os.environ["TAVLO_RECEIVER"]
DEVSIM = os.environ["TAVLO_DEVSIM"]
PLANT = "sim:0:1700000000"  # the plant clock at 2023-11-14 22:13:20 UTC


def receiver(args, env=None, stdin=subprocess.DEVNULL, timeout=60):
    """Runs the receiver to its end; output as bytes."""
    return subprocess.run([RECEIVER] + args, stdin=stdin, capture_output=True,
                          timeout=timeout, env=dict(os.environ, TZ="UTC0", **(env or {})))


def _refuse_constant(name):
    raise ValueError("not JSON: " + name)


def json_lines(out):
    """Every line parsed strictly: UTF-8, JSON, no NaN or Infinity."""
    text = out.decode("utf-8")
    assert text == "" or text.endswith("\n"), text[-200:]
    return [json.loads(line, parse_constant=_refuse_constant) for line in text.splitlines()]


class Devsim:
    """tavlo_devsim on a free port, stopped by its pid."""

    def __init__(self, args):
        self.process = subprocess.Popen([DEVSIM, "--port", "0"] + args, stdout=subprocess.PIPE,
                                        stderr=subprocess.DEVNULL, stdin=subprocess.DEVNULL)
        first = self.process.stdout.readline().decode()
        assert first.startswith("tavlo_devsim listening on "), first
        self.address = first.split()[-1]

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.process.terminate()
        self.process.wait(10)
        self.process.stdout.close()


def with_double(script):
    """The environment that puts the scripted double in the client
    library's place, and the folder that holds its files."""
    folder = tempfile.TemporaryDirectory()
    path = os.path.join(folder.name, "script")
    with open(path, "w") as file:
        file.write(script)
    return folder, {"LD_LIBRARY_PATH": os.environ["TAVLO_DOUBLE_DIR"], "TAVLO_DOUBLE_SCRIPT": path,
                    "TAVLO_DOUBLE_LOG": os.path.join(folder.name, "log")}


HEADER = re.compile(r"\n\++\n\n([A-Za-z ]+) received for:\nDevice: (.*) Unit:   (-?\d+) "
                    r"ListID: (-?\d+)\n")


def text_messages(out):
    """The text report split into messages: (header, title, list id,
    blocks), each block a (name without padding, text) pair."""
    text = out.decode("latin-1").removesuffix("\nClosing Tavlo Connections.\n\n")
    starts = list(HEADER.finditer(text))
    messages = []
    for n, match in enumerate(starts):
        end = starts[n + 1].start() if n + 1 < len(starts) else len(text)
        body = text[match.end():end]
        blocks = ["\nTagname " + part for part in body.split("\nTagname ")[1:]]
        names = [block.split("\n")[1].split(": ", 1)[1].rstrip(" ") for block in blocks]
        messages.append((match.group(0), match.group(1), int(match.group(4)),
                         list(zip(names, blocks))))
    return messages
