// The try-it page as a visitor uses it: the plug-in, its programs and face load;
// files it cannot hold or read are refused with a message and nothing changes;
// "Download the render" gives what the desktop plug-in renders of the same loop.
import { readFileSync, writeFileSync } from 'node:fs';
import { join } from 'node:path';
import { readWav, largestDifference } from './wav.mjs';

const kProgram = 3;

// In the page: loads the plug-in as the first press of Play does.
const start = async () => {
	await window.tavrellionPage.ready();
	const select = document.getElementById('program');
	return {
		programs: [...select.options].map((o) => o.textContent),
		face: document.querySelector('#face canvas') ? 'drawn in a canvas' : 'missing',
		source: document.getElementById('source-name').textContent,
	};
};

// In the page: offers a file as the picker or a drop would, and reads what the
// page then says and plays. A file given as a size alone stands for one too
// large to read at all: the page must refuse it before it reads anything.
const offer = async (file) => {
	const { offerFile, say } = window.tavrellionPage;
	const bytes = file.base64 ? Uint8Array.from(atob(file.base64), (c) => c.charCodeAt(0)) : new Uint8Array(0);
	const given = file.size === undefined ? new File([bytes], file.name)
		: { name: file.name, size: file.size, arrayBuffer: () => { throw new Error('read a file it should refuse'); } };
	say('');
	await offerFile(given);
	const message = document.getElementById('message');
	return { message: message.textContent, error: message.classList.contains('error'), source: document.getElementById('source-name').textContent };
};

// In the page: the render the download button gives, as base64 WAV bytes.
const downloadRender = async (program) => {
	const { page, download } = window.tavrellionPage;
	await page.host.selectProgram(program);
	document.getElementById('program').value = String(program);
	let url = null;
	const click = HTMLAnchorElement.prototype.click;
	HTMLAnchorElement.prototype.click = function () { url = this.href; };
	try {
		await download();
	} finally {
		HTMLAnchorElement.prototype.click = click;
	}
	const bytes = new Uint8Array(await (await fetch(url)).arrayBuffer());
	let text = '';
	for (let i = 0; i < bytes.length; i += 0x8000) text += String.fromCharCode(...bytes.subarray(i, i + 0x8000));
	return btoa(text);
};

const badFiles = [
	{ file: { name: 'empty.wav', base64: '' }, says: /is empty/ },
	{ file: { name: 'notes.txt', base64: btoa('these are not samples') }, says: /is not audio/ },
	{ file: { name: 'huge.wav', size: 300 * 1024 * 1024 }, says: /holds files up to/ },
];

export default [
	{
		name: 'the page loads the plug-in, its seven programs and its face',
		async run(ctx) {
			const got = await ctx.page.evaluate(start);
			const ok = got.programs.length === 7 && got.face !== 'missing' && /demo loop/.test(got.source);
			return { ok, detail: `programs ${got.programs.join(', ')}; face ${got.face}; playing "${got.source}"` };
		},
	},
	...badFiles.map((c) => ({
		name: `the page refuses ${c.file.name} and keeps what plays`,
		async run(ctx) {
			const before = await ctx.page.evaluate(start);
			const got = await ctx.page.evaluate(offer, c.file);
			const ok = got.error && c.says.test(got.message) && got.source === before.source;
			return { ok, detail: `"${got.message}", playing "${got.source}"` };
		},
	})),
	{
		name: 'a WAV file of the visitor\'s plays instead of the loop',
		async run(ctx) {
			const path = join(ctx.tmp, 'visitor.wav');
			ctx.native.run('vst2', ['--generate', 'chord', '--length', '1', '--write-input', path, '--out', join(ctx.tmp, 'visitor-out.wav')]);
			const got = await ctx.page.evaluate(offer, { name: 'visitor.wav', base64: readFileSync(path).toString('base64') });
			return { ok: !got.error && got.source.startsWith('visitor.wav'), detail: `playing "${got.source}"` };
		},
	},
	{
		name: `the page's download of program ${kProgram} equals VST 2's render of the loop`,
		async run(ctx) {
			await ctx.page.evaluate(start);
			await ctx.page.evaluate(async () => window.tavrellionPage.useDemoLoop());
			const path = join(ctx.tmp, 'page-render.wav');
			writeFileSync(path, Buffer.from(await ctx.page.evaluate(downloadRender, kProgram), 'base64'));
			const browser = readWav(path).channels;
			const native = ctx.native.render('vst2', 44100, ['--program', String(kProgram)]);
			const difference = largestDifference(browser, native);
			return { ok: difference === 0, detail: `largest difference ${difference}` };
		},
	},
];
