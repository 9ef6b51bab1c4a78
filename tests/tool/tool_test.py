"""Tests of the khapi tool on the packaged recordings.

Run by ctest with KHAPI (the tool), SCHEMA (docs/khapi-report.schema.json)
and TESTDATA (the packaged recordings) in the environment, and for the
Windows build KHAPI_EMULATOR (wine) and KHAPI_PNG=0 (built without cairo).
"""
import json
import os
import random
import re
import shutil
import signal
import struct
import subprocess
import sys
import tempfile
import time
import unittest
import xml.etree.ElementTree as ET

import jsonschema

KHAPI = os.environ["KHAPI"]
EMULATOR = os.environ.get("KHAPI_EMULATOR", "").split()
PNG = os.environ.get("KHAPI_PNG", "1") == "1"
SCHEMA = json.load(open(os.environ["SCHEMA"]))
DATA = os.environ["TESTDATA"]
GOFORWARD = os.path.join(DATA, "goforward.raw")
CARDS = [os.path.join(DATA, "cards", "%03d.wav" % i) for i in range(1, 6)]
CARD_WORDS = ["TEN OF CLUBS", "FOUR QUEEN OF CLUBS", "SEVEN OF CLUBS", "FIVE FIVE",
              "EIGHT OF SPADES FOUR OF CLUBS SEVEN OF HEARTS"]
CARD_GRAMMAR = """# playing cards: ranks and suits, included by name
RANK = ACE | TWO | THREE | FOUR | FIVE | SIX | SEVEN | EIGHT | NINE | TEN | JACK | QUEEN | KING
SUIT = CLUBS | DIAMONDS | HEARTS | SPADES
CARD = $RANK [OF] $SUIT
CARDS = <$CARD | $RANK>
"""
LIBRIVOX = os.path.join(DATA, "librivox")


def write_wav(path, samples, rate=16000):
    """A 16-bit mono WAV file of the samples (written here, so that the
    Windows run needs no sox)."""
    data = struct.pack("<%dh" % len(samples), *samples)
    with open(path, "wb") as f:
        f.write(b"RIFF" + struct.pack("<I", 36 + len(data)) + b"WAVEfmt " +
                struct.pack("<IHHIIHH", 16, 1, 1, rate, rate * 2, 2, 16) + b"data" + struct.pack("<I", len(data)) + data)


DUMP_TEXTGRID = """form Dump
    sentence File
endform
Read from file: file$
for tier to 2
    n = Get number of intervals: tier
    for i to n
        label$ = Get label of interval: tier, i
        if label$ <> ""
            t0 = Get start time of interval: tier, i
            t1 = Get end time of interval: tier, i
            appendInfoLine: tier, " ", fixed$(t0, 4), " ", fixed$(t1, 4), " ", label$
        endif
    endfor
endfor
"""


class ToolCase(unittest.TestCase):
    """Runs the tool in a fresh folder with fresh per-user data and state
    folders."""

    def setUp(self):
        self.tmp = tempfile.TemporaryDirectory()
        self.dir = self.tmp.name
        self.env = dict(os.environ, XDG_DATA_HOME=os.path.join(self.dir, "data"),
                        XDG_STATE_HOME=os.path.join(self.dir, "state"))

    def tearDown(self):
        self.tmp.cleanup()

    def path(self, name):
        return os.path.join(self.dir, name)

    def user_folder(self, kind="data"):
        """Where the packaged configuration keeps the words the library
        fetches ("data") and its log ("state"): $XDG_DATA_HOME/khapi and
        $XDG_STATE_HOME/khapi, or under Wine both in %LOCALAPPDATA%\\khapi,
        which Wine sets from its own prefix whatever the environment says
        (so it is not fresh for each test)."""
        if not EMULATOR:
            return os.path.join(self.dir, kind, "khapi")
        local = subprocess.run([*EMULATOR, "cmd", "/c", "echo %LOCALAPPDATA%"], capture_output=True,
                               text=True, timeout=60).stdout.strip()
        return subprocess.run(["winepath", "-u", local + "\\khapi"], capture_output=True, text=True,
                              timeout=60).stdout.strip()

    def run_tool(self, *args):
        return subprocess.run([*EMULATOR, KHAPI, *args], cwd=self.dir, env=self.env, capture_output=True,
                              text=True, timeout=300)

    def ok(self, *args):
        r = self.run_tool(*args)
        self.assertEqual(r.returncode, 0, r.stderr)
        return r

    def documents(self, *args):
        return [json.loads(line) for line in self.ok(*args, "--json").stdout.splitlines()]

    def assertValid(self, document, definition):
        schema = dict(SCHEMA, **{"$ref": "#/definitions/" + definition})
        schema.pop("anyOf")
        jsonschema.validate(document, schema)


