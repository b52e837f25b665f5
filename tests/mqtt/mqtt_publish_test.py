"""--mqtt against a real mosquitto broker: nothing lost through restarts
of the broker and a SIGKILL of the receiver, one topic a device, the
spool's bound counted exactly, TLS and refused connections with their exit
status. Skipped, with the reason, when mosquitto or its clients are
missing."""
import json
import os
import re
import signal
import subprocess
import sys
import tempfile
import time
import unittest

from broker_runs import TOOLS, Broker, Subscriber

RECEIVER = os.environ["TAVLO_RECEIVER"]
DEVSIM = os.environ["TAVLO_DEVSIM"]
TOPIC = "plant/{device}/{list}/{kind}"
PROMTOOL = "/usr/bin/promtool"


def receiver_args(broker_url, spool, *more):
    return [RECEIVER, "--mqtt", broker_url, "--mqtt-spool", spool, "--mqtt-topic", TOPIC,
            "--format", "none"] + list(more)


def sequences(lines, prefix="plant/"):
    return [json.loads(payload)["sequence"] for topic, payload in lines
            if topic.startswith(prefix)]


def first_seen(numbers):
    """The numbers without their repeats, in the order they first came."""
    seen, order = set(), []
    for number in numbers:
        if number not in seen:
            seen.add(number)
            order.append(number)
    return order


