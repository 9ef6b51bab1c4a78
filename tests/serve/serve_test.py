"""Tests of khapi serve over HTTP: every endpoint, every bad request, a
worker killed mid-request, a full queue, an overrun and eight clients at
once.  Run by ctest with KHAPI, SCHEMA and TESTDATA in the environment.
"""
import concurrent.futures
import json
import os
import signal
import subprocess
import threading
import time
import unittest
import urllib.parse

import jsonschema

from service import GOFORWARD_RAW, GOFORWARD_TEXT, KHAPI, Service, goforward_samples, multipart, wav

SCHEMA = json.load(open(os.environ["SCHEMA"]))
GOFORWARD = wav(goforward_samples())
# Fourteen times over: about 40 s of speech, seconds to assess.
LONG = wav(goforward_samples(14))
TEXT = "?text=" + urllib.parse.quote(GOFORWARD_TEXT)
GRAMMAR = "?grammar=" + urllib.parse.quote("GO (FORWARD | BACKWARD) TEN [METERS]")


def valid(document, definition):
    schema = dict(SCHEMA, **{"$ref": "#/definitions/" + definition})
    schema.pop("anyOf")
    jsonschema.validate(document, schema)


def words(doc):
    return [w["word"] for w in doc["words"]]


class SharedService(unittest.TestCase):
    """One service for the class: two workers, on a configuration that
    guesses no pronunciation, so that a word in no dictionary is refused."""

    @classmethod
    def setUpClass(cls):
        config = os.path.join(os.path.dirname(os.path.dirname(KHAPI)), "data", "khapi.conf")
        cls.config = os.path.join(os.environ.get("TMPDIR", "/tmp"), "serve-test-%d.conf" % os.getpid())
        with open(config) as f, open(cls.config, "w") as out:
            out.write(f.read() + "\nGUESSPRONS = FALSE\n")
        cls.service = Service("--workers", "2", "--config", cls.config)

    @classmethod
    def tearDownClass(cls):
        try:
            scratch = cls.service.scratch
            status = cls.service.stop()
            assert status == 0, cls.service.output()
            # Stopped: its workers are gone, and its private folders with them.
            assert os.listdir(scratch) == [], os.listdir(scratch)
        finally:
            cls.service.close()
            os.unlink(cls.config)


class EndpointTest(SharedService):
    ENDPOINTS = [
        ("assess", "/v1/assess" + TEXT, GOFORWARD, "audio/wav", "assessment"),
        ("assess_raw", "/v1/assess" + TEXT, goforward_samples(), "audio/L16; rate=16000", "assessment"),
        ("align", "/v1/align" + TEXT, GOFORWARD, "audio/wav", "recognition"),
        ("recognise", "/v1/recognise" + GRAMMAR, GOFORWARD, "audio/wav", "recognition"),
        ("f0", "/v1/f0", GOFORWARD, "audio/wav", "f0"),
    ]

    def test_health_counts_the_workers(self):
        health = self.service.health()
        self.assertEqual(health["status"], "ok")
        self.assertEqual(health["workers"], 2)
        self.assertEqual(health["ready"], 2)

    def test_each_endpoint_answers_its_document(self):
        for name, path, body, kind, definition in self.ENDPOINTS:
            with self.subTest(name):
                status, doc = self.service.post_json(path, body, kind)
                self.assertEqual(status, 200, doc)
                valid(doc, definition)
                if definition != "f0":
                    self.assertEqual(words(doc), ["GO", "FORWARD", "TEN", "METERS"])

    def test_a_form_with_audio_and_text_is_assessed(self):
        body, kind = multipart([("text", None, GOFORWARD_TEXT.encode()), ("audio", "take 1.wav", GOFORWARD)])
        status, doc = self.service.post_json("/v1/assess", body, kind)
        self.assertEqual(status, 200, doc)
        self.assertEqual(doc["file"], "take 1.wav")
        self.assertEqual(doc["completeness"], 100)

    def test_the_assessment_is_the_tools_own(self):
        status, served = self.service.post_json("/v1/assess" + TEXT, GOFORWARD)
        self.assertEqual(status, 200, served)
        tool = subprocess.run([KHAPI, "assess", GOFORWARD_RAW, "--text", GOFORWARD_TEXT, "--json", "--config",
                               self.config], env=self.service.env, capture_output=True, text=True, timeout=120)
        self.assertEqual(tool.returncode, 0, tool.stderr)
        own = json.loads(tool.stdout)
        del own["file"], served["file"]
        self.assertEqual(served, own)

    def test_the_page_and_its_files_are_served(self):
        for path, kind, holds in [("/", "text/html", b"Record"), ("/app.js", "javascript", b"/v1/assess"),
                                  ("/recorder.js", "javascript", b"getUserMedia"), ("/style.css", "text/css", b"")]:
            with self.subTest(path):
                status, headers, body = self.service.request("GET", path)
                self.assertEqual(status, 200)
                self.assertIn(kind, headers["Content-Type"])
                self.assertIn(holds, body)
                self.assertIn("default-src 'self'", headers["Content-Security-Policy"])

    def test_eight_clients_at_once_all_get_their_report(self):
        def assess(_):
            return self.service.post_json("/v1/assess" + TEXT, GOFORWARD)

        with concurrent.futures.ThreadPoolExecutor(8) as pool:
            answers = list(pool.map(assess, range(8)))
        self.assertEqual([status for status, _ in answers], [200] * 8)
        self.assertTrue(all(doc == answers[0][1] for _, doc in answers), "the same audio, the same report")