class JsonTest(ToolCase):
    SUBCOMMANDS = [
        ("recognise", ["recognise", GOFORWARD, "-g", "GO (FORWARD | BACKWARD) TEN [METERS]"], "recognition"),
        ("recognise_nbest", ["recognise", GOFORWARD, "-g", "GO (FORWARD | BACKWARD) (TEN | TWO) METERS",
                             "--nbest", "2"], "recognition"),
        ("align", ["align", GOFORWARD, "--text", "go forward, ten meters."], "recognition"),
        ("assess", ["assess", GOFORWARD, "--text", "go forward ten meters"], "assessment"),
        ("f0", ["f0", GOFORWARD], "f0"),
    ]

    def test_each_subcommand_matches_its_schema(self):
        for name, args, definition in self.SUBCOMMANDS:
            with self.subTest(name):
                docs = self.documents(*args)
                self.assertEqual(len(docs), 1)
                self.assertValid(docs[0], definition)
                self.assertEqual(docs[0]["file"], GOFORWARD)

    def test_words_and_phones_are_timed_in_order(self):
        doc = self.documents("align", GOFORWARD, "--text", "go forward ten meters")[0]
        self.assertEqual([w["word"] for w in doc["words"]], ["GO", "FORWARD", "TEN", "METERS"])
        end = 0
        for w in doc["words"]:
            self.assertGreaterEqual(w["start"], end)
            self.assertGreater(w["end"], w["start"])
            self.assertEqual(w["syntax"], "ALIGN")
            self.assertTrue(w["phones"], w["word"])
            self.assertAlmostEqual(w["phones"][0]["start"], w["start"], places=3)
            self.assertAlmostEqual(w["phones"][-1]["end"], w["end"], places=3)
            end = w["end"]
        self.assertLess(end, 3.0)  # the recording lasts under 3 s

    def test_nbest_lists_alternatives_other_than_the_best(self):
        doc = self.documents("recognise", GOFORWARD, "-g", "GO (FORWARD | BACKWARD) (TEN | TWO) METERS",
                             "--nbest", "2")[0]
        self.assertEqual(" ".join(w["word"] for w in doc["words"]), "GO FORWARD TEN METERS")
        self.assertTrue(doc["nbest"])
        self.assertNotIn("GO FORWARD TEN METERS", doc["nbest"])

    def test_f0_has_one_frame_every_step(self):
        doc = self.documents("f0", GOFORWARD)[0]
        frames = doc["f0"]
        self.assertGreater(len(frames), 200)
        self.assertTrue(any(f["hz"] > 0 for f in frames))
        self.assertAlmostEqual(frames[10]["time"], 10 * doc["step"], places=6)

    def test_f0_text_is_time_and_hz_a_line(self):
        lines = self.ok("f0", GOFORWARD).stdout.splitlines()
        self.assertTrue(all(re.fullmatch(r"\d+\.\d\d \d+\.\d", line) for line in lines), lines[:3])
        # Several files: each track after a comment line naming its file.
        lines = self.ok("f0", GOFORWARD, CARDS[0]).stdout.splitlines()
        self.assertEqual([l for l in lines if l.startswith("#")], ["# " + GOFORWARD, "# " + CARDS[0]])
        self.assertEqual(lines[0], "# " + GOFORWARD)


class GrammarFileTest(ToolCase):
    def test_included_syntaxes_recognise_the_cards_over_two_workers(self):
        with open(self.path("cards.bnf"), "w") as f:
            f.write(CARD_GRAMMAR)
        docs = self.documents("recognise", *CARDS, "--grammar-file", self.path("cards.bnf"), "--jobs", "2")
        self.assertEqual([d["file"] for d in docs], CARDS)
        self.assertEqual([" ".join(w["word"] for w in d["words"]) for d in docs], CARD_WORDS)
        self.assertEqual({w["syntax"] for w in docs[0]["words"]}, {"RANK", "CARD", "SUIT"})

    def test_workers_print_what_one_process_prints(self):
        args = ["recognise", *CARDS[:3], "-g", "<(TEN | FOUR | SEVEN | QUEEN) [OF] CLUBS>"]
        one = self.ok(*args)
        three = self.ok(*args, "--jobs", "3")
        self.assertEqual(one.stdout, three.stdout)


