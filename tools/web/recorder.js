// recorder.js - the microphone, recorded and made into a 16 kHz mono WAV
// file, the form the recogniser's model was trained on.
"use strict";

const KH_RATE = 16000;

class Recorder {
  // Asks for the microphone and starts recording; throws the browser's
  // error (NotAllowedError, NotFoundError, ...) when it cannot.
  async start() {
    if (!navigator.mediaDevices || !navigator.mediaDevices.getUserMedia) {
      const e = new Error("this browser cannot record here (it needs https or localhost)");
      e.name = "NotSupportedError";
      throw e;
    }
    // The learner's voice as it is: no processing that would colour it.
    this.stream = await navigator.mediaDevices.getUserMedia({
      audio: {channelCount: 1, echoCancellation: false, noiseSuppression: false, autoGainControl: false},
    });
    this.context = new AudioContext();
    await this.context.resume();
    this.chunks = [];
    this.source = this.context.createMediaStreamSource(this.stream);
    this.node = this.context.createScriptProcessor(4096, 1, 1);
    this.node.onaudioprocess = (event) => {
      this.chunks.push(new Float32Array(event.inputBuffer.getChannelData(0)));
    };
    this.source.connect(this.node);
    this.node.connect(this.context.destination);
  }

  // Stops and answers {samples: Int16Array at 16 kHz, wav: Blob}.
  async stop() {
    this.source.disconnect();
    this.node.disconnect();
    this.stream.getTracks().forEach((t) => t.stop());
    const rate = this.context.sampleRate;
    await this.context.close();
    const samples = toInt16(downsample(concat(this.chunks), rate, KH_RATE));
    return {samples, wav: wavBlob(samples, KH_RATE)};
  }
}

function concat(chunks) {
  const out = new Float32Array(chunks.reduce((n, c) => n + c.length, 0));
  let at = 0;
  for (const c of chunks) {
    out.set(c, at);
    at += c.length;
  }
  return out;
}

// Each output sample is the mean of the input samples it stands for: a
// box filter that keeps what lies above 8 kHz from folding back.
function downsample(input, from, to) {
  if (from === to) return input;
  const ratio = from / to;
  const out = new Float32Array(Math.floor(input.length / ratio));
  for (let i = 0; i < out.length; i++) {
    const start = Math.floor(i * ratio), end = Math.min(input.length, Math.floor((i + 1) * ratio));
    let sum = 0;
    for (let j = start; j < end; j++) sum += input[j];
    out[i] = end > start ? sum / (end - start) : 0;
  }
  return out;
}

function toInt16(floats) {
  const out = new Int16Array(floats.length);
  for (let i = 0; i < floats.length; i++) {
    const s = Math.max(-1, Math.min(1, floats[i]));
    out[i] = s < 0 ? s * 0x8000 : s * 0x7fff;
  }
  return out;
}

function wavBlob(samples, rate) {
  const header = new DataView(new ArrayBuffer(44));
  const text = (at, s) => [...s].forEach((ch, i) => header.setUint8(at + i, ch.charCodeAt(0)));
  const bytes = samples.length * 2;
  text(0, "RIFF");
  header.setUint32(4, 36 + bytes, true);
  text(8, "WAVE");
  text(12, "fmt ");
  header.setUint32(16, 16, true);
  header.setUint16(20, 1, true);  // PCM
  header.setUint16(22, 1, true);  // mono
  header.setUint32(24, rate, true);
  header.setUint32(28, rate * 2, true);
  header.setUint16(32, 2, true);
  header.setUint16(34, 16, true);
  text(36, "data");
  header.setUint32(40, bytes, true);
  return new Blob([header.buffer, samples.buffer], {type: "audio/wav"});
}
