"""The JSON lines go into an MQTT broker with the standard clients: a
mosquitto broker on a free port of 127.0.0.1, a subscriber ready before
`tavlo_t_receiver --format json --count N DEVICE | mosquitto_pub -l -t
TOPIC` runs, and the subscriber gets exactly the N objects. Skipped, with
the reason, when the broker or its clients are missing."""
import os
import pwd
import shutil
import socket
import subprocess
import sys
import tempfile
import time
import unittest

from receiver_runs import PLANT, RECEIVER, json_lines, receiver

COUNT = 40
TOPIC = "plant/simplant/messages"
TOOLS = {name: shutil.which(name) or shutil.which(name, path="/usr/sbin:/usr/local/sbin")
         for name in ("mosquitto", "mosquitto_pub", "mosquitto_sub")}


def wait_for_log(log, text, process):
    """Waits until the broker's log holds `text`, while `process` runs."""
    for _ in range(400):
        if os.path.exists(log):
            with open(log) as file:
                if text in file.read():
                    return
        assert process.poll() is None, "%s ended" % process.args[0]
        time.sleep(0.05)
    raise AssertionError("the broker's log never said " + text)


class MqttPath(unittest.TestCase):
    def test_the_subscriber_gets_every_json_line_once(self):
        with socket.socket() as probe:
            probe.bind(("127.0.0.1", 0))
            port = probe.getsockname()[1]
        with tempfile.TemporaryDirectory() as folder:
            config, log = os.path.join(folder, "mosquitto.conf"), os.path.join(folder, "log")
            with open(config, "w") as file:
                # The broker stays the user who may write its log (as root it
                # would become the user "mosquitto"); the log says when it
                # listens and when the subscriber is ready.
                file.write("listener %d 127.0.0.1\nallow_anonymous true\npersistence false\n"
                           "log_dest file %s\nlog_type all\nuser %s\n"
                           % (port, log, pwd.getpwuid(os.getuid()).pw_name))
            with subprocess.Popen([TOOLS["mosquitto"], "-c", config]) as broker:
                try:
                    wait_for_log(log, "listen socket on port %d" % port, broker)
                    payloads = self.publish_and_receive(port, log)
                finally:
                    broker.terminate()
        direct = json_lines(receiver(["--format", "json", "--count", str(COUNT), PLANT]).stdout)
        self.assertEqual([(line["kind"], line["sequence"], line["tags"])
                          for line in json_lines(payloads)],
                         [(line["kind"], line["sequence"], line["tags"]) for line in direct])

    def publish_and_receive(self, port, log):
        with subprocess.Popen([TOOLS["mosquitto_sub"], "-h", "127.0.0.1", "-p", str(port), "-q",
                               "1", "-t", TOPIC, "-C", str(COUNT), "-W", "60"],
                              stdout=subprocess.PIPE) as subscriber:
            try:
                wait_for_log(log, " 1 %s\n" % TOPIC, subscriber)
                pipeline = subprocess.run(
                    ["/bin/sh", "-c", '"$0" --format json --count "$1" "$2" | "$3" -h 127.0.0.1 '
                     '-p "$4" -q 1 -t "$5" -l', RECEIVER, str(COUNT), PLANT,
                     TOOLS["mosquitto_pub"], str(port), TOPIC], capture_output=True, timeout=60)
                self.assertEqual(pipeline.returncode, 0, pipeline.stderr)
                payloads = subscriber.communicate(timeout=70)[0]
            finally:
                subscriber.kill()
        self.assertEqual(subscriber.returncode, 0)
        return payloads


if __name__ == "__main__":
    missing = [name for name, path in TOOLS.items() if path is None]
    if missing:
        print("skipped: %s not found (apt-get install mosquitto mosquitto-clients)"
              % ", ".join(missing))
        sys.exit(77)
    unittest.main()
