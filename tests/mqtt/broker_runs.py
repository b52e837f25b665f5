"""A real mosquitto broker on a free port of 127.0.0.1, with its state in a
scratch folder, and a subscriber whose session the broker keeps; for the
tests of --mqtt."""
import os
import pwd
import shutil
import signal
import socket
import subprocess
import threading
import time

TOOLS = {name: shutil.which(name) or shutil.which(name, path="/usr/sbin:/usr/local/sbin")
         for name in ("mosquitto", "mosquitto_sub", "mosquitto_passwd", "openssl")}


def free_port():
    with socket.socket() as probe:
        probe.bind(("127.0.0.1", 0))
        return probe.getsockname()[1]


class Broker:
    """Started and stopped (SIGTERM, which saves its state) at will on one
    port. It runs as the user of the test, who owns the folder; as root it
    would become the user "mosquitto", who may not write there."""

    def __init__(self, folder, extra=""):
        self.folder, self.port, self.process = folder, free_port(), None
        self.log = os.path.join(folder, "broker.log")
        self.config = os.path.join(folder, "mosquitto.conf")
        with open(self.config, "w") as file:
            file.write("listener %d 127.0.0.1\npersistence true\npersistence_location %s/\n"
                       "max_queued_messages 200000\n"
                       "log_dest file %s\nuser %s\n%s"
                       % (self.port, folder, self.log, pwd.getpwuid(os.getuid()).pw_name,
                          extra or "allow_anonymous true\n"))

    def start(self):
        before = self._listens()
        self.process = subprocess.Popen([TOOLS["mosquitto"], "-c", self.config],
                                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        for _ in range(400):
            if self._listens() > before:
                return
            assert self.process.poll() is None, "mosquitto ended: " + self._text()
            time.sleep(0.025)
        raise AssertionError("mosquitto never listened: " + self._text())

    def stop(self):
        if self.process is not None and self.process.poll() is None:
            self.process.send_signal(signal.SIGTERM)
            self.process.wait(20)

    def _text(self):
        if not os.path.exists(self.log):
            return ""
        with open(self.log, errors="replace") as file:
            return file.read()

    def _listens(self):
        return self._text().count("listen socket on port %d" % self.port)


class Subscriber:
    """mosquitto_sub at QoS 1 (or `qos`) with a session the broker keeps (-c): its
    subscription is made first (-E), so that nothing published after the
    constructor is lost; then it runs, and reconnects after a restart of
    the broker. Its lines are TOPIC PAYLOAD."""

    def __init__(self, broker, topic, ident="tavlo-test-subscriber", qos=1):
        args = [TOOLS["mosquitto_sub"], "-h", "127.0.0.1", "-p", str(broker.port), "-q", str(qos),
                "-c", "-i", ident, "-t", topic, "-v"]
        subprocess.run(args + ["-E"], check=True, timeout=20)
        self.args, self.lines, self.process = args, [], None
        self.lock = threading.Lock()

    def run(self):
        self.process = subprocess.Popen(self.args, stdout=subprocess.PIPE)
        self.reader = threading.Thread(target=self._read, daemon=True)
        self.reader.start()

    def _read(self):
        for line in self.process.stdout:
            with self.lock:
                self.lines.append(line.decode().rstrip("\n").split(" ", 1))

    def wait_for(self, done, seconds):
        """The lines once done(lines) holds or `seconds` passed."""
        deadline = time.monotonic() + seconds
        while True:
            with self.lock:
                lines = list(self.lines)
            if done(lines) or time.monotonic() > deadline:
                return lines
            time.sleep(0.1)

    def stop(self):
        if self.process is not None:
            self.process.kill()
            self.process.wait(10)
            self.process.stdout.close()
