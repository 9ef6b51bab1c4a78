// plot.js - the recording's waveform, its F0 contour, and the word and
// phone boundaries of the assessment, on a canvas.
"use strict";

const PLOT_F0_RANGE = [60, 300];  // Hz: the contour's scale, which speaking voices keep within

// The colour class of an accuracy (0-100), as the words are coloured.
function accuracyClass(accuracy) {
  if (accuracy === null || accuracy === undefined) return "";
  return accuracy >= 80 ? "good" : accuracy >= 45 ? "fair" : "poor";
}

const PLOT_COLOURS = {good: "#1b5e20", fair: "#e65100", poor: "#b71c1c", "": "#555"};

function drawPlot(canvas, samples, rate, f0, doc) {
  const g = canvas.getContext("2d");
  const w = canvas.width, h = canvas.height;
  const wave = {top: 40, height: h - 120}, phones = h - 60;
  const seconds = Math.max(samples.length / rate, 0.01);
  const x = (t) => (t / seconds) * w;
  g.clearRect(0, 0, w, h);

  // The waveform: each column's lowest and highest sample.
  g.fillStyle = "#90a4ae";
  const per = Math.max(1, Math.floor(samples.length / w));
  let peak = 1;
  for (const s of samples) peak = Math.max(peak, Math.abs(s));
  const mid = wave.top + wave.height / 2;
  for (let col = 0; col < w; col++) {
    let lo = 0, hi = 0;
    for (let i = col * per; i < Math.min(samples.length, (col + 1) * per); i++) {
      lo = Math.min(lo, samples[i]);
      hi = Math.max(hi, samples[i]);
    }
    const y0 = mid - (hi / peak) * (wave.height / 2), y1 = mid - (lo / peak) * (wave.height / 2);
    g.fillRect(col, y0, 1, Math.max(1, y1 - y0));
  }

  // Words: their boundaries and names above the waveform.
  g.font = "14px sans-serif";
  g.textBaseline = "top";
  for (const word of doc.words || []) {
    if (word.start === null) continue;
    g.strokeStyle = "#37474f";
    g.beginPath();
    g.moveTo(x(word.start), 20);
    g.lineTo(x(word.start), phones + 40);
    g.moveTo(x(word.end), 20);
    g.lineTo(x(word.end), phones + 40);
    g.stroke();
    g.fillStyle = PLOT_COLOURS[accuracyClass(word.accuracy)];
    g.fillText(word.word === null ? "(inserted)" : word.word, x(word.start) + 3, 4);
    // Phones: lighter boundaries, names below the waveform.
    for (const p of word.phones) {
      g.strokeStyle = "#cfd8dc";
      g.beginPath();
      g.moveTo(x(p.start), wave.top);
      g.lineTo(x(p.start), phones + 40);
      g.stroke();
      g.fillStyle = PLOT_COLOURS[accuracyClass(p.accuracy)];
      g.fillText(p.phone, x(p.start) + 2, phones);
      if (p.heard && p.heard !== p.phone) g.fillText(p.heard, x(p.start) + 2, phones + 18);
    }
  }

  // The F0 contour over the waveform, broken where the frame is unvoiced.
  if (!f0) return;
  const [lo, hi] = PLOT_F0_RANGE;
  const y = (hz) => wave.top + wave.height - ((Math.min(hi, Math.max(lo, hz)) - lo) / (hi - lo)) * wave.height;
  g.strokeStyle = "#1565c0";
  g.lineWidth = 2;
  g.beginPath();
  let drawing = false;
  for (const frame of f0.f0) {
    if (frame.hz <= 0) {
      drawing = false;
      continue;
    }
    if (drawing) g.lineTo(x(frame.time), y(frame.hz));
    else g.moveTo(x(frame.time), y(frame.hz));
    drawing = true;
  }
  g.stroke();
  g.lineWidth = 1;
  g.fillStyle = "#1565c0";
  g.fillText(hi + " Hz", w - 60, wave.top);
  g.fillText(lo + " Hz", w - 60, wave.top + wave.height - 16);
}
