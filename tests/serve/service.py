"""A khapi service started for a test, on 127.0.0.1 and a free port, with
fresh per-user folders and a temporary folder of its own; and the
recordings the tests send it.

KHAPI (the tool) and TESTDATA (the packaged recordings) come from ctest.
"""
import http.client
import json
import os
import re
import signal
import struct
import subprocess
import tempfile
import time
import uuid

KHAPI = os.environ["KHAPI"]
DATA = os.environ["TESTDATA"]
GOFORWARD_RAW = os.path.join(DATA, "goforward.raw")
GOFORWARD_TEXT = "go forward ten meters"


def goforward_samples(times=1):
    with open(GOFORWARD_RAW, "rb") as f:
        raw = f.read()
    return raw * times


def wav(samples, rate=16000):
    """A 16-bit mono WAV file of raw little-endian samples."""
    return (b"RIFF" + struct.pack("<I", 36 + len(samples)) + b"WAVEfmt " +
            struct.pack("<IHHIIHH", 16, 1, 1, rate, rate * 2, 2, 16) + b"data" +
            struct.pack("<I", len(samples)) + samples)


def multipart(fields):
    """A multipart/form-data body of (name, filename or None, bytes) fields."""
    boundary = uuid.uuid4().hex
    body = b""
    for name, filename, content in fields:
        disposition = 'form-data; name="%s"' % name + ('; filename="%s"' % filename if filename else "")
        kind = b"Content-Type: audio/wav\r\n" if filename else b""
        body += b"--" + boundary.encode() + b"\r\nContent-Disposition: " + disposition.encode() + b"\r\n" + kind
        body += b"\r\n" + content + b"\r\n"
    return body + b"--" + boundary.encode() + b"--\r\n", "multipart/form-data; boundary=" + boundary


class Service:
    """khapi serve ARGS; its log is kept in a file and read for the port."""

    def __init__(self, *args, env=None):
        self.tmp = tempfile.TemporaryDirectory()
        self.scratch = os.path.join(self.tmp.name, "tmp")
        os.mkdir(self.scratch)
        self.env = dict(os.environ, XDG_DATA_HOME=os.path.join(self.tmp.name, "data"),
                        XDG_STATE_HOME=os.path.join(self.tmp.name, "state"), TMPDIR=self.scratch, **(env or {}))
        self.log_path = os.path.join(self.tmp.name, "serve.log")
        self.log = open(self.log_path, "w")
        self.process = subprocess.Popen([KHAPI, "serve", "--port", "0", *args], env=self.env, cwd=self.tmp.name,
                                        stdout=self.log, stderr=subprocess.STDOUT)
        self.port = self._wait_for_port()

    def _wait_for_port(self):
        until = time.time() + 60
        while time.time() < until:
            found = re.search(r"listening on http://127\.0\.0\.1:(\d+)/", self.output())
            if found:
                return int(found.group(1))
            if self.process.poll() is not None:
                raise RuntimeError("khapi serve ended: " + self.output())
            time.sleep(0.05)
        raise RuntimeError("khapi serve did not start: " + self.output())

    def output(self):
        with open(self.log_path) as f:
            return f.read()

    @property
    def url(self):
        return "http://127.0.0.1:%d" % self.port

    def request(self, method, path, body=None, headers=None, timeout=60):
        """(status, headers, body bytes)."""
        connection = http.client.HTTPConnection("127.0.0.1", self.port, timeout=timeout)
        try:
            connection.request(method, path, body=body, headers=headers or {})
            response = connection.getresponse()
            return response.status, dict(response.getheaders()), response.read()
        finally:
            connection.close()

    def post_json(self, path, body, content_type="audio/wav"):
        status, headers, data = self.request("POST", path, body, {"Content-Type": content_type})
        return status, json.loads(data)

    def health(self):
        return json.loads(self.request("GET", "/v1/health")[2])

    def wait_until(self, test, seconds=30):
        until = time.time() + seconds
        while time.time() < until:
            health = self.health()
            if test(health):
                return health
            time.sleep(0.05)
        raise AssertionError("the service never got there: %s" % self.health())

    def workers(self):
        """The pids of the service's worker processes."""
        found = []
        for entry in filter(str.isdigit, os.listdir("/proc")):
            try:
                with open("/proc/%s/stat" % entry) as f:
                    stat = f.read()
            except (OSError, ValueError):
                continue
            # "pid (name) state ppid ...": the name may hold spaces.
            if int(stat.rsplit(")", 1)[1].split()[1]) == self.process.pid:
                found.append(int(entry))
        return sorted(found)

    def leftovers(self):
        """Files in the service's temporary folder besides the private
        dictionaries each running worker holds for its life (the
        assessment's user dictionary and its fresh vocabulary): a
        learner's audio, or what a dead worker left."""
        left = []
        for folder, _, files in os.walk(self.scratch):
            dictionaries = sorted(f for f in files if f.endswith(".dic"))
            left += [os.path.join(folder, f) for f in files if f not in dictionaries[:2]]
        return left

    def stop(self):
        """Ends it with SIGTERM: its exit status."""
        self.process.send_signal(signal.SIGTERM)
        try:
            return self.process.wait(timeout=30)
        finally:
            self.log.close()

    def close(self):
        if self.process.poll() is None:
            self.process.kill()
            self.process.wait()
        self.tmp.cleanup()
