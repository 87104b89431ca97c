// What the page plays: the built-in demo loop or the user's own file, decoded
// whole. Files the page cannot hold or decode are refused with a message that
// says why, before anything else changes.
export const kMaxFileBytes = 200 * 1024 * 1024;
export const kMaxSeconds = 20 * 60;

export class SourceError extends Error {}

function megabytes(bytes) {
  return `${(bytes / (1024 * 1024)).toFixed(0)} MB`;
}

// The rate a WAV file's header gives; none for other files.
export function wavRate(bytes) {
  const view = new DataView(bytes);
  const tag = (at) => String.fromCharCode(...new Uint8Array(bytes, at, 4));
  if (bytes.byteLength < 28 || tag(0) !== 'RIFF' || tag(8) !== 'WAVE' || tag(12) !== 'fmt ') return null;
  return view.getUint32(24, true) || null;
}

// Decoded in a context of the file's own rate where the file says it (a context
// resamples what it decodes to its own rate): the render a visitor downloads
// is then the file's, sample for sample.
export async function decodeAtOwnRate(bytes, fallbackRate) {
  const rate = wavRate(bytes) ?? fallbackRate;
  return new OfflineAudioContext(2, 1, rate).decodeAudioData(bytes.slice(0));
}

// A decoded file and its bytes.
export async function decodeFile(context, file) {
  if (file.size === 0) throw new SourceError(`"${file.name}" is empty.`);
  if (file.size > kMaxFileBytes) {
    throw new SourceError(`"${file.name}" is ${megabytes(file.size)}: the page holds files ` +
                          `up to ${megabytes(kMaxFileBytes)}.`);
  }
  let buffer;
  const bytes = await file.arrayBuffer();
  try {
    buffer = await context.decodeAudioData(bytes.slice(0));
  } catch {
    throw new SourceError(`"${file.name}" is not audio this browser can read ` +
                          '(WAV, FLAC, Ogg, MP3 and AAC usually are).');
  }
  if (buffer.duration > kMaxSeconds) {
    throw new SourceError(`"${file.name}" lasts ${(buffer.duration / 60).toFixed(0)} minutes: ` +
                          `the page holds up to ${kMaxSeconds / 60}.`);
  }
  return { buffer, bytes };
}

export async function decodeDemoLoop(context, url) {
  const response = await fetch(url);
  if (!response.ok) throw new SourceError('The demo loop is missing from this page.');
  const bytes = await response.arrayBuffer();
  return { buffer: await context.decodeAudioData(bytes.slice(0)), bytes };
}
