"""Tests of the khapi tool on the packaged recordings.

Run by ctest with KHAPI (the tool), SCHEMA (docs/khapi-report.schema.json)
and TESTDATA (the packaged recordings) in the environment, and for the
Windows build KHAPI_EMULATOR (wine) and KHAPI_PNG=0 (built without cairo).
"""
import json
import os
import re
import subprocess
import sys
import tempfile
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
        ("align_without_text", ["align", GOFORWARD]),
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

    def failing(self, *args):
        r = self.run_tool(*args)
        self.assertEqual(r.returncode, 1, r.stdout + r.stderr)
        return r.stderr

    def test_failures_name_the_file_the_cause_and_the_log(self):
        log = self.path("my.log")
        text_file = self.path("notes.txt")
        with open(text_file, "w") as f:
            f.write("not a recording\n")
        cases = [
            ("missing_audio", ["align", self.path("none.wav"), "--text", "go"],
             [self.path("none.wav"), "No such file"]),
            ("not_audio", ["align", text_file, "--text", "go"],
             [text_file, "khRecPrepare", "log: " + log]),
            ("ungrammatical_bnf", ["recognise", GOFORWARD, "-g", "GO (FORWARD"],
             ["GO (FORWARD", "refused", "khSyntaxAddOption", "log: " + log]),
            ("unknown_word", ["align", GOFORWARD, "--text", "go xyzzyplugh"],
             ["XYZZYPLUGH", "log: " + log]),
            ("grammar_file_line", ["recognise", GOFORWARD, "--grammar-file", text_file],
             [text_file + ":1", "NAME = BNF"]),
            ("missing_grammar_file", ["recognise", GOFORWARD, "--grammar-file", self.path("none.bnf")],
             [self.path("none.bnf")]),
            ("missing_config", ["align", GOFORWARD, "--text", "go", "--config", self.path("none.conf")],
             [self.path("none.conf")]),
        ]
        for name, args, needles in cases:
            with self.subTest(name):
                err = self.failing(*args, "--log", log)
                for needle in needles:
                    self.assertIn(needle, err)

    def test_one_bad_file_fails_the_run_but_not_the_others(self):
        for jobs in ("1", "2"):
            with self.subTest(jobs=jobs):
                r = self.run_tool("align", GOFORWARD, self.path("none.wav"), GOFORWARD,
                                  "--text", "go forward ten meters", "--json", "--jobs", jobs)
                self.assertEqual(r.returncode, 1)
                self.assertEqual(len(r.stdout.splitlines()), 2)
                self.assertIn("none.wav", r.stderr)


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
