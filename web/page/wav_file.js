// A rendered AudioBuffer as a 32-bit float WAV file, the format the desktop
// renders are compared in.
export function wavFileOf(buffer) {
  const channels = buffer.numberOfChannels;
  const frames = buffer.length;
  const dataBytes = frames * channels * 4;
  const bytes = new ArrayBuffer(44 + dataBytes);
  const view = new DataView(bytes);
  const text = (at, s) => [...s].forEach((c, i) => view.setUint8(at + i, c.charCodeAt(0)));
  text(0, 'RIFF');
  view.setUint32(4, 36 + dataBytes, true);
  text(8, 'WAVE');
  text(12, 'fmt ');
  view.setUint32(16, 16, true);
  view.setUint16(20, 3, true); // IEEE float
  view.setUint16(22, channels, true);
  view.setUint32(24, buffer.sampleRate, true);
  view.setUint32(28, buffer.sampleRate * channels * 4, true);
  view.setUint16(32, channels * 4, true);
  view.setUint16(34, 32, true);
  text(36, 'data');
  view.setUint32(40, dataBytes, true);
  const samples = new Float32Array(bytes, 44);
  for (let c = 0; c < channels; ++c) {
    const channel = buffer.getChannelData(c);
    for (let i = 0; i < frames; ++i) samples[i * channels + c] = channel[i];
  }
  return new Blob([bytes], { type: 'audio/wav' });
}
