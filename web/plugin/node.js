// The main thread's side of one instance: the SDK's WamNode, with the state as
// the desktop plug-ins' bytes, the factory programs, and the calls the face's
// link makes, each a request the processor answers between quanta.
import { WamNode } from './sdk/index.js';

export default class TavrellionNode extends WamNode {
	constructor(module, wasmBytes) {
		super(module, {
			processorOptions: { wasmBytes },
			numberOfInputs: 1,
			numberOfOutputs: 1,
			outputChannelCount: [2],
			// A mono source reaches both sides, as a desktop host's stereo bus.
			channelCount: 2,
			channelCountMode: 'explicit',
			channelInterpretation: 'speakers',
		});
		this._asked = new Map();
		this._asking = 1;
		this._changeListeners = new Set();
		this._framePending = false;
	}

	_onMessage(message) {
		const { data } = message;
		if (data && data.tavReply !== undefined) {
			const resolve = this._asked.get(data.tavReply);
			this._asked.delete(data.tavReply);
			if (resolve) resolve(data.result);
			return;
		}
		if (data && data.tavChanged) {
			this._tellChanged();
			return;
		}
		super._onMessage(message);
	}

	// One call per animation frame at most, however many changes came.
	_tellChanged() {
		if (this._framePending || this._changeListeners.size === 0) return;
		this._framePending = true;
		const tell = () => {
			this._framePending = false;
			for (const listener of this._changeListeners) listener();
		};
		if (typeof requestAnimationFrame === 'function') requestAnimationFrame(tell);
		else setTimeout(tell, 16);
	}

	onChange(listener) {
		this._changeListeners.add(listener);
		return () => this._changeListeners.delete(listener);
	}

	_ask(verb, fields = {}) {
		const id = this._asking++;
		return new Promise((resolve) => {
			this._asked.set(id, resolve);
			this.port.postMessage({ tav: verb, id, ...fields });
		});
	}

	// Null when the module could not start, with why in failed.
	status() { return this._ask('status'); }
	describe() { return this._ask('describe'); }
	async values() { return new Map(await this._ask('values')); }
	edit(paramId, value) { return this._ask('edit', { paramId, value }); }
	programNames() { return this._ask('programs'); }
	selectProgram(program) { return this._ask('selectProgram', { program }); }
	valueText(paramId, value) { return this._ask('valueText', { paramId, value }); }
	textValue(paramId, text) { return this._ask('textValue', { paramId, text }); }

	// The same bytes as the VST 3 and CLAP plug-ins save; null when none could be made.
	async getState() {
		const state = await super.getState();
		return state instanceof Uint8Array ? state : null;
	}

	// True when the bytes were taken; anything else leaves the instance as it was.
	async setState(state) {
		return (await super.setState(state)) === true;
	}
}
