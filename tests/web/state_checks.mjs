// The state as bytes: what the browser saves, CLAP loads and renders alike (and
// saves again unchanged); damaged bytes are refused with nothing changed.
import { readFileSync, writeFileSync } from 'node:fs';
import { join } from 'node:path';
import { renderInBrowser, toBase64, withNode } from './browser.mjs';
import { largestDifference } from './wav.mjs';
import { transportEvent } from './transport.mjs';

const rate = 48000;
// Program 4 with edits beyond it: an effect parameter, a switch and a setting.
const edits = [[4, 37], [6, 20], [11, 0], [1003, 0]];

function spec(ctx, extra) {
	const input = ctx.native.input(rate).channels;
	const frames = Math.round(ctx.seconds * rate);
	return { rate, frames, input: [toBase64(input[0].subarray(0, frames)), toBase64(input[1].subarray(0, frames))], events: [transportEvent(0, 120)], ...extra };
}

const saveLoad = {
	name: 'state saved in the browser loads in CLAP, renders the same and saves back the same bytes',
	async run(ctx) {
		const edited = await renderInBrowser(ctx.page, spec(ctx, { program: 4, edits }));
		if (!edited.stateBytes || edited.edits.some((done) => !done)) return { ok: false, detail: 'the browser saved no state or refused an edit' };
		const saved = join(ctx.tmp, 'browser.state');
		const resaved = join(ctx.tmp, 'clap.state');
		writeFileSync(saved, edited.stateBytes);
		const clap = ctx.native.render('clap', rate, ['--block', '128', '--load-chunk', saved, '--save-chunk', resaved]);
		const loaded = await renderInBrowser(ctx.page, spec(ctx, { state: edited.stateBytes.toString('base64') }));
		const created = await renderInBrowser(ctx.page, spec(ctx, { initialState: edited.stateBytes.toString('base64') }));
		const same = Buffer.compare(readFileSync(resaved), edited.stateBytes) === 0;
		const fromEdits = largestDifference(edited.channels, clap);
		const reloaded = largestDifference(loaded.channels, clap);
		const initial = largestDifference(created.channels, clap);
		return {
			ok: loaded.stateLoaded === true && fromEdits === 0 && reloaded === 0 && initial === 0 && same,
			detail: `${edited.stateBytes.length} bytes; largest difference against CLAP: edited ${fromEdits}, loaded ${reloaded}, made with it ${initial}; CLAP saves ${same ? 'the same' : 'other'} bytes`,
		};
	},
};

// Each kind of damage, refused, and the instance exactly as it was.
const damages = [
	['cut to half', (bytes) => bytes.slice(0, bytes.length >> 1)],
	['cut to one byte', (bytes) => bytes.slice(0, 1)],
	['empty', () => new Uint8Array(0)],
	['its first bytes garbled', (bytes) => { const out = bytes.slice(); for (let i = 0; i < 8; i++) out[i] ^= 0x5a; return out; }],
	['noise of its size', (bytes) => bytes.map((_, i) => (i * 73 + 41) & 255)],
	['two megabytes', () => new Uint8Array(2 << 20).fill(7)],
	['not bytes: text', () => 'TAVR'],
	['not bytes: null', () => null],
];

const damaged = {
	name: 'damaged states are refused with nothing changed',
	async run(ctx) {
		const outcomes = await withNode(ctx.page, async (node, damages) => {
			await node.selectProgram(3);
			await node.edit(4, 12);
			const before = await node.getState();
			const valuesBefore = JSON.stringify([...(await node.values())]);
			const results = [];
			for (const [name, source] of damages) {
				const make = new Function(`return (${source})`)();
				const refused = (await node.setState(make(before))) === false;
				const after = await node.getState();
				const sameState = after.length === before.length && after.every((b, i) => b === before[i]);
				const sameValues = JSON.stringify([...(await node.values())]) === valuesBefore;
				results.push({ name, expected: refused, sameState, sameValues });
			}
			// And the intact bytes after all that: taken.
			results.push({ name: 'the intact state', expected: (await node.setState(before)) === true, sameState: true, sameValues: true, missed: 'refused' });
			return results;
		}, damages.map(([name, make]) => [name, make.toString()]));
		const bad = outcomes.filter((o) => !o.expected || !o.sameState || !o.sameValues);
		return {
			ok: outcomes.length === damages.length + 1 && bad.length === 0,
			detail: bad.length ? bad.map((o) => `${o.name}: ${o.expected ? '' : `${o.missed || 'taken'} `}${o.sameState ? '' : 'state changed '}${o.sameValues ? '' : 'values changed'}`).join('; ') : `${damages.length} kinds refused, nothing changed, the intact bytes taken`,
		};
	},
};

export default [saveLoad, damaged];
