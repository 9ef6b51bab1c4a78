"""The page of khapi serve in Debian's Chromium, headless, driven over the
DevTools protocol: the fake microphone plays goforward, the test types the
sentence, presses Record and Stop, and reads what the page shows.

Exits 77 (skipped) only when Chromium cannot start.  Run by ctest with
KHAPI and TESTDATA in the environment.
"""
import json
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time
import unittest
import urllib.request

try:
    import websocket
except ImportError:
    # Debian's python3-websocket, for an interpreter of one's own that does
    # not look in Debian's folder (it is pure Python).
    sys.path.append("/usr/lib/python3/dist-packages")
    import websocket

from service import GOFORWARD_TEXT, Service, goforward_samples, wav

SKIPPED = 77


class Chromium:
    """A headless Chromium whose microphone plays `audio`."""

    def __init__(self, binary, audio, folder):
        self.log_path = os.path.join(folder, "chromium.log")
        self.log = open(self.log_path, "w")
        self.process = subprocess.Popen([
            binary, "--headless=new", "--no-sandbox", "--disable-gpu", "--no-first-run",
            "--no-default-browser-check", "--user-data-dir=" + os.path.join(folder, "profile"),
            "--remote-debugging-port=0", "--use-fake-ui-for-media-stream", "--use-fake-device-for-media-stream",
            "--use-file-for-fake-audio-capture=%s%%noloop" % audio, "--autoplay-policy=no-user-gesture-required",
            "about:blank"], stdout=subprocess.DEVNULL, stderr=self.log)
        self.endpoint = self._wait_for_devtools()

    def _wait_for_devtools(self):
        until = time.time() + 30
        while time.time() < until and self.process.poll() is None:
            with open(self.log_path) as f:
                found = re.search(r"DevTools listening on ws://([\d.]+:\d+)/", f.read())
            if found:
                return found.group(1)
            time.sleep(0.1)
        return None

    def output(self):
        with open(self.log_path) as f:
            return f.read()

    def page(self):
        with urllib.request.urlopen("http://%s/json/list" % self.endpoint, timeout=10) as r:
            targets = json.load(r)
        return Page(next(t["webSocketDebuggerUrl"] for t in targets if t["type"] == "page"))

    def close(self):
        self.process.kill()
        self.process.wait()
        self.log.close()


class Page:
    """One tab, over its DevTools socket."""

    def __init__(self, url):
        self.socket = websocket.create_connection(url, timeout=60, suppress_origin=True)
        self.next_id = 0

    def call(self, method, **params):
        self.next_id += 1
        self.socket.send(json.dumps({"id": self.next_id, "method": method, "params": params}))
        while True:
            message = json.loads(self.socket.recv())
            if message.get("id") == self.next_id:
                if "error" in message:
                    raise RuntimeError("%s: %s" % (method, message["error"]))
                return message["result"]

    def evaluate(self, expression):
        result = self.call("Runtime.evaluate", expression=expression, returnByValue=True, awaitPromise=True)
        if "exceptionDetails" in result:
            raise RuntimeError(result["exceptionDetails"])
        return result["result"].get("value")

    def wait_for(self, expression, seconds=60):
        until = time.time() + seconds
        while time.time() < until:
            value = self.evaluate(expression)
            if value:
                return value
            time.sleep(0.1)
        raise AssertionError("never true: %s (status: %s)" % (expression, self.evaluate("$('status').textContent")))

    def open(self, url):
        self.call("Page.navigate", url=url)
        self.wait_for("document.readyState === 'complete' && typeof recorder === 'object'")

    def type_text(self, selector, text):
        self.evaluate("document.querySelector('%s').value = ''; document.querySelector('%s').focus()" %
                      (selector, selector))
        self.call("Input.insertText", text=text)

    def press(self, selector):
        """A real click at the middle of the element."""
        box = self.evaluate("(() => { const r = document.querySelector('%s').getBoundingClientRect();"
                            " return [r.x + r.width / 2, r.y + r.height / 2]; })()" % selector)
        for kind in ("mousePressed", "mouseReleased"):
            self.call("Input.dispatchMouseEvent", type=kind, x=box[0], y=box[1], button="left", clickCount=1)

    def close(self):
        self.socket.close()


