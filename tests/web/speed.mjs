// Speed, a report and not a check of time: nanoseconds per stereo frame in the
// AudioWorklet (an offline render of the demo loop's first seconds, looped, with
// the plug-in, less the same graph through a worklet that only copies its input:
// what any worklet node costs is not the plug-in's) and in the native CLAP
// plug-in (tavhost's median callback of 128 frames). The browser is one of its
// own that compiles wasm with its optimising tier from the start: each render
// makes a fresh instance, which would otherwise run its first seconds on the
// baseline tier while the optimised code is made beside it, as it does only in
// the first moments of a session.
import { openBrowser, toBase64 } from './browser.mjs';

const rate = 48000;

async function offlineMs(page, spec, node) {
	return page.evaluate(async (spec, node) => {
		const bytesOf = (text) => Uint8Array.from(atob(text), (c) => c.charCodeAt(0));
		const { initializeWamHost } = await import('/plugin/sdk/index.js');
		const { default: Tavrellion } = await import('/plugin/index.js');
		const context = new OfflineAudioContext({ numberOfChannels: 2, length: spec.frames * spec.loops, sampleRate: spec.rate });
		const buffer = context.createBuffer(2, spec.frames, spec.rate);
		for (let c = 0; c < 2; c++) buffer.copyToChannel(new Float32Array(bytesOf(spec.input[c]).buffer), c);
		const source = context.createBufferSource();
		source.buffer = buffer;
		source.loop = true;
		let last = context.destination;
		if (node === 'copy') {
			const copier = `registerProcessor('copy', class extends AudioWorkletProcessor {
				process([input], [output]) {
					for (let c = 0; c < output.length; c++) if (input[c]) output[c].set(input[c]);
					return true;
				}
			});`;
			await context.audioWorklet.addModule(URL.createObjectURL(new Blob([copier], { type: 'text/javascript' })));
			const copy = new AudioWorkletNode(context, 'copy', { outputChannelCount: [2] });
			copy.connect(context.destination);
			last = copy;
		} else {
			const [group] = await initializeWamHost(context);
			const plugin = await Tavrellion.createInstance(group, context);
			plugin.audioNode.scheduleEvents({ type: 'wam-transport', time: 0, data: { currentBar: 0, currentBarStarted: 0, tempo: 120, timeSigNumerator: 4, timeSigDenominator: 4, playing: true } });
			await plugin.audioNode.status();
			plugin.audioNode.connect(context.destination);
			last = plugin.audioNode;
		}
		source.connect(last);
		source.start(0);
		const started = performance.now();
		await context.startRendering();
		return performance.now() - started;
	}, spec, node);
}

export default [{
	name: 'speed (reported, not judged)',
	async run(ctx) {
		const input = ctx.native.input(rate).channels;
		const frames = Math.round(ctx.seconds * rate);
		const loops = 16;
		const spec = { rate, frames, loops, input: [toBase64(input[0].subarray(0, frames)), toBase64(input[1].subarray(0, frames))] };
		// Each graph's fastest of five, taken in turns: the machine's other work
		// only ever adds time.
		const withPlugin = [];
		const throughCopy = [];
		const { browser, page } = await openBrowser(new URL(ctx.page.url()).origin, ['--js-flags=--no-liftoff']);
		try {
			for (let i = 0; i < 5; i++) {
				withPlugin.push(await offlineMs(page, spec, 'plugin'));
				throughCopy.push(await offlineMs(page, spec, 'copy'));
			}
		} finally {
			await browser.close();
		}
		const best = [Math.min(...withPlugin), Math.min(...throughCopy)];
		const browserNs = ((best[0] - best[1]) * 1e6) / (frames * loops);
		const report = ctx.native.run('clap', ['--generate', 'demo-loop', '--rate', String(rate), '--block', '128', '--callback-times']);
		const median = /median ([0-9.]+)/.exec(report);
		const nativeNs = median ? (Number(median[1]) * 1000) / 128 : NaN;
		return {
			ok: Number.isFinite(nativeNs) && browserNs > 0,
			detail: `browser ${browserNs.toFixed(1)} ns per stereo frame (fastest of 5: ${best[0].toFixed(0)} ms with the plug-in, ${best[1].toFixed(0)} ms through a copying worklet, ${frames * loops} frames); native CLAP ${nativeNs.toFixed(1)} ns (median callback of 128 frames); ratio ${(browserNs / nativeNs).toFixed(2)}`,
		};
	},
}];
