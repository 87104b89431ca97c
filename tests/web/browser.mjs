// Headless Chromium on the site folder, and a render of the plug-in inside it:
// the input through Tavrellion's AudioWorklet in an OfflineAudioContext, with
// events scheduled as a WAM host schedules them.
import { createRequire } from 'node:module';

// puppeteer-core lives with the page's packages (web/node_modules, from npm ci).
const puppeteer = createRequire(new URL('../../web/package.json', import.meta.url))('puppeteer-core');

export async function openBrowser(baseUrl, extraArgs = []) {
	const browser = await puppeteer.launch({
		executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
		headless: true,
		args: ['--no-sandbox', '--autoplay-policy=no-user-gesture-required', ...extraArgs],
	});
	const page = await browser.newPage();
	const problems = [];
	page.on('pageerror', (error) => problems.push(String(error)));
	await page.goto(`${baseUrl}/index.html`, { waitUntil: 'load' });
	return { browser, page, problems };
}

export const toBase64 = (floats) => Buffer.from(floats.buffer, floats.byteOffset, floats.byteLength).toString('base64');
export const fromBase64 = (text) => {
	const bytes = Buffer.from(text, 'base64');
	return new Float32Array(bytes.buffer.slice(bytes.byteOffset, bytes.byteOffset + bytes.byteLength));
};

// In the page. spec: rate, frames, input (two base64 channels), events, the
// instance's initial state, and before the render: program, state (base64
// bytes), edits ([id, plain]).
// After: the output, the saved state and what the instance says of itself.
async function renderInPage(spec) {
	const bytesOf = (text) => Uint8Array.from(atob(text), (c) => c.charCodeAt(0));
	const textOf = (bytes) => btoa(Array.from(bytes, (b) => String.fromCharCode(b)).join(''));
	const { initializeWamHost } = await import('/plugin/sdk/index.js');
	const { default: Tavrellion } = await import('/plugin/index.js');
	const context = new OfflineAudioContext({ numberOfChannels: 2, length: spec.frames, sampleRate: spec.rate });
	const [group] = await initializeWamHost(context);
	const plugin = await Tavrellion.createInstance(group, context, spec.initialState ? bytesOf(spec.initialState) : undefined);
	const node = plugin.audioNode;
	const result = { stateLoaded: null, programSelected: null, edits: [] };
	if (spec.state) result.stateLoaded = await node.setState(bytesOf(spec.state));
	if (spec.program !== undefined) result.programSelected = await node.selectProgram(spec.program);
	for (const [id, plain] of spec.edits || []) result.edits.push(await node.edit(id, plain));
	const buffer = context.createBuffer(2, spec.frames, spec.rate);
	for (let c = 0; c < 2; c++) buffer.copyToChannel(new Float32Array(bytesOf(spec.input[c]).buffer), c);
	const source = context.createBufferSource();
	source.buffer = buffer;
	source.connect(node);
	node.connect(context.destination);
	source.start(0);
	const special = { NaN, Infinity, '-Infinity': -Infinity };
	const events = JSON.parse(spec.events || '[]', (key, value) => (typeof value === 'string' && value in special && key !== 'id' ? special[value] : value));
	node.scheduleEvents(...events);
	// Port messages keep their order: once this is answered every event is queued.
	result.before = await node.status();
	const started = performance.now();
	const rendered = await context.startRendering();
	result.elapsedMs = performance.now() - started;
	result.after = await node.status();
	result.values = [...(await node.values())];
	const saved = await node.getState();
	result.state = saved ? textOf(saved) : null;
	result.channels = [0, 1].map((c) => textOf(new Uint8Array(rendered.getChannelData(c).buffer)));
	node.destroy();
	return result;
}

// Events go as JSON with their non-finite numbers as text, which the page turns
// back: the page's own argument passing would make them null.
const eventText = (events) => JSON.stringify(events || [], (key, value) => (typeof value === 'number' && !Number.isFinite(value) ? String(value) : value));

export async function renderInBrowser(page, spec) {
	const result = await page.evaluate(renderInPage, { ...spec, events: eventText(spec.events) });
	result.channels = result.channels.map(fromBase64);
	result.stateBytes = result.state ? Buffer.from(result.state, 'base64') : null;
	return result;
}

// A call into a fresh instance's node in the page: body(node) runs there.
export async function withNode(page, body, arg) {
	return page.evaluate(async (source, arg) => {
		const { initializeWamHost } = await import('/plugin/sdk/index.js');
		const { default: Tavrellion } = await import('/plugin/index.js');
		const context = new OfflineAudioContext({ numberOfChannels: 2, length: 128 * 64, sampleRate: 48000 });
		const [group] = await initializeWamHost(context);
		const plugin = await Tavrellion.createInstance(group, context);
		const run = new Function(`return (${source})`)();
		try {
			return await run(plugin.audioNode, arg, context);
		} finally {
			plugin.audioNode.destroy();
		}
	}, body.toString(), arg);
}