# What the page shows of each word: its label and its phones' labels.
SHOWN_WORDS = """[...document.querySelectorAll('.word')].map((w) => ({
    word: w.querySelector('.word-label').textContent,
    phones: [...w.querySelectorAll('.phone-label')].map((p) => p.textContent)}))"""
# Pixels the plot has drawn.
DRAWN = """(() => { const c = $('plot'), d = c.getContext('2d').getImageData(0, 0, c.width, c.height).data;
    let n = 0; for (let i = 3; i < d.length; i += 4) n += d[i] > 0; return n; })()"""


class BrowserTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.tmp = tempfile.TemporaryDirectory()
        audio = os.path.join(cls.tmp.name, "goforward.wav")
        with open(audio, "wb") as f:
            f.write(wav(goforward_samples()))
        cls.chromium = Chromium(CHROMIUM, audio, cls.tmp.name)
        if not cls.chromium.endpoint:
            cls.chromium.close()
            print("skipped: Chromium cannot start here:\n" + cls.chromium.output()[-2000:], file=sys.stderr)
            sys.exit(SKIPPED)
        cls.service = Service("--workers", "2")
        cls.page = cls.chromium.page()

    @classmethod
    def tearDownClass(cls):
        cls.page.close()
        cls.chromium.close()
        cls.service.stop()
        cls.service.close()
        cls.tmp.cleanup()

    def start_recording(self, url, text):
        self.page.open(url + "/")
        self.page.type_text("#text", text)
        self.page.press("#record")
        self.page.wait_for("$('status').textContent.startsWith('Recording')")

    def stop_recording(self):
        self.page.press("#stop")
        self.page.wait_for("!$('result').hidden || !$('error').hidden")

    def record(self, text, seconds):
        self.start_recording(self.service.url, text)
        time.sleep(seconds)
        self.stop_recording()

    def test_a_recording_is_assessed_word_by_word(self):
        self.record(GOFORWARD_TEXT, 3.5)
        self.assertEqual(self.page.evaluate("$('error').textContent"), "")
        shown = self.page.evaluate(SHOWN_WORDS)
        self.assertEqual([w["word"] for w in shown], ["GO", "FORWARD", "TEN", "METERS"])
        self.assertEqual(shown[0]["phones"], ["G", "OW"])
        self.assertEqual(shown[3]["phones"], ["M", "IY", "T", "ER", "Z"])
        self.assertEqual(self.page.evaluate("$('completeness').textContent"), "100%")
        self.assertEqual(self.page.evaluate("document.querySelectorAll('.word-label.good').length"), 4)
        self.assertGreater(self.page.evaluate(DRAWN), 1000)
        self.assertFalse(self.page.evaluate("$('play').disabled"))

    def test_a_refusal_is_shown_in_words(self):
        self.record("...", 1.0)
        self.assertTrue(self.page.evaluate("$('result').hidden"))
        self.assertEqual(self.page.evaluate("$('error').textContent"),
                         "The service refused the recording (400): the text holds no word.")

    def test_a_service_gone_is_said_to_be_unreachable(self):
        other = Service("--workers", "1")
        try:
            self.start_recording(other.url, GOFORWARD_TEXT)
            other.stop()
            self.stop_recording()
        finally:
            other.close()
        self.assertEqual(self.page.evaluate("$('error').textContent"),
                         "The service cannot be reached: is khapi serve running?")


CHROMIUM = shutil.which("chromium") or shutil.which("chromium-browser")

if __name__ == "__main__":
    if not CHROMIUM:
        print("skipped: no Chromium installed (Debian package chromium)", file=sys.stderr)
        sys.exit(SKIPPED)
    unittest.main()