class BadRequestTest(SharedService):
    BAD = [
        # name, method, path, body, content type, status, part of the error
        ("not_audio", "POST", "/v1/assess" + TEXT, b"this is no audio at all\n", "audio/wav", 400,
         "Error while reading the audio file"),
        ("empty", "POST", "/v1/assess" + TEXT, b"", "audio/wav", 400, "Error while reading the audio file"),
        ("header_cut", "POST", "/v1/assess" + TEXT, GOFORWARD[:40], "audio/wav", 400,
         "Error while reading the audio file"),
        ("samples_cut", "POST", "/v1/assess" + TEXT, GOFORWARD[:20000], "audio/wav", 400, "cut short"),
        ("silence", "POST", "/v1/assess" + TEXT, wav(bytes(32000)), "audio/wav", 400, "no speech found"),
        ("no_text", "POST", "/v1/assess", GOFORWARD, "audio/wav", 400, "no text"),
        ("blank_text", "POST", "/v1/align?text=%20", GOFORWARD, "audio/wav", 400, "no text"),
        ("text_of_no_word", "POST", "/v1/assess?text=...", GOFORWARD, "audio/wav", 400, "the text holds no word"),
        ("unknown_word", "POST", "/v1/assess?text=go%20zorblax", GOFORWARD, "audio/wav", 400,
         "word ZORBLAX not in the dictionary"),
        ("no_grammar", "POST", "/v1/recognise", GOFORWARD, "audio/wav", 400, "no grammar"),
        ("bad_grammar", "POST", "/v1/recognise?grammar=GO%20(FORWARD", GOFORWARD, "audio/wav", 400, "Missing ')'"),
        ("bad_nbest", "POST", "/v1/recognise" + GRAMMAR + "&nbest=lots", GOFORWARD, "audio/wav", 400, "nbest"),
        ("form_without_audio", "POST", "/v1/assess" + TEXT, *multipart([("text", None, b"go")]), 400,
         "no field \"audio\""),
        ("url_encoded_form", "POST", "/v1/assess" + TEXT, GOFORWARD, "application/x-www-form-urlencoded", 415,
         "Content-Type: audio/wav"),
        ("no_endpoint", "POST", "/v1/grade", GOFORWARD, "audio/wav", 404, "no such endpoint"),
        ("no_file", "GET", "/missing.html", None, None, 404, "no such file"),
        ("get_on_post", "GET", "/v1/assess" + TEXT, None, None, 405, "it takes POST"),
        ("post_on_health", "POST", "/v1/health", b"x", "audio/wav", 405, "it takes GET"),
        ("delete_on_page", "DELETE", "/index.html", None, None, 405, "it takes GET"),
    ]
    # Paths out of the page's folder: none may read a file there.
    ESCAPES = ["/../../../../etc/passwd", "/%2e%2e/%2e%2e/%2e%2e/etc/passwd", "/..%2f..%2f..%2fetc%2fpasswd",
               "/%2F%2E%2E%2Fetc%2Fpasswd", "//etc/passwd", "/web/../../../etc/passwd"]

    def test_each_bad_request_is_refused_with_a_message(self):
        for name, method, path, body, kind, status, error in self.BAD:
            with self.subTest(name):
                headers = {"Content-Type": kind} if kind else {}
                got, answer_headers, data = self.service.request(method, path, body, headers)
                self.assertEqual(got, status, data)
                self.assertIn("application/json", answer_headers["Content-Type"])
                self.assertIn(error, json.loads(data)["error"])
        # A refusal changes nothing: the workers all stand, nothing is left.
        self.assertEqual(self.service.health()["restarts"], 0)
        self.assertEqual(self.service.leftovers(), [])

    def test_no_path_leaves_the_pages_folder(self):
        for path in self.ESCAPES:
            with self.subTest(path):
                status, _, body = self.service.request("GET", path)
                self.assertIn(status, (400, 404))
                self.assertNotIn(b"root:", body)

    def test_nothing_of_the_audio_is_logged_but_its_length(self):
        self.service.post_json("/v1/assess" + TEXT, GOFORWARD)
        line = "POST /v1/assess 200 (%d bytes in)" % len(GOFORWARD)
        until = time.time() + 10  # the line is written once the answer is sent
        while line not in self.service.output() and time.time() < until:
            time.sleep(0.05)
        self.assertIn(line, self.service.output())
        self.assertNotIn("forward", self.service.output().lower())


