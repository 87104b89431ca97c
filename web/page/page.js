// The try-it page: the plug-in's face, the demo loop or the user's file through
// the plug-in, tempo, programs, an A/B switch, and the render as a file.
import { SourceError, decodeAtOwnRate, decodeDemoLoop, decodeFile } from './audio_source.js';
import { PluginHost } from './plugin_host.js';
import { wavFileOf } from './wav_file.js';

const $ = (id) => document.getElementById(id);
const kDemoLoopUrl = new URL('./demo-loop.wav', import.meta.url);
const kDemoLoopName = 'The built-in demo loop (8 s, 120 bpm)';

const page = {
  context: null,    // the AudioContext, made on the first press of Play
  host: null,       // the plug-in in it
  buffer: null,     // what plays, decoded at the context's rate
  bytes: null,      // and its file
  sourceName: '',
  player: null,     // the looping AudioBufferSourceNode while playing
  busy: false,
};

function say(text, isError = false) {
  $('message').textContent = text;
  $('message').classList.toggle('error', isError);
}

function tempo() {
  const bpm = Number($('tempo').value);
  return Number.isFinite(bpm) && bpm >= 20 && bpm <= 300 ? bpm : 120;
}

// Everything that needs an AudioContext waits for the first user gesture, as
// browsers require before sound.
async function ready() {
  if (page.host) return;
  page.context = new AudioContext({ latencyHint: 'interactive' });
  say('Loading the plug-in…');
  page.host = await PluginHost.create(page.context);
  page.host.node.connect(page.context.destination);
  fillPrograms(page.host.programNames(), page.host.program());
  const face = $('face');
  face.replaceChildren(await page.host.createGui());
  if (!page.buffer) await useDemoLoop();
  say('');
}

async function useDemoLoop() {
  useSource(await decodeDemoLoop(page.context, kDemoLoopUrl), kDemoLoopName);
}

function fillPrograms(names, current) {
  const select = $('program');
  select.replaceChildren(...names.map((name, i) => new Option(name, String(i), false, i === current)));
}

function useSource({ buffer, bytes }, name) {
  const wasPlaying = page.player !== null;
  stop();
  page.buffer = buffer;
  page.bytes = bytes;
  page.sourceName = name;
  $('source-name').textContent = name;
  $('demo').hidden = name === kDemoLoopName;
  if (wasPlaying) play();
}

function play() {
  const source = new AudioBufferSourceNode(page.context, { buffer: page.buffer, loop: true });
  source.connect(page.host.node);
  page.host.startTransport(tempo());
  source.start();
  page.player = source;
  $('play').textContent = 'Stop';
}

function stop() {
  if (!page.player) return;
  page.player.stop();
  page.player.disconnect();
  page.player = null;
  page.host.stopTransport();
  $('play').textContent = 'Play';
}

async function guarded(work) {
  if (page.busy) return;
  page.busy = true;
  try {
    await work();
  } catch (error) {
    say(error instanceof SourceError ? error.message : `Something went wrong: ${error.message}`, true);
  } finally {
    page.busy = false;
  }
}

async function takeFile(file) {
  await ready();
  const decoded = await decodeFile(page.context, file);
  useSource(decoded, `${file.name} (${decoded.buffer.duration.toFixed(1)} s)`);
  say(`Playing "${file.name}" through the plug-in: press Play.`);
}

// A file from the picker or a drop.
function offerFile(file) {
  return guarded(() => takeFile(file));
}

// The whole source once through a copy of the plug-in in its current state,
// faster than real time, as a 32-bit float WAV file.
async function download() {
  await ready();
  const buffer = await decodeAtOwnRate(page.bytes, page.buffer.sampleRate);
  say(`Rendering ${buffer.duration.toFixed(1)} s…`);
  const offline = new OfflineAudioContext(2, buffer.length, buffer.sampleRate);
  const copy = await PluginHost.create(offline, await page.host.state());
  const source = new AudioBufferSourceNode(offline, { buffer });
  source.connect(copy.node);
  copy.node.connect(offline.destination);
  copy.startTransport(tempo());
  source.start();
  const rendered = await offline.startRendering();
  const link = document.createElement('a');
  link.href = URL.createObjectURL(wavFileOf(rendered));
  link.download = `tavrellion-${page.host.programNames()[page.host.program()] ?? 'render'}.wav`
                      .replace(/[^\w.-]+/g, '-').toLowerCase();
  link.click();
  setTimeout(() => URL.revokeObjectURL(link.href), 60_000);
  say(`The render is in your downloads (${rendered.duration.toFixed(1)} s, 32-bit float WAV).`);
}

$('play').addEventListener('click', () => guarded(async () => {
  await ready();
  if (page.player) stop(); else play();
}));
$('tempo').addEventListener('change', () => page.host?.setTempo(tempo()));
$('program').addEventListener('change', (e) => page.host?.selectProgram(Number(e.target.value)));
$('bypass').addEventListener('click', () => guarded(async () => {
  await ready();
  const on = $('bypass').getAttribute('aria-pressed') !== 'true';
  page.host.setBypass(on);
  $('bypass').setAttribute('aria-pressed', String(on));
  $('bypass').textContent = on ? 'A/B: bypassed' : 'A/B: effect';
}));
$('file').addEventListener('change', (e) => {
  const [file] = e.target.files;
  e.target.value = '';
  if (file) offerFile(file);
});
$('demo').addEventListener('click', () => guarded(useDemoLoop));
$('download').addEventListener('click', () => guarded(download));

// A file dropped anywhere on the page.
document.addEventListener('dragover', (e) => {
  e.preventDefault();
  document.body.classList.add('dropping');
});
document.addEventListener('dragleave', () => document.body.classList.remove('dropping'));
document.addEventListener('drop', (e) => {
  e.preventDefault();
  document.body.classList.remove('dropping');
  const [file] = e.dataTransfer.files;
  if (file) offerFile(file);
});

// For the page's own tests.
window.tavrellionPage = { page, ready, offerFile, useDemoLoop, download, say };
