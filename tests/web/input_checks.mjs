// Bad input from a page or a host: non-finite values, events out of order or
// far ahead, a transport without a usable tempo. Each is refused or put right,
// and the sound is what the same good events give on the desktop.
import { renderInBrowser, toBase64, withNode } from './browser.mjs';
import { largestDifference } from './wav.mjs';
import { automationRamp, transportEvent } from './transport.mjs';

const rate = 44100;
const kWetLeft = 4;

function spec(ctx, events) {
	const input = ctx.native.input(rate).channels;
	const frames = Math.round(ctx.seconds * rate);
	return { rate, frames, input: [toBase64(input[0].subarray(0, frames)), toBase64(input[1].subarray(0, frames))], events };
}

const automation = (time, id, value) => ({ type: 'wam-automation', time, data: { id: String(id), value, normalized: false } });

async function sameAs(ctx, events, format, args, expectRefused) {
	const browser = await renderInBrowser(ctx.page, spec(ctx, events));
	const native = ctx.native.render(format, rate, ['--block', '128', ...args]);
	const difference = largestDifference(browser.channels, native);
	const refused = browser.after ? browser.after.refused : -1;
	return { ok: difference === 0 && refused === expectRefused, detail: `largest difference ${difference}, ${refused} events refused (${expectRefused} expected)` };
}

const ramp = (ctx) => automationRamp(kWetLeft, { min: 0, max: 100 }, 0.1, 0.95, rate, 3 * rate, Math.round(ctx.seconds * rate), rate);

const renderCases = [
	{
		name: 'non-finite automation values are refused and change nothing',
		run: (ctx) => sameAs(ctx, [transportEvent(0, 120),
			automation(0.5, kWetLeft, NaN), automation(1, kWetLeft, Infinity), automation(1.5, 1000, -Infinity), automation(2, 1003, NaN)],
		'vst2', [], 4),
	},
	{
		name: 'automation scheduled in reverse order plays in time order',
		run: (ctx) => sameAs(ctx, [transportEvent(0, 120), ...ramp(ctx).reverse()], 'clap', ['--ramp', `${kWetLeft}=0.1:0.95@1s:3s`], 0),
	},
	{
		name: 'events far in the future, at no time or for unknown ids change nothing',
		run: (ctx) => sameAs(ctx, [transportEvent(0, 120),
			automation(1e9, kWetLeft, 3), automation(Infinity, kWetLeft, 3), automation(NaN, kWetLeft, 3),
			{ type: 'wam-transport', time: 1e12, data: { tempo: 60, playing: false } },
			automation(1, 777, 1), automation(1, -1, 1)],
		'vst2', [], 2),
	},
	{
		// In Song sync, placed inside bar 2: a tempo taken for granted would give it beats.
		name: 'a transport with NaN tempo is a transport without tempo',
		run: (ctx) => sameAs(ctx, [transportEvent(0, NaN, { bar: 2, barStarted: -0.3 }), automation(0, 1002, 1)], 'clap', ['--tempo', '0', '--set', '1002=1'], 0),
	},
];

const nodeCases = {
	name: 'edits and program choices with nonsense are refused with nothing changed',
	async run(ctx) {
		const outcome = await withNode(ctx.page, async (node) => {
			const before = JSON.stringify([...(await node.values())]);
			const tries = [
				[4, NaN], [4, Infinity], [4, -Infinity], [1000, NaN], [1003, Infinity], [1001, NaN],
				[777, 1], [-1, 1], [4, '50'], [4, null], [1001, 7], [1001, -1],
			];
			const taken = [];
			for (const [id, value] of tries) if (await node.edit(id, value)) taken.push(`edit ${id}=${value}`);
			for (const program of [7, -1, 1.5, NaN, '2', null]) if (await node.selectProgram(program)) taken.push(`program ${program}`);
			if ((await node.textValue(4, 'x'.repeat(1000))) !== null) taken.push('a text of 1000 characters');
			if ((await node.valueText(4, NaN)) !== null) taken.push('the text of NaN');
			const after = JSON.stringify([...(await node.values())]);
			return { taken, same: before === after };
		});
		return { ok: outcome.taken.length === 0 && outcome.same, detail: outcome.taken.length ? `taken: ${outcome.taken.join(', ')}` : `all refused, values ${outcome.same ? 'unchanged' : 'CHANGED'}` };
	},
};

export default [...renderCases, nodeCases];
