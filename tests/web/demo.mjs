// The demo's browser column: every factory program of the demo loop rendered in
// the browser into OUT_DIR/web/demo-<program>.wav, each with its largest
// difference against the VST 2 module's render.
//   node tests/web/demo.mjs BASE_URL NATIVE_BUILD_DIR OUT_DIR
import { mkdirSync, mkdtempSync, rmSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { openBrowser, renderInBrowser, toBase64 } from './browser.mjs';
import { makeNative } from './native.mjs';
import { transportEvent } from './transport.mjs';
import { largestDifference, wavBytes } from './wav.mjs';

const [baseUrl, nativeDir, outDir] = process.argv.slice(2);
const rate = 44100;
const seconds = 32; // the whole loop
const tmp = mkdtempSync(join(tmpdir(), 'tav-web-demo-'));
mkdirSync(join(outDir, 'web'), { recursive: true });
const native = makeNative(nativeDir, tmp, seconds);
const { browser, page } = await openBrowser(baseUrl);
let worst = 0;
try {
	const input = native.input(rate).channels;
	const frames = input[0].length;
	for (let program = 0; program < 7; program++) {
		const result = await renderInBrowser(page, {
			rate, frames, program, events: [transportEvent(0, 120)],
			input: [toBase64(input[0]), toBase64(input[1 % input.length])],
		});
		writeFileSync(join(outDir, 'web', `demo-${program}.wav`), wavBytes(rate, result.channels));
		const difference = largestDifference(result.channels, native.render('vst2', rate, ['--program', String(program)]));
		worst = Math.max(worst, difference);
		console.log(`program ${program}: browser against VST 2, largest difference ${difference}`);
	}
} finally {
	await browser.close();
	rmSync(tmp, { recursive: true, force: true });
}
process.exit(worst === 0 ? 0 : 1);
