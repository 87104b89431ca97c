// Renders in the browser against the desktop modules' renders of the same
// events: every factory program at both rates against VST 2, and the transport
// and automation cases against CLAP in 128-frame blocks. Each must match exactly.
import { renderInBrowser, toBase64 } from './browser.mjs';
import { largestDifference } from './wav.mjs';
import { automationRamp, startingAt, tempoRamp, transportEvent } from './transport.mjs';

const kWetLeft = 4;
const kSweepSync = 1002;

// tavhost's default transport: 120 BPM, 4/4, playing from the song's start.
const steady = () => [transportEvent(0, 120)];

function browserSpec(ctx, rate, extra) {
	const input = ctx.native.input(rate).channels;
	const frames = Math.round(ctx.seconds * rate);
	return { rate, frames, input: [toBase64(input[0].subarray(0, frames)), toBase64(input[1 % input.length].subarray(0, frames))], ...extra };
}

async function compare(ctx, rate, spec, format, args) {
	const browser = await renderInBrowser(ctx.page, browserSpec(ctx, rate, spec));
	const native = ctx.native.render(format, rate, args);
	const difference = largestDifference(browser.channels, native);
	const refused = browser.after ? browser.after.refused : 'no status';
	return { ok: difference === 0 && refused === 0, detail: `largest difference ${difference}${refused ? `, ${refused} events refused` : ''}` };
}

const programCases = [44100, 48000].flatMap((rate) =>
	[0, 1, 2, 3, 4, 5, 6].map((program) => ({
		name: `program ${program} at ${rate} Hz equals VST 2`,
		run: (ctx) => compare(ctx, rate, { program, events: steady() }, 'vst2', ['--program', String(program)]),
	})));

const songSync = { type: 'wam-automation', time: 0, data: { id: String(kSweepSync), value: 1 } };
const wetInfo = { min: 0, max: 100 };

const transportCases = [
	{
		// In Song sync, so that the song position counts as much as the tempo.
		name: 'tempo ramp 90 to 150 BPM in Song sync equals CLAP',
		run: (ctx) => compare(ctx, 44100, {
			program: 2,
			events: [...tempoRamp(90, 150, Math.round(ctx.seconds * 44100), 128, 44100), songSync],
		}, 'clap', ['--block', '128', '--program', '2', '--tempo-ramp', '90:150', '--set', `${kSweepSync}=1`]),
	},
	{
		name: 'Song sync from beat 6 equals CLAP',
		run: (ctx) => compare(ctx, 48000, {
			program: 1,
			events: [startingAt(6, 120), songSync],
		}, 'clap', ['--block', '128', '--program', '1', '--start-beat', '6', '--set', `${kSweepSync}=1`]),
	},
	{
		// The stop and the restart fall inside quanta: the worklet splits them there,
		// as tavhost splits its blocks.
		name: 'a pause from beat 5 for 2 beats in Song sync equals CLAP',
		run: (ctx) => compare(ctx, 44100, {
			program: 3,
			events: [transportEvent(0, 120), songSync,
				transportEvent(2.5, 120, { bar: 1, barStarted: 2, playing: false }),
				transportEvent(3.5, 120, { bar: 1, barStarted: 3, playing: true })],
		}, 'clap', ['--block', '128', '--program', '3', '--pause', '5:2', '--set', `${kSweepSync}=1`]),
	},
	{
		name: 'Glide ramp of Wet Left 10 to 95 equals CLAP',
		run: (ctx) => compare(ctx, 44100, {
			events: [...steady(), ...automationRamp(kWetLeft, wetInfo, 0.1, 0.95, 44100, 3 * 44100, Math.round(ctx.seconds * 44100), 44100)],
		}, 'clap', ['--block', '128', '--ramp', `${kWetLeft}=0.1:0.95@1s:3s`]),
	},
];

export default [...programCases, ...transportCases];
