// The browser checks: node tests/web/run.mjs BASE_URL NATIVE_BUILD_DIR WEB_BUILD_DIR [--only TEXT]
// Prints a line per check and the count; exits 0 only when every one passed.
import { mkdtempSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { openBrowser } from './browser.mjs';
import { makeNative } from './native.mjs';
import inputChecks from './input_checks.mjs';
import linkChecks from './link_checks.mjs';
import { moduleChecks } from './module_checks.mjs';
import pageChecks from './page_checks.mjs';
import paramChecks from './param_checks.mjs';
import renderChecks from './render_checks.mjs';
import speed from './speed.mjs';
import stateChecks from './state_checks.mjs';

const [baseUrl, nativeDir, webDir, ...rest] = process.argv.slice(2);
const only = rest[0] === '--only' ? rest[1] : null;
const seconds = 8;
const tmp = mkdtempSync(join(tmpdir(), 'tav-web-'));
const checks = [...moduleChecks(webDir), ...renderChecks, ...paramChecks, ...stateChecks, ...inputChecks, ...linkChecks, ...pageChecks, ...speed].filter((check) => !only || check.name.includes(only));

const { browser, page, problems } = await openBrowser(baseUrl);
const ctx = { page, seconds, tmp, native: makeNative(nativeDir, tmp, seconds) };
let passed = 0;
let failed = 0;
try {
	for (const check of checks) {
		let outcome;
		try {
			outcome = await check.run(ctx);
		} catch (error) {
			outcome = { ok: false, detail: `threw ${error && error.stack ? error.stack.split('\n').slice(0, 3).join(' | ') : error}` };
		}
		if (outcome.ok) passed++;
		else failed++;
		console.log(`${outcome.ok ? 'PASS' : 'FAIL'} ${check.name}: ${outcome.detail}`);
	}
	for (const problem of problems) console.log(`page error: ${problem}`);
} finally {
	await browser.close();
	rmSync(tmp, { recursive: true, force: true });
}
console.log(`web: ${passed} passed, ${failed} failed`);
process.exit(failed === 0 && checks.length > 0 ? 0 : 1);