class MqttPublish(unittest.TestCase):
    def setUp(self):
        self.scratch = tempfile.TemporaryDirectory()
        self.folder = self.scratch.name
        self.spool = os.path.join(self.folder, "spool")
        self.broker = Broker(self.folder)
        self.broker.start()
        self.subscriber = Subscriber(self.broker, "plant/#")
        self.url = "mqtt://127.0.0.1:%d" % self.broker.port

    def tearDown(self):
        self.subscriber.stop()
        self.broker.stop()
        self.scratch.cleanup()

    def test_every_message_arrives_in_order_through_two_broker_restarts(self):
        count = 10000
        self.subscriber.run()
        run = subprocess.Popen(receiver_args(self.url, self.spool, "--count", str(count),
                                             "--mqtt-drain-timeout", "30", "sim:1:1700000000"),
                               stderr=subprocess.PIPE)
        for _ in range(2):
            time.sleep(2.5)
            self.broker.stop()
            time.sleep(1)
            self.broker.start()
        errors = run.communicate(timeout=60)[1].decode()
        self.assertEqual(run.returncode, 0, errors)
        self.assertIn("cannot be reached", errors)
        lines = self.subscriber.wait_for(lambda got: len(set(sequences(got))) >= count, 30)
        numbers = sequences(lines)
        self.assertEqual(first_seen(numbers), list(range(1, count + 1)))
        print("repeats after two restarts: %d" % (len(numbers) - count))

    def test_each_qos_delivers_every_message_with_the_broker_up(self):
        count = 2000
        for qos, ident in ((0, "qos0"), (1, "qos1"), (2, "qos2")):
            with self.subTest(qos=qos):
                subscriber = Subscriber(self.broker, "qos/%d/#" % qos, ident, qos=2)
                subscriber.run()
                try:
                    run = subprocess.run(receiver_args(
                        self.url, self.spool, "--mqtt-qos", str(qos), "--mqtt-topic",
                        "qos/%d/{kind}" % qos, "--count", str(count), "sim:0:1700000000"),
                        capture_output=True, timeout=60)
                    self.assertEqual(run.returncode, 0, run.stderr)
                    lines = subscriber.wait_for(lambda got: len(got) >= count, 20)
                finally:
                    subscriber.stop()
                self.assertEqual(sequences(lines, "qos/"), list(range(1, count + 1)))

    def test_a_receiver_killed_while_the_broker_is_down_delivers_on_its_next_run(self):
        self.broker.stop()
        run = subprocess.Popen(receiver_args(self.url, self.spool, "sim:1:1700000000"),
                               stderr=subprocess.PIPE)
        time.sleep(1.5)
        run.send_signal(signal.SIGKILL)
        run.communicate(timeout=10)
        self.broker.start()
        self.subscriber.run()
        again = subprocess.run(receiver_args(self.url, self.spool, "--mqtt-topic", "second/{kind}",
                                             "--count", "1", "sim:0:1700000000"),
                               capture_output=True, timeout=60)
        errors = again.stderr.decode()
        self.assertEqual(again.returncode, 0, errors)
        left = int(re.search(r"(\d+) MQTT messages of an earlier run wait", errors).group(1))
        self.assertGreater(left, 500)
        lines = self.subscriber.wait_for(lambda got: len(set(sequences(got))) >= left, 20)
        self.assertEqual(first_seen(sequences(lines)), list(range(1, left + 1)))

    def test_three_devices_publish_each_on_its_own_topic(self):
        count = 300
        self.subscriber.run()
        sims = [subprocess.Popen([DEVSIM, "--port", "0", "--interval", "1", "--first-message",
                                  str(1000 * n)], stdout=subprocess.PIPE,
                                 stderr=subprocess.DEVNULL) for n in range(3)]
        try:
            devices = [sim.stdout.readline().decode().split()[-1] for sim in sims]
            runs = [subprocess.Popen(
                receiver_args(self.url, os.path.join(self.folder, "spool%d" % n), "--mqtt-topic",
                              "plant/{client}/{kind}", "--count", str(count), device),
                stderr=subprocess.PIPE) for n, device in enumerate(devices)]
            for run in runs:
                self.assertEqual(run.wait(60), 0, run.stderr.read())
                run.stderr.close()
        finally:
            for sim in sims:
                sim.terminate()
                sim.wait(10)
                sim.stdout.close()
        lines = self.subscriber.wait_for(lambda got: len(got) >= 3 * count, 20)
        by_topic = {}
        for topic, payload in lines:
            by_topic.setdefault(topic.split("/")[1], set()).add(json.loads(payload)["sequence"])
        # The default client id: the host's name and the device's, in the
        # characters a client id may hold.
        expected = {"tavlo_t_receiver-%s-%s" % (os.uname().nodename, device.replace(":", "_")):
                    set(range(1000 * n + 1, 1000 * n + count + 1))
                    for n, device in enumerate(devices)}
        self.assertEqual(by_topic, expected)

    def test_the_payloads_are_the_json_lines_with_a_gap_counted(self):
        self.subscriber.run()
        sim = subprocess.Popen([DEVSIM, "--port", "0", "--interval", "0", "--count", "20",
                                "--skip-at", "5", "--skip", "3"], stdout=subprocess.PIPE,
                               stderr=subprocess.DEVNULL)
        try:
            device = sim.stdout.readline().decode().split()[-1]
            run = subprocess.run(receiver_args(self.url, self.spool, "--format", "json",
                                               "--count", "17", device),
                                 capture_output=True, timeout=60)
        finally:
            sim.terminate()
            sim.wait(10)
            sim.stdout.close()
        self.assertEqual(run.returncode, 0, run.stderr)
        shown = run.stdout.decode().splitlines()
        lines = self.subscriber.wait_for(lambda got: len(got) >= len(shown), 20)
        self.assertEqual([payload for _, payload in lines], shown)
        gaps = [json.loads(line).get("missing_before") for line in shown]
        self.assertEqual([(k, n) for k, n in enumerate(gaps) if n is not None], [(5, 3)])

    def test_the_bound_drops_the_oldest_and_the_counts_say_so_everywhere(self):
        reports = {name: os.path.join(self.folder, name) for name in ("prom", "junit", "tap")}
        self.broker.stop()
        run = subprocess.Popen(receiver_args(self.url, self.spool, "--count", "3000",
                                             "--mqtt-queue-max", "1000", "--stats",
                                             "--mqtt-drain-timeout", "30", "--format", "json",
                                             "--metrics", reports["prom"], "--expect", "no gaps",
                                             "--junit", reports["junit"], "--tap", reports["tap"],
                                             "sim:0:1700000000"),
                               stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        time.sleep(2)
        self.broker.start()
        self.subscriber.run()
        output, errors = (text.decode() for text in run.communicate(timeout=60))
        self.assertEqual(run.returncode, 0, errors)
        said = [int(n) for n in re.findall(r"dropped \d+ of the oldest, (\d+) in all", errors)]
        self.assertEqual(said[-1], 2000, errors)
        lines = self.subscriber.wait_for(lambda got: len(set(sequences(got))) >= 1000, 20)
        self.assertEqual(first_seen(sequences(lines)), list(range(2001, 3001)))
        # Every report reads the same counts: 3000 published, the 1000 kept
        # confirmed, 2000 dropped, none left.
        self.assertIn("MQTT messages queued: 3000\nMQTT messages confirmed: 1000\n"
                      "MQTT messages dropped: 2000\nMQTT messages left in the spool: 0\n", errors)
        verdict = json.loads(output.splitlines()[-1])
        self.assertEqual(verdict["mqtt"],
                         dict(published=3000, confirmed=1000, dropped=2000, undelivered=0))
        with open(reports["prom"]) as file:
            metrics = file.read()
        for name, value in (("published_total", 3000), ("confirmed_total", 1000),
                            ("dropped_total", 2000), ("queued", 0), ("undelivered", 0)):
            self.assertIn("\ntavlo_receiver_mqtt_messages_%s %d\n" % (name, value), metrics)
        self.assertIn("\ntavlo_receiver_mqtt_connected 0\n", metrics)
        if os.access(PROMTOOL, os.X_OK):
            check = subprocess.run([PROMTOOL, "check", "metrics"], input=metrics.encode(),
                                   capture_output=True, timeout=60)
            self.assertEqual(check.returncode, 0, check.stdout + check.stderr)
        for report, line in (("junit", '<property name="mqtt_messages_dropped" value="2000"/>'),
                             ("tap", "\n# MQTT messages: 3000 published, 1000 confirmed, "
                                     "2000 dropped, 0 undelivered\n")):
            with open(reports[report]) as file:
                self.assertIn(line, file.read())

    def test_a_broker_down_at_the_end_leaves_the_messages_in_the_spool(self):
        self.broker.stop()
        metrics = os.path.join(self.folder, "prom")
        run = subprocess.run(receiver_args(self.url, self.spool, "--count", "20",
                                           "--mqtt-drain-timeout", "0.5", "--metrics", metrics,
                                           "sim:0:1700000000"),
                             capture_output=True, timeout=60)
        self.assertEqual(run.returncode, 9, run.stderr)
        self.assertIn(b"20 MQTT messages were not delivered; they stay in the spool", run.stderr)
        with open(metrics) as file:
            text = file.read()
        for name in ("queued", "undelivered"):
            self.assertIn("\ntavlo_receiver_mqtt_messages_%s 20\n" % name, text)


def make_certificates(folder):
    """A CA, a broker certificate for localhost signed by it, and a second
    CA that signed nothing."""
    def openssl(*args):
        subprocess.run([TOOLS["openssl"]] + list(args), check=True, capture_output=True,
                       cwd=folder, timeout=60)
    key = ["-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1", "-nodes"]
    for ca in ("ca", "other_ca"):
        openssl("req", "-x509", *key, "-keyout", ca + ".key", "-out", ca + ".crt", "-days", "2",
                "-subj", "/CN=tavlo test " + ca)
    openssl("req", *key, "-keyout", "broker.key", "-out", "broker.csr", "-subj", "/CN=localhost")
    with open(os.path.join(folder, "san"), "w") as file:
        file.write("subjectAltName=DNS:localhost\n")
    openssl("x509", "-req", "-in", "broker.csr", "-CA", "ca.crt", "-CAkey", "ca.key",
            "-CAcreateserial", "-out", "broker.crt", "-days", "2", "-extfile", "san")


class MqttRefusals(unittest.TestCase):
    def test_tls_and_credentials(self):
        with tempfile.TemporaryDirectory() as folder:
            make_certificates(folder)
            password_file = os.path.join(folder, "password")
            with open(password_file, "w") as file:
                file.write("secret\n")
            users = os.path.join(folder, "users")
            subprocess.run([TOOLS["mosquitto_passwd"], "-b", "-c", users, "tavlo", "secret"],
                           check=True, capture_output=True)
            broker = Broker(folder, "allow_anonymous false\npassword_file %s\ncafile %s/ca.crt\n"
                            "certfile %s/broker.crt\nkeyfile %s/broker.key\n"
                            % (users, folder, folder, folder))
            broker.start()
            try:
                url = "mqtts://localhost:%d" % broker.port
                rows = [  # CA, password file, exit status, a line of standard error
                    ("ca.crt", password_file, 0, ""),
                    ("other_ca.crt", password_file, 10, "refused the connection: the TLS"),
                    ("ca.crt", None, 10, "refused the connection: Connection Refused: not auth"),
                ]
                for ca, password, status, line in rows:
                    with self.subTest(ca=ca, password=password):
                        args = receiver_args(url, os.path.join(folder, "spool"), "--mqtt-cafile",
                                             os.path.join(folder, ca), "--mqtt-user", "tavlo",
                                             "--count", "3", "sim:0:1700000000")
                        if password:
                            args[1:1] = ["--mqtt-password-file", password]
                        run = subprocess.run(args, capture_output=True, timeout=60)
                        self.assertEqual(run.returncode, status, run.stderr)
                        errors = run.stderr.decode()
                        self.assertIn(line, errors)
                        # A refusal is one line, not a retry.
                        self.assertEqual(errors.count("tavlo_t_receiver: "), status // 10, errors)
            finally:
                broker.stop()


if __name__ == "__main__":
    missing = [name for name, path in TOOLS.items() if path is None]
    if missing:
        print("skipped: %s not found (apt-get install mosquitto mosquitto-clients openssl)"
              % ", ".join(missing))
        sys.exit(77)
    unittest.main()