class AssessTest(ToolCase):
    def assess(self, text):
        return self.documents("assess", GOFORWARD, "--text", text)[0]

    def test_a_correct_utterance_is_accurate_and_complete(self):
        doc = self.assess("go forward ten meters")
        self.assertGreaterEqual(doc["accuracy"], 80)
        self.assertEqual(doc["completeness"], 100)
        self.assertGreaterEqual(doc["fluency"], 60)
        self.assertEqual([w["error"] for w in doc["words"]], ["none"] * 4)
        self.assertTrue(all(p["accuracy"] is not None for w in doc["words"] for p in w["phones"]))

    def test_a_word_not_said_is_omitted(self):
        cases = [("at_the_end", "go forward ten meters please", 4),
                 ("at_the_start", "please go forward ten meters", 0),
                 ("in_the_middle", "go forward quickly ten meters", 2)]
        for name, text, omitted in cases:
            with self.subTest(name):
                doc = self.assess(text)
                self.assertValid(doc, "assessment")
                errors = ["none"] * 5
                errors[omitted] = "omitted"
                self.assertEqual([w["error"] for w in doc["words"]], errors)
                self.assertEqual([w["word"] for w in doc["words"]], text.upper().split())
                self.assertIsNone(doc["words"][omitted]["start"])
                self.assertEqual(doc["words"][omitted]["accuracy"], 0)
                self.assertEqual(doc["completeness"], 80)
                self.assertGreaterEqual(doc["accuracy"], 80)

    def test_speech_that_is_not_the_text_is_inserted(self):
        # The recording says "go forward ten meters".
        cases = [("between_words", "go forward meters", ["GO", "FORWARD", None, "METERS"], ["EH", "N"]),
                 ("after_the_text", "go forward ten", ["GO", "FORWARD", "TEN", None], ["ER"]),
                 ("in_place_of_the_text", "stop", [None, "STOP"], ["F", "AO", "EH", "N"])]
        for name, text, words, some_phones in cases:
            with self.subTest(name):
                svg = self.path(name + ".svg")
                doc = self.documents("assess", GOFORWARD, "--text", text, "--plot", svg)[0]
                self.assertValid(doc, "assessment")
                self.assertEqual([w["word"] for w in doc["words"]], words)
                inserted = doc["words"][words.index(None)]
                self.assertEqual(inserted["error"], "inserted")
                self.assertLess(inserted["start"], inserted["end"])
                heard = [p["phone"] for p in inserted["phones"]]
                self.assertTrue(set(some_phones) <= set(heard), heard)
                self.assertTrue(all(p["accuracy"] is None for p in inserted["phones"]))
                self.assertNotIn("none", [w["error"] for w in doc["words"] if w["word"] == "STOP"])
                texts = [t.text for t in ET.parse(svg).getroot().iter("{http://www.w3.org/2000/svg}text")]
                self.assertTrue(any(t.startswith("inserted") for t in texts), texts)
                report = self.ok("assess", GOFORWARD, "--text", text).stdout
                self.assertRegex(report, r"\(inserted\) .* inserted\n")


    def test_a_long_pause_a_hesitation_or_a_slow_reading_costs_fluency(self):
        with open(GOFORWARD, "rb") as f:
            raw = f.read()
        samples = list(struct.unpack("<%dh" % (len(raw) // 2), raw))
        # One second of silence where "ten" begins.
        cut = int(1.17 * 16000)
        write_wav(self.path("pause.wav"), samples[:cut] + [0] * 16000 + samples[cut:])
        # A hesitation there: the OW of "go" drawn out to half a second.
        ow = samples[int(0.56 * 16000):int(0.63 * 16000)]
        write_wav(self.path("hesitation.wav"), samples[:cut] + ow * 7 + samples[cut:])
        readings = {"pause": self.path("pause.wav"), "hesitation": self.path("hesitation.wav")}
        if shutil.which("sox"):
            subprocess.run(["sox", "-t", "raw", "-r", "16000", "-e", "signed", "-b", "16", "-c", "1", GOFORWARD,
                            self.path("slow.wav"), "tempo", "0.6"], check=True)
            readings["slow"] = self.path("slow.wav")
        fluent = self.assess("go forward ten meters")["fluency"]
        for name, wav in readings.items():
            with self.subTest(name):
                doc = self.documents("assess", wav, "--text", "go forward ten meters")[0]
                self.assertEqual(doc["completeness"], 100)
                self.assertLess(doc["fluency"], fluent - 30)

    def test_a_phone_said_as_another_is_named_in_every_output(self):
        # The recording says "ten" where the text has "pen".
        text, svg = "go forward pen meters", self.path("pen.svg")
        # Aligned: the assessment's own grammar moves the word's edge by a
        # frame, and the P is then just short of being heard as T.
        doc = self.documents("align", GOFORWARD, "--text", text, "--plot", svg)[0]
        heard = [(w["word"], p["phone"], p["heard"]) for w in doc["words"] for p in w["phones"]
                 if p["heard"] != p["phone"]]
        self.assertEqual(heard, [("PEN", "P", "T")])
        self.assertIn("P heard as T", self.ok("align", GOFORWARD, "--text", text).stdout)
        texts = [t.text for t in ET.parse(svg).getroot().iter("{http://www.w3.org/2000/svg}text")]
        self.assertTrue(any(t.endswith("as T") for t in texts), texts)


class TextTest(ToolCase):
    """Where texts come from, and texts of any length."""

    def test_each_recording_may_bring_its_own_text(self):
        files = []
        for stem, ext, text in (("a", ".txt", "ten of clubs"), ("b", ".lab", "four queen of clubs"), ("c", None, None)):
            files.append(self.path(stem + ".wav"))
            shutil.copy(CARDS[len(files) - 1], files[-1])
            if ext:
                with open(self.path(stem + ext), "w") as f:
                    f.write(text + "\n")
        r = self.run_tool("align", *files, "--json", "--jobs", "2")
        self.assertEqual(r.returncode, 1)
        docs = [json.loads(line) for line in r.stdout.splitlines()]
        self.assertEqual([" ".join(w["word"] for w in d.get("words", [])) for d in docs[:2]],
                         ["TEN OF CLUBS", "FOUR QUEEN OF CLUBS"])
        self.assertIn("c.txt or", docs[2]["error"])
        with open(self.path("text"), "w") as f:
            f.write("Ten of clubs.\n")
        doc = self.documents("assess", files[0], "--text-from-file", self.path("text"))[0]
        self.assertEqual([w["error"] for w in doc["words"]], ["none"] * 3)

    def test_texts_are_read_as_people_write_them(self):
        cases = [(CARDS[0], "\u201c10\u201d of clubs\u2026", "TEN OF CLUBS"),
                 (GOFORWARD, "Go forward\u201410 meters!", "GO FORWARD TEN METERS")]
        for audio, text, words in cases:
            with self.subTest(text):
                doc = self.documents("assess", audio, "--text", text)[0]
                self.assertEqual(" ".join(w["word"] for w in doc["words"]), words)
                self.assertEqual(doc["completeness"], 100)

    def passage(self, copies):
        """The five librivox recordings said over and over, and their text."""
        with open(os.path.join(LIBRIVOX, "fileids")) as f:
            ids = f.read().split()
        texts = {}
        with open(os.path.join(LIBRIVOX, "transcription")) as f:
            for line in f:
                m = re.match(r"<s> (.*) </s> \((\S+)\)", line.strip())
                texts[m.group(2)] = m.group(1)
        samples, offsets = [], []
        for _ in range(copies):
            for i in ids:
                with open(os.path.join(LIBRIVOX, i + ".wav"), "rb") as f:
                    data = f.read()[44:]
                offsets.append(len(samples) / 16000)
                samples.extend(struct.unpack("<%dh" % (len(data) // 2), data))
        write_wav(self.path("passage.wav"), samples)
        with open(self.path("passage.txt"), "w") as f:
            f.write("\n".join(texts[i] for i in ids * copies))
        return self.path("passage.wav"), self.path("passage.txt")

    def test_a_text_longer_than_a_library_string_is_aligned_whole(self):
        wav, text = self.passage(3)
        with open(text) as f:
            words = f.read().upper().split()
        self.assertGreater(len(" ".join(words)), 1024)
        doc = self.documents("align", wav, "--text-from-file", text)[0]
        self.assertEqual([w["word"] for w in doc["words"]], words)
        # Each copy's words fall where the first copy's do, a copy later.
        per_copy = len(words) // 3
        first = doc["words"][:per_copy]
        shift = doc["words"][per_copy]["start"] - first[0]["start"]
        for copy in (1, 2):
            for a, b in zip(first, doc["words"][copy * per_copy:(copy + 1) * per_copy]):
                self.assertAlmostEqual(b["start"] - a["start"], copy * shift, delta=0.05, msg=b["word"])

    def test_a_passage_of_500_words_is_assessed_whole(self):
        wav, text = self.passage(8)
        doc = self.documents("assess", wav, "--text-from-file", text)[0]
        self.assertGreater(len(doc["words"]), 500)
        self.assertGreaterEqual(doc["completeness"], 95)
        self.assertGreater(doc["words"][-1]["end"] or 0, 190)

    def test_a_word_in_no_dictionary_gets_a_guessed_pronunciation(self):
        r = self.ok("align", CARDS[0], CARDS[0], "--text", "ten of zorblax", "--json")
        docs = [json.loads(line) for line in r.stdout.splitlines()]
        for doc in docs:
            self.assertEqual([w.get("guessed", False) for w in doc["words"]], [False, False, True])
            self.assertEqual([p["phone"] for p in doc["words"][2]["phones"]], "Z AO R B L AE K S".split())
        self.assertEqual(r.stderr.count("ZORBLAX: guessed Z AO R B L AE K S"), 1, r.stderr)
        packaged = os.path.join(os.path.dirname(KHAPI), "..", "data", "khapi.conf")
        with open(packaged) as f, open(self.path("strict.conf"), "w") as out:
            out.write(f.read() + "\nGUESSPRONS = FALSE\n")
        r = self.run_tool("align", CARDS[0], "--text", "ten of zorblax", "--config", self.path("strict.conf"))
        self.assertEqual(r.returncode, 1)
        self.assertIn("word ZORBLAX not in the dictionary", r.stderr)

    def test_words_the_library_cannot_take_are_named(self):
        # Letter-to-sound rules take English spellings only.
        cases = [("unknown", "go \u0436\u0443\u043a forward", "word \u0416\u0423\u041a not in the dictionary"),
                 ("too_long", "go " + "a" * 300, "text too long")]
        for name, text, cause in cases:
            with self.subTest(name):
                r = self.run_tool("align", GOFORWARD, "--text", text)
                self.assertEqual(r.returncode, 1)
                self.assertIn(cause, r.stderr)
                self.assertLess(len(r.stderr), 600)


class TextGridTest(ToolCase):
    def test_praat_reads_back_the_same_intervals(self):
        grid = self.path("goforward.TextGrid")
        doc = self.documents("align", GOFORWARD, "--text", "go forward ten meters", "--textgrid", grid)[0]
        script = self.path("dump.praat")
        with open(script, "w") as f:
            f.write(DUMP_TEXTGRID)
        r = subprocess.run(["praat", "--run", script, grid], capture_output=True, text=True, timeout=60)
        self.assertEqual(r.returncode, 0, r.stderr)
        expected = ["1 %.4f %.4f %s" % (w["start"], w["end"], w["word"]) for w in doc["words"]]
        expected += ["2 %.4f %.4f %s" % (p["start"], p["end"], p["phone"])
                     for w in doc["words"] for p in w["phones"]]
        self.assertEqual(r.stdout.split("\n")[:-1], expected)


class PlotTest(ToolCase):
    def test_svg_is_well_formed_and_labels_every_word_and_phone(self):
        svg = self.path("plot.svg")
        doc = self.documents("assess", GOFORWARD, "--text", "go forward ten meters please", "--plot", svg)[0]
        r = subprocess.run(["xmllint", "--noout", svg], capture_output=True, text=True)
        self.assertEqual(r.returncode, 0, r.stderr)
        texts = [t.text for t in ET.parse(svg).getroot().iter("{http://www.w3.org/2000/svg}text")]
        for w in doc["words"]:
            if w["error"] == "omitted":
                self.assertTrue(any("omitted: " + w["word"] in t for t in texts))
                continue
            self.assertIn(w["word"], texts)
            for p in w["phones"]:
                self.assertIn(p["phone"], texts)

    def test_png_is_an_image(self):
        png = self.path("plot.png")
        if not PNG:
            r = self.run_tool("align", GOFORWARD, "--text", "go forward ten meters", "--plot", png)
            self.assertEqual(r.returncode, 2, r.stdout + r.stderr)
            self.assertIn("PNG plots are not available in this build", r.stderr)
            self.assertFalse(os.path.exists(png))
            return
        self.ok("align", GOFORWARD, "--text", "go forward ten meters", "--plot", png)
        with open(png, "rb") as f:
            head = f.read(24)
        self.assertEqual(head[:8], b"\x89PNG\r\n\x1a\n")
        self.assertEqual(int.from_bytes(head[16:20], "big"), 1200)

    def test_several_files_fill_in_their_names(self):
        self.ok("recognise", *CARDS[:2], "-g", "<(TEN | FOUR | QUEEN) [OF] CLUBS>", "--jobs", "2",
                "--plot", self.path("%s.svg"), "--textgrid", self.path("%s.TextGrid"))
        for stem in ("001", "002"):
            self.assertTrue(os.path.exists(self.path(stem + ".svg")))
            self.assertTrue(os.path.exists(self.path(stem + ".TextGrid")))


class FailureTest(ToolCase):
    USAGE = [
        ("no_subcommand", []),
        ("unknown_subcommand", ["transcribe", GOFORWARD]),
        ("unknown_option", ["align", GOFORWARD, "--text", "go", "--colour"]),
        ("recognise_without_grammar", ["recognise", GOFORWARD]),
        ("grammar_and_grammar_file", ["recognise", GOFORWARD, "-g", "GO", "--grammar-file", "x"]),
        ("text_and_text_file", ["align", GOFORWARD, "--text", "go", "--text-from-file", GOFORWARD]),
        ("missing_text_file", ["align", GOFORWARD, "--text-from-file", "none.txt"]),
        ("calibrate_jobs", ["calibrate", "--jobs", "2"]),
        ("play_json", ["play", GOFORWARD, "--json"]),
        ("assess_without_audio", ["assess", "--text", "go"]),
        ("zero_jobs", ["align", GOFORWARD, "--text", "go", "--jobs", "0"]),
        ("jobs_not_a_number", ["align", GOFORWARD, "--text", "go", "--jobs", "many"]),
        ("plot_neither_svg_nor_png", ["align", GOFORWARD, "--text", "go", "--plot", "x.pdf"]),
        ("several_files_one_textgrid", ["align", GOFORWARD, GOFORWARD, "--text", "go", "--textgrid", "x.TextGrid"]),
        ("live_and_files", ["recognise", GOFORWARD, "-g", "GO", "--live"]),
    ]

    def test_bad_arguments_are_usage_errors(self):
        for name, args in self.USAGE:
            with self.subTest(name):
                r = self.run_tool(*args)
                self.assertEqual(r.returncode, 2, r.stdout + r.stderr)
                self.assertTrue(r.stderr.strip())
                self.assertEqual(r.stdout, "")

    def test_every_subcommand_has_help(self):
        for sub in ("recognise", "align", "assess", "f0", "play", "calibrate"):
            with self.subTest(sub):
                r = self.ok(sub, "--help")
                self.assertIn("--config", r.stdout)
                self.assertIn("--log", r.stdout)
        # --json names the schema where it is (installed or built).
        schema = re.search(r"\((\S+khapi-report\.schema\.json)\)", self.ok("align", "--help").stdout)
        self.assertTrue(schema)
        if not EMULATOR:
            self.assertTrue(os.path.exists(schema.group(1)), schema.group(1))
        self.assertRegex(self.ok("--version").stdout, r"^khapi \d+\.\d+")

    def test_outputs_that_would_overwrite_a_file_are_refused(self):
        """Before anything is written, whatever the name that leads to the file."""
        for folder in ("a", "b"):
            os.mkdir(self.path(folder))
            shutil.copy(CARDS[0], self.path(folder + "/x.wav"))
        with open(self.path("a/x.txt"), "w") as f:
            f.write("ten of clubs\n")
        os.link(self.path("a/x.wav"), self.path("linked.wav"))
        a, b = self.path("a/x.wav"), self.path("b/x.wav")
        cases = [
            ("two_recordings_one_name", [a, b, "--text", "ten", "--textgrid", "%s.TextGrid"],
             "--textgrid for %s and --textgrid for %s would both write x.TextGrid" % (a, b)),
            ("over_the_recording", [a, "--text", "ten", "--textgrid", self.path("a/%s.wav")],
             "over the recording " + a),
            ("over_a_link_to_it", [a, "--text", "ten", "--textgrid", "linked.wav"], "over the recording " + a),
            ("over_the_text_beside_it", [a, "--textgrid", "a/../a/%s.txt"], "over the text " + self.path("a/x.txt")),
            ("textgrid_and_plot", [a, "--text", "ten", "--textgrid", "o.svg", "--plot", "./o.svg"],
             "--textgrid and --plot would both write ./o.svg"),
            ("over_the_log", [a, "--text", "ten", "--plot", "k.svg", "--log", "./k.svg"], "over the log ./k.svg"),
        ]
        before = sorted(os.listdir(self.dir))
        for name, args, cause in cases:
            with self.subTest(name):
                r = self.run_tool("align", *args)
                self.assertEqual(r.returncode, 2, r.stdout + r.stderr)
                self.assertIn(cause, r.stderr)
                self.assertEqual(r.stdout, "")
                self.assertEqual(sorted(os.listdir(self.dir)), before)
                self.assertEqual(os.path.getsize(a), os.path.getsize(CARDS[0]))

    def failing(self, *args):
        r = self.run_tool(*args)
        self.assertEqual(r.returncode, 1, r.stdout + r.stderr)
        return r.stderr

    def test_failures_name_the_file_the_cause_and_the_log(self):
        log = self.path("my.log")
        text_file = self.path("notes.txt")
        with open(text_file, "w") as f:
            f.write("not a recording\n")
        jsgf = self.path("cards.gram")
        with open(jsgf, "w") as f:
            f.write("#JSGF V1.0;\ngrammar cards;\npublic <card> = ten of clubs;\n")
        cases = [
            ("missing_audio", ["align", self.path("none.wav"), "--text", "go"],
             [self.path("none.wav"), "No such file"]),
            ("not_audio", ["align", text_file, "--text", "go"],
             [text_file, "khRecPrepare", "log: " + log]),
            ("ungrammatical_bnf", ["recognise", GOFORWARD, "-g", "GO (FORWARD"],
             ["GO (FORWARD", "refused", "khSyntaxAddOption", "log: " + log]),
            ("unknown_word", ["align", GOFORWARD, "--text", "go \u0436\u0443\u043a"],
             ["\u0416\u0423\u041a", "log: " + log]),
            ("grammar_file_line", ["recognise", GOFORWARD, "--grammar-file", text_file],
             [text_file + ":1", "NAME = BNF"]),
            ("jsgf_grammar_file", ["recognise", GOFORWARD, "--grammar-file", jsgf],
             [jsgf, "JSGF", "NAME = BNF"]),
            ("missing_grammar_file", ["recognise", GOFORWARD, "--grammar-file", self.path("none.bnf")],
             [self.path("none.bnf")]),
            ("missing_config", ["align", GOFORWARD, "--text", "go", "--config", self.path("none.conf")],
             [self.path("none.conf")]),
            ("config_folder", ["align", GOFORWARD, "--text", "go", "--config", self.dir],
             ["configuration " + self.dir + ": it is a folder"]),
        ]
        for name, args, needles in cases:
            with self.subTest(name):
                err = self.failing(*args, "--log", log)
                for needle in needles:
                    self.assertIn(needle, err)
                # A log is named only when the library wrote the cause to it.
                self.assertEqual("log: " + log in err, any(n.startswith("log: ") for n in needles), err)

    @unittest.skipIf(EMULATOR, "runs on Windows share a log")
    def test_a_log_another_run_holds_is_left_to_it(self):
        import fcntl
        log = self.path("my.log")
        with open(log, "w") as other:
            other.write("ERROR - another run's failure\r\n")
            other.flush()
            fcntl.flock(other, fcntl.LOCK_EX)
            err = self.failing("align", GOFORWARD, "--text", "go \u0436\u0443\u043a", "--log", log)
        named = re.search(r"\(log: (\S+)\)", err).group(1)
        self.assertNotEqual(named, log)
        self.assertNotIn("another run", err)
        with open(named) as f:
            self.assertIn("\u0416\u0423\u041a", f.read())
        with open(log) as f:
            self.assertEqual(f.read(), "ERROR - another run's failure\n")

    def test_one_bad_file_fails_the_run_but_not_the_others(self):
        for jobs in ("1", "2"):
            with self.subTest(jobs=jobs):
                r = self.run_tool("align", GOFORWARD, self.path("none.wav"), GOFORWARD,
                                  "--text", "go forward ten meters", "--json", "--jobs", jobs)
                self.assertEqual(r.returncode, 1)
                docs = [json.loads(line) for line in r.stdout.splitlines()]
                self.assertEqual([d["file"] for d in docs], [GOFORWARD, self.path("none.wav"), GOFORWARD])
                self.assertValid(docs[1], "failure")
                self.assertIn("none.wav", r.stderr)

    def test_a_run_that_cannot_start_fails_every_file_in_json(self):
        r = self.run_tool("recognise", GOFORWARD, CARDS[0], "-g", "GO (FORWARD", "--json", "--log", self.path("my.log"))
        self.assertEqual(r.returncode, 1)
        docs = [json.loads(line) for line in r.stdout.splitlines()]
        self.assertEqual([d["file"] for d in docs], [GOFORWARD, CARDS[0]])
        self.assertIn("khSyntaxAddOption", docs[0]["error"])
        self.assertEqual(r.stderr.count("khSyntaxAddOption"), 1)

    def test_files_with_nothing_to_find_fail_and_say_why(self):
        """Each exits 1 with a failure document, the cause on standard
        error, no TextGrid or plot, and a log named only when it holds the
        cause."""
        rng = random.Random(1)
        write_wav(self.path("empty.wav"), [])
        write_wav(self.path("silence.wav"), [0] * 32000)
        write_wav(self.path("noise.wav"), [int(rng.gauss(0, 2000)) for _ in range(48000)])
        long_text = " ".join(["ten of clubs"] * 8)
        cases = [
            ("empty", ["align", self.path("empty.wav"), "--text", "go"], "no speech found"),
            ("silence", ["align", self.path("silence.wav"), "--text", "ten of clubs"], "no speech found"),
            ("noise", ["recognise", self.path("noise.wav"), "-g", "<(TEN | EIGHT) [OF] CLUBS>"], "no speech found"),
            ("noise_assessed", ["assess", self.path("noise.wav"), "--text", "ten of clubs"], "no speech found"),
            ("text_longer_than_the_speech", ["align", CARDS[0], "--text", long_text],
             "none of the text's words were found"),
        ]
        for name, args, cause in cases:
            with self.subTest(name):
                out = self.path(name)
                r = self.run_tool(*args, "--json", "--textgrid", out + ".TextGrid", "--plot", out + ".svg")
                self.assertEqual(r.returncode, 1, r.stdout + r.stderr)
                doc = json.loads(r.stdout)
                self.assertValid(doc, "failure")
                self.assertTrue(doc["error"].startswith(cause), doc["error"])
                self.assertNotIn("log", doc)
                self.assertIn(cause, r.stderr)
                self.assertNotIn("log:", r.stderr)
                self.assertFalse(os.path.exists(out + ".TextGrid") or os.path.exists(out + ".svg"))


@unittest.skipIf(EMULATOR, "Wine's processes take no POSIX signals")
class InterruptTest(ToolCase):
    """A run ended by a signal leaves none of its private files (the copy
    of the configuration, the dictionaries of --dict) in TMPDIR."""

    def private_files(self, suffix=""):
        return [n for n in os.listdir(self.path("tmp")) if n.startswith("khapi-") and n.endswith(suffix)]

    def test_an_interrupted_run_leaves_no_private_file(self):
        os.mkdir(self.path("tmp"))
        self.env["TMPDIR"] = self.path("tmp")
        with open(self.path("my.dict"), "w") as f:
            f.write("klubz  K L AH1 B Z\n")
        mine = ["--dict", self.path("my.dict")]
        # The signal, whether the whole process group gets it (as from a
        # terminal) or the tool alone, and how many of its files are there
        # when it is sent.
        cases = [
            ("first_process_sigint", signal.SIGINT, False, ["--jobs", "2"], ".conf", 1),
            ("workers_sigterm_to_all", signal.SIGTERM, True, ["--jobs", "2", *mine], ".dic", 4),
            ("one_process_sigint", signal.SIGINT, False, mine, ".dic", 2),
            ("finished", None, False, ["--jobs", "2", *mine], "", 0),
        ]
        for name, sig, group, args, suffix, count in cases:
            with self.subTest(name):
                for n in self.private_files():
                    os.remove(os.path.join(self.path("tmp"), n))
                p = subprocess.Popen([KHAPI, "align", *[CARDS[0]] * 4, "--text", "ten of klubz", "-q", *args],
                                     cwd=self.dir, env=self.env, stdout=subprocess.DEVNULL,
                                     stderr=subprocess.DEVNULL, start_new_session=True)
                deadline = time.time() + 60
                while sig and len(self.private_files(suffix)) < count and p.poll() is None and time.time() < deadline:
                    time.sleep(0.001)
                if sig:
                    self.assertIsNone(p.poll(), "the run ended before the signal")
                    os.killpg(p.pid, sig) if group else p.send_signal(sig)
                self.assertEqual(p.wait(timeout=120), -sig if sig else 0)
                self.assertEqual(self.private_files(), [])


class SoundCardTest(ToolCase):
    """The sound card's stand-ins: AUDIOIN feeds a file through the live
    input, AUDIOOUT writes what would be played to a file."""

    def config(self, *lines):
        packaged = os.path.join(os.path.dirname(KHAPI), "..", "data", "khapi.conf")
        with open(packaged) as f:
            text = f.read()
        with open(self.path("card.conf"), "w") as f:
            f.write(text + "\n".join(lines) + "\n")
        return self.path("card.conf")

    def test_live_input_is_recognised(self):
        conf = self.config("AUDIOIN = file:" + GOFORWARD)
        doc = self.documents("recognise", "--live", "-g", "GO FORWARD TEN [METERS]", "--config", conf)[0]
        self.assertValid(doc, "recognition")
        self.assertEqual(doc["file"], "live")
        self.assertEqual(" ".join(w["word"] for w in doc["words"]), "GO FORWARD TEN METERS")
        # without --live, a recording that happens to be named "live" is read from its file
        shutil.copy(CARDS[0], self.path("live"))
        doc = self.documents("recognise", "live", "-g", "(GO FORWARD TEN [METERS]) | (TEN OF CLUBS)",
                             "--config", conf)[0]
        self.assertEqual(" ".join(w["word"] for w in doc["words"]), "TEN OF CLUBS")

    def test_play_writes_what_it_plays(self):
        out = self.path("played.wav")
        self.ok("play", CARDS[0], "--config", self.config("AUDIOOUT = file:" + out))
        self.assertGreater(os.path.getsize(out), 10000)

    def test_calibrate_measures_the_input(self):
        conf = self.config("AUDIOIN = file:" + GOFORWARD)
        doc = self.documents("calibrate", "--config", conf)[0]
        self.assertValid(doc, "calibration")
        self.assertGreater(doc["snr_db"], 0)


class UserDataTest(ToolCase):
    """The packaged configuration writes only in the user's folders; a
    given one names its own files."""

    def config(self, **lines):
        """The packaged configuration with the KEY = VALUE lines given
        replaced (None removes one)."""
        with open(os.path.join(os.path.dirname(KHAPI), "..", "data", "khapi.conf")) as f:
            text = f.read()
        for key, value in lines.items():
            line = "" if value is None else "%s = %s" % (key, value)
            text = re.sub(r"^%s = .*$" % key, lambda _: line, text, flags=re.M)
        with open(self.path("my.conf"), "w") as f:
            f.write(text)
        return self.path("my.conf")

    def logged_to(self, *args):
        """Fails in the library on a file that is no recording; answers the
        log that the message names."""
        notes = self.path("notes.txt")
        with open(notes, "w") as f:
            f.write("not a recording\n")
        r = self.run_tool("align", notes, "--text", "go forward", *args)
        self.assertEqual(r.returncode, 1, r.stderr)
        self.assertIn("khRecPrepare", r.stderr)
        return re.search(r"\(log: ([^)]*)\)", r.stderr).group(1)

    def assertLogged(self, path):
        with open(path) as f:
            self.assertIn("ERROR - khRecPrepare", f.read())
        os.remove(path)

    def test_the_packaged_configuration_writes_only_in_the_user_folders(self):
        self.ok("align", GOFORWARD, "--text", "go forward ten meters")
        with open(os.path.join(self.user_folder(), "english.dic")) as f:
            self.assertIn("FORWARD", f.read())
        log = self.logged_to()
        state_log = os.path.join(self.user_folder("state"), "khapi.log")
        if not EMULATOR:
            self.assertEqual(log, state_log)
        self.assertLogged(state_log)
        self.assertEqual(sorted(set(os.listdir(self.dir)) - {"data", "state"}), ["notes.txt"])

    def test_a_plain_dictionary_of_ones_own_words_is_used_but_not_cached(self):
        with open(self.path("my.dict"), "w") as f:
            f.write(";;; CMUdict style, stress marked\nklubz  K L AH1 B Z\n")
        with open(self.path("bad.dict"), "w") as f:
            f.write("KLUBZ  K L AH1 B\nZORB  Z QQ1 B\n")
        self.ok("align", CARDS[0], "--text", "ten of clubs")
        doc = self.documents("align", CARDS[0], "--text", "ten of klubz", "--dict", self.path("my.dict"))[0]
        self.assertEqual([w["word"] for w in doc["words"]], ["TEN", "OF", "KLUBZ"])
        self.assertEqual([p["phone"] for p in doc["words"][2]["phones"]], ["K", "L", "AH", "B", "Z"])
        with open(os.path.join(self.user_folder(), "english.dic")) as f:
            self.assertNotIn("KLUBZ", f.read())
        r = self.run_tool("align", CARDS[0], "--text", "ten of klubz", "--dict", self.path("bad.dict"))
        self.assertEqual(r.returncode, 1)
        self.assertIn("bad.dict:2: QQ1 is not one of the model's phones", r.stderr)

    def test_a_given_configuration_names_its_own_files(self):
        self.ok("align", GOFORWARD, "--text", "go forward", "--config", self.config(ENGLISHDICT="mine.dic"))
        self.assertTrue(os.path.exists(self.path("mine.dic")))
        state_log = os.path.join(self.user_folder("state"), "khapi.log")
        # The log: --log, else a plain ERRORLOG made absolute, else (a name
        # the library expands) the packaged configuration's own.
        cases = [
            ("plain", "plain.log", [], self.path("plain.log")),
            ("absent", None, [], self.path("khapi.log")),
            ("expanded", "${XDG_STATE_HOME:-~/.local/state}/khapi/mine.log", [], state_log),
            ("home", "~/mine.log", [], state_log),
            ("given", "plain.log", ["--log", self.path("given.log")], self.path("given.log")),
        ]
        for name, errorlog, args, want in cases:
            with self.subTest(name):
                log = self.logged_to("--config", self.config(ERRORLOG=errorlog), *args)
                if not EMULATOR:
                    self.assertEqual(log, want)
                self.assertLogged(want)


if __name__ == "__main__":
    unittest.main()
