// app.js - the page: a sentence, a recording, and its assessment by the
// service that serves this page.
"use strict";

const $ = (id) => document.getElementById(id);
const recorder = new Recorder();
let recording = null;  // the last one: {samples, wav}

function say(status) {
  $("status").textContent = status;
}

function fail(message) {
  $("error").textContent = message;
  $("error").hidden = false;
  say("");
}

// The browser's refusals, in words a learner can act on.
function microphoneProblem(e) {
  switch (e.name) {
  case "NotAllowedError":
  case "SecurityError":
    return "The microphone may not be used: allow it for this page in the browser's settings, then press Record again.";
  case "NotFoundError":
  case "OverconstrainedError":
    return "No microphone was found: plug one in, then press Record again.";
  case "NotReadableError":
    return "The microphone is in use by another program or cannot be read.";
  default:
    return "The recording could not start: " + e.message;
  }
}

async function post(path, wav) {
  let response;
  try {
    response = await fetch(path, {method: "POST", headers: {"Content-Type": "audio/wav"}, body: wav});
  } catch (e) {
    throw new Error("The service cannot be reached: is khapi serve running?");
  }
  let doc = null;
  try {
    doc = await response.json();
  } catch (e) {
    doc = null;
  }
  if (!response.ok) {
    const why = doc && doc.error ? doc.error : response.statusText;
    const retry = response.status === 503 || response.status === 504 ? " Try again in a moment." : "";
    throw new Error("The service refused the recording (" + response.status + "): " + why + "." + retry);
  }
  if (!doc) throw new Error("The service answered something that is not a report.");
  return doc;
}

function score(value) {
  return value === null || value === undefined ? "–" : Math.round(value) + "%";
}

function phoneItem(p) {
  const li = document.createElement("li");
  li.className = "phone " + accuracyClass(p.accuracy);
  const label = document.createElement("span");
  label.className = "phone-label";
  label.textContent = p.phone;
  li.append(label, " " + score(p.accuracy));
  if (p.heard && p.heard !== p.phone) {
    const heard = document.createElement("span");
    heard.className = "heard";
    heard.textContent = " heard as " + p.heard;
    li.append(heard);
  }
  return li;
}

function wordBox(w) {
  const box = document.createElement("div");
  const inserted = w.error === "inserted";
  box.className = "word" + (inserted ? " inserted" : "");
  const label = document.createElement("span");
  label.className = "word-label " + (w.error === "omitted" ? "missing" : accuracyClass(w.accuracy));
  label.textContent = inserted ? "(inserted)" : w.word;
  const accuracy = document.createElement("span");
  accuracy.className = "word-accuracy";
  accuracy.textContent = score(w.accuracy);
  box.append(label, accuracy);
  if (w.error && w.error !== "none") {
    const error = document.createElement("span");
    error.className = "word-error";
    error.textContent = w.error;
    box.append(error);
  }
  const phones = document.createElement("ul");
  phones.className = "phones";
  w.phones.forEach((p) => phones.append(phoneItem(p)));
  box.append(phones);
  return box;
}

function show(doc, f0) {
  $("accuracy").textContent = score(doc.accuracy);
  $("completeness").textContent = score(doc.completeness);
  $("fluency").textContent = score(doc.fluency);
  $("words").replaceChildren(...doc.words.map(wordBox));
  $("result").hidden = false;
  drawPlot($("plot"), recording.samples, KH_RATE, f0, doc);
}

async function assess() {
  const text = $("text").value.trim();
  say("Assessing…");
  const query = "?text=" + encodeURIComponent(text);
  // The contour is a nicety: the assessment is shown without it.
  const [doc, f0] = await Promise.all([
    post("/v1/assess" + query, recording.wav),
    post("/v1/f0", recording.wav).catch(() => null),
  ]);
  show(doc, f0);
  say("Done: " + doc.words.filter((w) => w.error === "none").length + " of " + doc.words.length +
      " words said well.");
}

$("sentences").addEventListener("change", () => {
  $("text").value = $("sentences").value;
});

$("record").addEventListener("click", async () => {
  $("error").hidden = true;
  if (!$("text").value.trim()) return fail("Type or pick a sentence first.");
  try {
    await recorder.start();
  } catch (e) {
    return fail(microphoneProblem(e));
  }
  $("record").disabled = true;
  $("record").classList.add("recording");
  $("stop").disabled = false;
  $("play").disabled = true;
  say("Recording: say the sentence, then press Stop.");
});

$("stop").addEventListener("click", async () => {
  $("stop").disabled = true;
  $("record").classList.remove("recording");
  try {
    recording = await recorder.stop();
    $("play").disabled = false;
    await assess();
  } catch (e) {
    fail(e.message);
  } finally {
    $("record").disabled = false;
  }
});

$("play").addEventListener("click", () => {
  if (!recording) return;
  const url = URL.createObjectURL(recording.wav);
  const audio = new Audio(url);
  audio.onended = () => URL.revokeObjectURL(url);
  audio.play().catch((e) => fail("The recording cannot be played: " + e.message));
});
