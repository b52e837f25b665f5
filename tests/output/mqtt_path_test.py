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


def free_port():
    with socket.socket() as probe:
        probe.bind(("127.0.0.1", 0))
        return probe.getsockname()[1]


def wait_for_listener(port, broker):
    for _ in range(200):
        if broker.poll() is not None:
            raise AssertionError("the broker ended with status %d" % broker.returncode)
        try:
            socket.create_connection(("127.0.0.1", port), timeout=1).close()
            return
        except OSError:
            time.sleep(0.05)
    raise AssertionError("the broker does not listen on port %d" % port)


class MqttPath(unittest.TestCase):
    def test_the_subscriber_gets_every_json_line_once(self):
        port = free_port()
        with tempfile.TemporaryDirectory() as folder:
            config = os.path.join(folder, "mosquitto.conf")
            log = os.path.join(folder, "broker.log")
            with open(config, "w") as file:
                # The log of subscriptions says when the subscriber is ready;
                # the broker stays the user who may write it (as root it
                # would become the user "mosquitto").
                file.write("listener %d 127.0.0.1\nallow_anonymous true\npersistence false\n"
                           "log_dest file %s\nlog_type subscribe\nuser %s\n"
                           % (port, log, pwd.getpwuid(os.getuid()).pw_name))
            broker = subprocess.Popen([TOOLS["mosquitto"], "-c", config],
                                      stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            try:
                wait_for_listener(port, broker)
                payloads = self.publish_and_receive(port, log)
            finally:
                broker.terminate()
                broker.wait(10)
        direct = json_lines(receiver(["--format", "json", "--count", str(COUNT), PLANT]).stdout)
        received = json_lines(payloads)
        self.assertEqual([(line["kind"], line["sequence"], line["tags"]) for line in received],
                         [(line["kind"], line["sequence"], line["tags"]) for line in direct])

    def publish_and_receive(self, port, log):
        subscriber = subprocess.Popen(
            [TOOLS["mosquitto_sub"], "-h", "127.0.0.1", "-p", str(port), "-q", "1", "-t", TOPIC,
             "-C", str(COUNT), "-W", "60"], stdout=subprocess.PIPE)
        with subscriber:
            try:
                self.wait_for_subscription(log, subscriber)
                pipeline = subprocess.run(
                    ["/bin/sh", "-c", '"$0" --format json --count "$1" "$2" | "$3" -h 127.0.0.1 '
                     '-p "$4" -q 1 -t "$5" -l', RECEIVER, str(COUNT), PLANT,
                     TOOLS["mosquitto_pub"], str(port), TOPIC], capture_output=True, timeout=60)
                self.assertEqual(pipeline.returncode, 0, pipeline.stderr)
                payloads, _ = subscriber.communicate(timeout=70)
            finally:
                subscriber.kill()
        self.assertEqual(subscriber.returncode, 0)
        return payloads

    def wait_for_subscription(self, log, subscriber):
        for _ in range(400):
            if os.path.exists(log):
                with open(log) as file:
                    if " 1 %s\n" % TOPIC in file.read():
                        return
            self.assertIsNone(subscriber.poll(), "the subscriber ended")
            time.sleep(0.05)
        self.fail("the subscriber did not subscribe")

if __name__ == "__main__":
    missing = [name for name, path in TOOLS.items() if path is None]
    if missing:
        print("skipped: %s not found (apt-get install mosquitto mosquitto-clients)"
              % ", ".join(missing))
        sys.exit(77)
    unittest.main()
