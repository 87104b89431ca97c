// tavrellion.wasm itself, in node as the worklet holds it: every entry point
// with nonsense gets a clear refusal, and what the instance held stays as it was.
import { readFileSync } from 'node:fs';
import { join } from 'node:path';

function load(webDir) {
	const module = new WebAssembly.Module(readFileSync(join(webDir, 'tavrellion.wasm')));
	const w = new WebAssembly.Instance(module, {}).exports;
	w._initialize();
	return w;
}

const stateOf = (w, h) => {
	const size = w.tav_state_save(h);
	return size < 0 ? null : Buffer.from(new Uint8Array(w.memory.buffer, w.tav_state_data(h), size));
};

// Each row: what is called, and whether its answer is the refusal it must be.
const refusals = (w, h) => [
	['create at NaN Hz', () => w.tav_create(NaN, 128), (r) => r === 0],
	['create at -44100 Hz', () => w.tav_create(-44100, 128), (r) => r === 0],
	['create with 0 frames', () => w.tav_create(44100, 0), (r) => r === 0],
	['create with a million frames', () => w.tav_create(44100, 1e6), (r) => r === 0],
	['process more frames than made for', () => w.tav_process(h, 129, 0), (r) => r === 0],
	['process -1 frames', () => w.tav_process(h, -1, 0), (r) => r === 0],
	['process more changes than the table holds', () => w.tav_process(h, 128, w.tav_max_changes() + 1), (r) => r === 0],
	['process on handle 0', () => w.tav_process(0, 128, 0), (r) => r === 0],
	['process on handle 65', () => w.tav_process(65, 128, 0), (r) => r === 0],
	['process on handle -7', () => w.tav_process(-7, 128, 0), (r) => r === 0],
	['input of channel 2', () => w.tav_input(h, 2), (r) => r === 0],
	['output of a handle never made', () => w.tav_output(33, 0), (r) => r === 0],
	['info past the last parameter', () => w.tav_param_info(h, 99), (r) => r === 0],
	['info at -1', () => w.tav_param_info(h, -1), (r) => r === 0],
	['value of id 999', () => w.tav_value(h, 999), Number.isNaN],
	['value of id NaN', () => w.tav_value(h, NaN), Number.isNaN],
	['text of NaN', () => w.tav_value_text(h, 4, NaN), (r) => r === -1],
	['text of id 999', () => w.tav_value_text(h, 999, 1), (r) => r === -1],
	['edit to NaN', () => w.tav_edit(h, 4, NaN), (r) => r === 0],
	['edit to Infinity', () => w.tav_edit(h, 1003, Infinity), (r) => r === 0],
	['edit of id 999', () => w.tav_edit(h, 999, 1), (r) => r === 0],
	['program 7', () => w.tav_select_program(h, 7), (r) => r === 0],
	['program -1', () => w.tav_select_program(h, -1), (r) => r === 0],
	['name of program 7', () => w.tav_program_name(h, 7), (r) => r === -1],
	['room for no state', () => w.tav_state_room(h, 0), (r) => r === 0],
	['room for two megabytes', () => w.tav_state_room(h, 2 << 20), (r) => r === 0],
	['load without room asked for', () => w.tav_state_load(h, 16), (r) => r === 0],
	['save on handle 0', () => w.tav_state_save(0), (r) => r === -1],
	['destroy handle 0', () => w.tav_destroy(0), (r) => r === 0],
];

export function moduleChecks(webDir) {
	return [
		{
			name: 'the module refuses nonsense at every entry point and keeps its state',
			async run() {
				const w = load(webDir);
				const h = w.tav_create(48000, 128);
				if (h === 0) return { ok: false, detail: 'no instance at 48 kHz' };
				w.tav_select_program(h, 5);
				w.tav_process(h, 0, 0);
				const before = stateOf(w, h);
				const wrong = refusals(w, h).filter(([, call, good]) => !good(call())).map(([name]) => name);
				const after = stateOf(w, h);
				const kept = before !== null && after !== null && before.equals(after);
				return { ok: wrong.length === 0 && kept, detail: wrong.length ? `not refused: ${wrong.join(', ')}` : `${refusals(w, h).length} refused, state ${kept ? 'kept' : 'CHANGED'}` };
			},
		},
		{
			name: 'the module refuses non-finite and unknown timed changes and a damaged state',
			async run() {
				const w = load(webDir);
				const h = w.tav_create(44100, 128);
				const before = stateOf(w, h);
				const table = new Float64Array(w.memory.buffer, w.tav_changes(h), 3 * 6);
				table.set([0, 4, NaN, 5, 4, Infinity, NaN, 4, 50, 3, 999, 1, 2, -1, 1, 1e300, 1e300, 1]);
				w.tav_set_transport(h, NaN, -4, 0, 1, NaN, -1e30);
				const processed = w.tav_process(h, 128, 6);
				const refused = w.tav_refused_changes(h);
				const output = new Float32Array(w.memory.buffer, w.tav_output(h, 0), 128);
				const finite = output.every(Number.isFinite);
				const damaged = before.subarray(0, before.length - 3);
				new Uint8Array(w.memory.buffer, w.tav_state_room(h, damaged.length), damaged.length).set(damaged);
				const loaded = w.tav_state_load(h, damaged.length);
				const kept = stateOf(w, h).equals(before);
				return {
					ok: processed === 1 && refused === 6 && finite && loaded === 0 && kept,
					detail: `${refused} of 6 changes refused, output ${finite ? 'finite' : 'NOT finite'}, cut state ${loaded ? 'TAKEN' : 'refused'}, state ${kept ? 'kept' : 'CHANGED'}`,
				};
			},
		},
	];
}
