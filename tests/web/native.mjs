// The desktop side: tavhost renders through the native modules, as the browser
// renders through the wasm.
import { execFileSync } from 'node:child_process';
import { join } from 'node:path';
import { readWav } from './wav.mjs';

export function makeNative(buildDir, tmp, seconds) {
	const host = join(buildDir, 'host', 'tavhost');
	const modules = { vst2: join(buildDir, 'Tavrellion.so'), clap: join(buildDir, 'Tavrellion.clap') };
	const inputs = new Map();
	let serial = 0;
	const run = (format, args) =>
		execFileSync(host, [modules[format], '--quiet', '--length', String(seconds), ...args], { encoding: 'utf8', stdio: ['ignore', 'pipe', 'pipe'] });
	return {
		modules,
		run,
		// The demo loop's first seconds at a rate, as tavhost generates it.
		input(rate) {
			if (!inputs.has(rate)) {
				const path = join(tmp, `in-${rate}.wav`);
				run('vst2', ['--generate', 'demo-loop', '--rate', String(rate), '--write-input', path]);
				inputs.set(rate, readWav(path));
			}
			return inputs.get(rate);
		},
		render(format, rate, args) {
			const path = join(tmp, `native-${serial++}.wav`);
			run(format, ['--generate', 'demo-loop', '--rate', String(rate), '--out', path, ...args]);
			return readWav(path).channels;
		},
	};
}
