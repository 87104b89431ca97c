// The audio side: runs in the AudioWorkletGlobalScope, where addFunctionModule
// turns this function into text, so it may use nothing from outside itself.
// One tavrellion.wasm instance per processor, compiled from the bytes the page
// sends; each quantum's events become the module's timed changes at their
// frames, raw (the effect's Glide is its only smoothing), so the browser renders
// what the desktop plug-ins render for the same events.
const getTavrellionProcessor = (moduleId) => {
	const scope = globalThis;
	const { WamProcessor } = scope.webAudioModules.getModuleScope(moduleId);

	const kQuantum = 128;
	const kProgramId = 1001;
	const kInfoBytes = 136;
	// Events waiting for their quantum: more is a page that floods the port.
	const kMaxQueued = 65536;
	// Further ahead than this an event is someone's mistake, not a plan.
	const kMaxAheadSeconds = 3600;

	// The worklet's scope has no TextDecoder or TextEncoder: UTF-8 by hand.
	const decoder = {
		decode(bytes) {
			let text = '';
			for (let i = 0; i < bytes.length; i++) text += `%${bytes[i].toString(16).padStart(2, '0')}`;
			try {
				return decodeURIComponent(text);
			} catch (error) {
				return '';
			}
		},
	};
	const encoder = {
		encode(text) {
			const escaped = unescape(encodeURIComponent(text));
			const bytes = new Uint8Array(escaped.length);
			for (let i = 0; i < escaped.length; i++) bytes[i] = escaped.charCodeAt(i);
			return bytes;
		},
	};

	class TavrellionProcessor extends WamProcessor {
		constructor(options) {
			super(options);
			this._failed = null;
			this._handle = 0;
			try {
				const module = new WebAssembly.Module(options.processorOptions.wasmBytes);
				this._wasm = new WebAssembly.Instance(module, {}).exports;
				this._wasm._initialize();
				this._handle = this._wasm.tav_create(scope.sampleRate, kQuantum);
				if (this._handle === 0) this._failed = 'the module refused the sample rate';
			} catch (error) {
				this._failed = `the module did not start: ${error}`;
			}
			this._buffer = null;
			this._maxChanges = this._handle ? this._wasm.tav_max_changes() : 0;
			this._changeCount = 0;
			this._refused = 0;
			// The song as the last transport event placed it.
			this._tempo = 0;
			this._numerator = 4;
			this._denominator = 4;
			this._playing = false;
			this._hasTransport = false;
			this._bar = 0;
			this._barStarted = 0;
			this._songSample = 0;
			this._anchorSample = 0;
			this._anchorBeat = 0;
			// Changes the face did not make, told at most about every 20 ms.
			this._changedOutside = false;
			this._sinceNotice = 0;
		}

		_views() {
			const { buffer } = this._wasm.memory;
			if (buffer === this._buffer) return;
			// The module's memory grew (a state load): the old views are detached.
			const w = this._wasm;
			const h = this._handle;
			this._buffer = buffer;
			this._inL = new Float32Array(buffer, w.tav_input(h, 0), kQuantum);
			this._inR = new Float32Array(buffer, w.tav_input(h, 1), kQuantum);
			this._outL = new Float32Array(buffer, w.tav_output(h, 0), kQuantum);
			this._outR = new Float32Array(buffer, w.tav_output(h, 1), kQuantum);
			this._changes = new Float64Array(buffer, w.tav_changes(h), this._maxChanges * 3);
			this._text = new Uint8Array(buffer, w.tav_text(h), w.tav_text_bytes());
		}

		_readText(length) {
			this._views();
			return length < 0 ? null : decoder.decode(this._text.subarray(0, length));
		}

		_initialize() {
			this._parameterInfo = this._generateWamParameterInfo();
			this._parameterState = {};
			this._parameterInterpolators = {};
			this._initialized = true;
		}

		// The parameters as CLAP tells them, with the texts of every step of a list.
		_describe() {
			if (!this._handle) return [];
			const w = this._wasm;
			const list = [];
			for (let i = 0; i < w.tav_param_count(this._handle); i++) {
				const at = w.tav_param_info(this._handle, i);
				const view = new DataView(w.memory.buffer, at, kInfoBytes);
				const flags = view.getUint32(4, true);
				const bytes = new Uint8Array(w.memory.buffer, at, kInfoBytes);
				const cString = (from, size) => {
					const end = bytes.subarray(from, from + size).indexOf(0);
					return decoder.decode(bytes.subarray(from, from + (end < 0 ? size : end)));
				};
				const info = {
					id: view.getUint32(0, true),
					name: cString(40, 64),
					unit: cString(104, 32),
					min: view.getFloat64(16, true),
					max: view.getFloat64(24, true),
					default: view.getFloat64(32, true),
					stepCount: view.getInt32(8, true),
					flags: {
						automatable: (flags & 1) !== 0,
						stepped: (flags & 2) !== 0,
						list: (flags & 4) !== 0,
						bypass: (flags & 8) !== 0,
						whole: (flags & 16) !== 0,
					},
					texts: [],
				};
				if (info.flags.list) {
					for (let s = 0; s <= info.stepCount; s++) info.texts.push(this._valueText(info.id, info.min + s));
				}
				list.push(info);
			}
			return list;
		}

		_generateWamParameterInfo() {
			const map = {};
			for (const info of this._describe()) {
				const list = info.flags.list && info.texts.length > 1;
				map[info.id] = {
					id: String(info.id),
					label: info.name,
					type: list ? 'choice' : info.flags.stepped ? 'int' : 'float',
					defaultValue: info.default,
					minValue: info.min,
					maxValue: info.max,
					discreteStep: info.flags.stepped ? 1 : 0,
					exponent: 0,
					choices: list ? info.texts : [],
					units: info.unit,
				};
			}
			return map;
		}

		_valueText(id, value) {
			return this._readText(this._wasm.tav_value_text(this._handle, Number(id), Number(value)));
		}

		_textValue(id, text) {
			this._views();
			const bytes = encoder.encode(String(text));
			if (bytes.length >= this._text.length) return null;
			this._text.set(bytes);
			this._text[bytes.length] = 0;
			const value = this._wasm.tav_text_value(this._handle, Number(id));
			return Number.isNaN(value) ? null : value;
		}

		_values() {
			const values = [];
			if (!this._handle) return values;
			for (const id of [...Object.keys(this._parameterInfo).map(Number), kProgramId]) {
				values.push([id, this._wasm.tav_value(this._handle, id)]);
			}
			return values;
		}

		_getParameterValues(normalized, parameterIds) {
			const ids = parameterIds && parameterIds.length ? parameterIds : Object.keys(this._parameterInfo);
			const values = {};
			for (const id of ids) {
				const info = this._parameterInfo[id];
				if (!info) continue;
				let value = this._wasm.tav_value(this._handle, Number(id));
				if (normalized) value = (value - info.minValue) / (info.maxValue - info.minValue);
				values[id] = { id, value, normalized: !!normalized };
			}
			return values;
		}

		// A host's set/parameterValues: an edit, raw, at the next quantum.
		_setParameterValue(update) {
			const plain = this._plainOf(update);
			if (plain === null || !this._handle) return false;
			const done = this._wasm.tav_edit(this._handle, Number(update.id), plain) === 1;
			if (done) this._changedOutside = true;
			return done;
		}

		// The face's own edit: it knows of it, so it is not told back.
		_edit(id, value) {
			if (typeof value !== 'number' || !Number.isFinite(value)) return false;
			return this._wasm.tav_edit(this._handle, Number(id), value) === 1;
		}

		_plainOf(update) {
			if (!update || typeof update.value !== 'number' || !Number.isFinite(update.value)) return null;
			const info = this._parameterInfo[update.id];
			if (!update.normalized) return update.value;
			if (!info) return null;
			const plain = info.minValue + update.value * (info.maxValue - info.minValue);
			return info.discreteStep > 0 ? Math.round(plain) : plain;
		}

		_getState() {
			if (!this._handle) return null;
			const size = this._wasm.tav_state_save(this._handle);
			if (size < 0) return null;
			return new Uint8Array(this._wasm.memory.buffer, this._wasm.tav_state_data(this._handle), size).slice();
		}

		// The state bytes, completely or not at all: true when they were taken.
		_setState(state) {
			if (!this._handle) return false;
			let bytes = null;
			if (state instanceof Uint8Array) bytes = state;
			else if (state instanceof ArrayBuffer) bytes = new Uint8Array(state);
			if (bytes === null || bytes.length === 0) return false;
			const room = this._wasm.tav_state_room(this._handle, bytes.length);
			if (room === 0) return false;
			new Uint8Array(this._wasm.memory.buffer, room, bytes.length).set(bytes);
			const loaded = this._wasm.tav_state_load(this._handle, bytes.length) === 1;
			if (loaded) this._changedOutside = true;
			return loaded;
		}

		async _onMessage(message) {
			const { data } = message;
			if (data && data.tav) {
				this.port.postMessage({ tavReply: data.id, result: this._answer(data) });
				return;
			}
			if (data && data.request === 'set/state') {
				const loaded = this._setState(data.content && data.content.state);
				this.port.postMessage({ id: data.id, response: data.request, content: loaded });
				return;
			}
			if (data && data.request === 'add/event') {
				if (!this._acceptable(data.content && data.content.event)) {
					this.port.postMessage({ id: data.id, response: data.request, content: 'refused' });
					return;
				}
				this._enqueue(data.id, data.content.event);
				return;
			}
			super._onMessage(message);
		}

		_answer(data) {
			if (this._failed) return data.tav === 'status' ? { failed: this._failed } : null;
			switch (data.tav) {
			case 'status': return { failed: null, refused: this._refused };
			case 'describe': return this._describe();
			case 'values': return this._values();
			case 'edit': return this._edit(data.paramId, data.value);
			case 'programs': {
				const names = [];
				for (let p = 0; p < this._wasm.tav_program_count(); p++) names.push(this._readText(this._wasm.tav_program_name(this._handle, p)));
				return names;
			}
			case 'selectProgram': {
				const done = Number.isInteger(data.program) && this._wasm.tav_select_program(this._handle, data.program) === 1;
				if (done) this._changedOutside = true;
				return done;
			}
			case 'valueText': return typeof data.value === 'number' ? this._valueText(data.paramId, data.value) : null;
			case 'textValue': return this._textValue(data.paramId, data.text);
			default: return null;
			}
		}

		// Nonsense times and full queues are refused where they arrive.
		_acceptable(event) {
			if (!event || typeof event.type !== 'string') return false;
			if (typeof event.time !== 'number' || !Number.isFinite(event.time)) return false;
			if (event.time > scope.currentTime + kMaxAheadSeconds) return false;
			return this._eventQueue.length < kMaxQueued;
		}

		// Kept in time order as they arrive (equal times in arrival order), so
		// that a quantum only takes from the front.
		_enqueue(id, event) {
			const queue = this._eventQueue;
			let at = queue.length;
			while (at > 0 && queue[at - 1].event.time > event.time) at--;
			queue.splice(at, 0, { id, event });
		}

		scheduleEvents(...events) {
			for (const event of events) if (this._acceptable(event)) this._enqueue(0, event);
		}

		_takeTransport(data, frame) {
			if (!data || typeof data !== 'object') return;
			const tempo = Number.isFinite(data.tempo) && data.tempo > 0 ? data.tempo : 0;
			const numerator = Number.isInteger(data.timeSigNumerator) && data.timeSigNumerator > 0 ? data.timeSigNumerator : 4;
			const denominator = Number.isInteger(data.timeSigDenominator) && data.timeSigDenominator > 0 ? data.timeSigDenominator : 4;
			const bar = Number.isFinite(data.currentBar) ? data.currentBar : 0;
			const barStarted = Number.isFinite(data.currentBarStarted) ? data.currentBarStarted : 0;
			const playing = !!data.playing;
			const stayed = this._hasTransport && tempo > 0 && this._tempo > 0 && playing && this._playing &&
				bar === this._bar && barStarted === this._barStarted;
			if (stayed) {
				// The song plays on from where it is at the new tempo, as a DAW's ramp.
				if (tempo !== this._tempo) {
					this._anchorBeat = this._beatsNow();
					this._anchorSample = this._songSample;
				}
			} else {
				// Placed afresh: bar `bar` began at context time `barStarted`.
				const barBeats = bar * numerator * 4 / denominator;
				const sinceBar = frame - Math.round(barStarted * scope.sampleRate);
				this._songSample = tempo > 0
					? Math.round(barBeats * scope.sampleRate * 60 / tempo) + sinceBar : 0;
				this._anchorSample = 0;
				this._anchorBeat = 0;
			}
			this._tempo = tempo;
			this._numerator = numerator;
			this._denominator = denominator;
			this._playing = playing;
			this._bar = bar;
			this._barStarted = barStarted;
			this._hasTransport = true;
		}

		// Beats as the desktop hosts count them: from the anchor, in this order.
		_beatsNow() {
			return this._anchorBeat + (this._songSample - this._anchorSample) / scope.sampleRate * this._tempo / 60;
		}

		_addChange(offset, data) {
			if (!data) return;
			const plain = this._plainOf(data);
			if (plain === null || this._changeCount >= this._maxChanges) {
				this._refused++;
				return;
			}
			const at = this._changeCount * 3;
			this._changes[at] = offset;
			this._changes[at + 1] = Number(data.id);
			this._changes[at + 2] = plain;
			this._changeCount++;
			this._changedOutside = true;
		}

		_runSlice(from, to, input) {
			const frames = to - from;
			if (frames <= 0 && this._changeCount === 0) return;
			const w = this._wasm;
			if (this._hasTransport) {
				const beats = this._tempo > 0 ? this._beatsNow() : NaN;
				w.tav_set_transport(this._handle, this._tempo > 0 ? this._tempo : NaN, this._numerator,
					this._denominator, this._playing ? 1 : 0, beats, this._songSample);
			} else {
				w.tav_set_transport(this._handle, NaN, 0, 0, 0, NaN, 0);
			}
			const left = input && input[0];
			const right = input && (input[1] || input[0]);
			for (let i = 0; i < frames; i++) {
				this._inL[i] = left ? left[from + i] : 0;
				this._inR[i] = right ? right[from + i] : 0;
			}
			w.tav_process(this._handle, frames, this._changeCount);
			this._refused += w.tav_refused_changes(this._handle);
			this._changeCount = 0;
			if (this._playing) this._songSample += frames;
		}

		process(inputs, outputs) {
			if (this._destroyed) return false;
			const output = outputs[0];
			if (!this._initialized || !output || output.length === 0) return true;
			const frames = output[0].length;
			if (this._failed || frames > kQuantum) {
				for (const channel of output) channel.fill(0);
				return true;
			}
			try {
				this._views();
				const input = inputs[0] && inputs[0].length ? inputs[0] : null;
				const start = scope.currentFrame;
				let cursor = 0;
				const queue = this._eventQueue;
				while (queue.length > 0) {
					const { id, event } = queue[0];
					const offset = Math.max(0, Math.round(event.time * scope.sampleRate) - start);
					if (offset >= frames) break;
					queue.shift();
					if (event.type === 'wam-transport') {
						// A transport lands between slices: the frames before it run first.
						if (offset > cursor) {
							this._runSlice(cursor, offset, input);
							this._copyOut(output, cursor, offset);
							cursor = offset;
						}
						this._takeTransport(event.data, start + offset);
					} else if (event.type === 'wam-automation') {
						this._addChange(offset - cursor, event.data);
					}
					if (id) this.port.postMessage({ id, response: 'add/event' });
				}
				this._runSlice(cursor, frames, input);
				this._copyOut(output, cursor, frames);
				this._notice(frames);
			} catch (error) {
				// A trap leaves the module in no state to trust: silence from here on.
				this._failed = `the module stopped: ${error}`;
				for (const channel of output) channel.fill(0);
			}
			return true;
		}

		_copyOut(output, from, to) {
			for (let c = 0; c < output.length; c++) {
				const source = c === 0 ? this._outL : this._outR;
				const target = output[c];
				for (let i = from; i < to; i++) target[i] = source[i - from];
			}
		}

		_notice(frames) {
			this._sinceNotice += frames;
			if (!this._changedOutside || this._sinceNotice < scope.sampleRate / 50) return;
			this._changedOutside = false;
			this._sinceNotice = 0;
			this.port.postMessage({ tavChanged: true });
		}

		destroy() {
			if (this._handle) this._wasm.tav_destroy(this._handle);
			this._handle = 0;
			this._failed = 'destroyed';
			super.destroy();
		}
	}

	if (scope.AudioWorkletProcessor) {
		try {
			scope.registerProcessor(moduleId, TavrellionProcessor);
		} catch (error) {
			// A second instance in the same context finds it registered already.
		}
	}
	return TavrellionProcessor;
};

export default getTavrellionProcessor;