class LimitTest(unittest.TestCase):
    """One worker, no queue, a second for each request, 2 MB a body, and
    one other origin's pages let in."""
    ORIGIN = "https://school.example"

    def setUp(self):
        self.service = Service("--workers", "1", "--queue", "0", "--max-seconds", "1", "--max-body", "2000000",
                               "--allow-origin", self.ORIGIN)

    def tearDown(self):
        self.assertEqual(self.service.stop(), 0)
        self.service.close()

    def test_a_body_past_the_limit_is_too_large(self):
        status, doc = self.service.post_json("/v1/assess" + TEXT, wav(goforward_samples(24)))
        self.assertEqual(status, 413)
        self.assertIn("2000000 bytes", doc["error"])

    def test_the_origin_allowed_may_call_the_service(self):
        status, headers, _ = self.service.request("OPTIONS", "/v1/assess", None, {
            "Origin": self.ORIGIN, "Access-Control-Request-Method": "POST"})
        self.assertEqual(status, 204)
        self.assertIn("POST", headers["Access-Control-Allow-Methods"])
        status, headers, _ = self.service.request("GET", "/v1/health", None, {"Origin": self.ORIGIN})
        self.assertEqual((status, headers["Access-Control-Allow-Origin"]), (200, self.ORIGIN))

    def test_an_overrun_times_out_and_a_full_queue_is_busy(self):
        answers = {}
        long_one = threading.Thread(target=lambda: answers.update(long=self.service.post_json(
            "/v1/assess" + TEXT, LONG)))
        long_one.start()
        self.service.wait_until(lambda h: h["busy"] == 1)
        status, doc = self.service.post_json("/v1/assess" + TEXT, GOFORWARD)
        self.assertEqual(status, 503, doc)
        self.assertIn("busy", doc["error"])
        long_one.join()
        status, doc = answers["long"]
        self.assertEqual(status, 504, doc)
        self.assertIn("longer than 1 s", doc["error"])
        # The overrunning worker is replaced (its successor has started the
        # library), and its audio removed.
        self.service.wait_until(lambda h: h["ready"] == 1 and h["restarts"] == 1)
        self.assertEqual(self.service.leftovers(), [])


class CrashTest(unittest.TestCase):
    def test_a_worker_killed_mid_request_fails_that_request_alone(self):
        service = Service("--workers", "2", "--max-seconds", "300")  # time enough under the sanitizers
        try:
            before = service.workers()
            self.assertEqual(len(before), 2)
            with concurrent.futures.ThreadPoolExecutor(2) as pool:
                answers = [pool.submit(service.post_json, "/v1/assess" + TEXT, LONG) for _ in range(2)]
                service.wait_until(lambda h: h["busy"] == 2)
                os.kill(before[0], signal.SIGKILL)
                statuses = sorted(a.result()[0] for a in answers)
            self.assertEqual(statuses, [200, 500])
            failed = next(a.result()[1] for a in answers if a.result()[0] == 500)
            self.assertIn("worker process ended", failed["error"])
            health = service.wait_until(lambda h: h["ready"] == 2)
            self.assertEqual(health["restarts"], 1)
            after = service.workers()
            self.assertNotIn(before[0], after)
            self.assertIn(before[1], after)
            self.assertEqual(len(after), 2)
            self.assertEqual(service.post_json("/v1/assess" + TEXT, GOFORWARD)[0], 200)
            self.assertEqual(service.leftovers(), [])
            self.assertEqual(service.stop(), 0)
        finally:
            service.close()


if __name__ == "__main__":
    unittest.main()
