// 32-bit float WAV files as tavhost writes them (and 16/24-bit PCM inputs), as
// one Float32Array per channel.
import { readFileSync } from 'node:fs';

export function readWav(path) {
	const bytes = readFileSync(path);
	const view = new DataView(bytes.buffer, bytes.byteOffset, bytes.byteLength);
	if (bytes.toString('latin1', 0, 4) !== 'RIFF' || bytes.toString('latin1', 8, 12) !== 'WAVE')
		throw new Error(`${path}: not a WAV file`);
	let format = null;
	for (let at = 12; at + 8 <= bytes.length;) {
		const id = bytes.toString('latin1', at, at + 4);
		const size = view.getUint32(at + 4, true);
		const body = at + 8;
		if (id === 'fmt ') {
			let tag = view.getUint16(body, true);
			if (tag === 0xfffe) tag = view.getUint16(body + 24, true);
			format = {
				tag,
				channels: view.getUint16(body + 2, true),
				rate: view.getUint32(body + 4, true),
				bits: view.getUint16(body + 14, true),
			};
		} else if (id === 'data') {
			if (!format) throw new Error(`${path}: data before fmt`);
			const { channels, bits, tag } = format;
			const width = bits / 8;
			const frames = Math.floor(Math.min(size, bytes.length - body) / (width * channels));
			const out = Array.from({ length: channels }, () => new Float32Array(frames));
			for (let f = 0; f < frames; f++) {
				for (let c = 0; c < channels; c++) {
					const p = body + (f * channels + c) * width;
					if (tag === 3 && bits === 32) out[c][f] = view.getFloat32(p, true);
					else if (bits === 16) out[c][f] = view.getInt16(p, true) / 32768;
					else if (bits === 24) out[c][f] = ((view.getUint8(p + 2) << 24 | view.getUint8(p + 1) << 16 | view.getUint8(p) << 8) >> 8) / 8388608;
					else throw new Error(`${path}: ${bits}-bit format ${tag} is not read here`);
				}
			}
			return { rate: format.rate, channels: out };
		}
		at = body + size + (size & 1);
	}
	throw new Error(`${path}: no data`);
}

export function wavBytes(rate, channels) {
	const frames = channels[0].length;
	const count = channels.length;
	const data = frames * count * 4;
	const out = Buffer.alloc(44 + data);
	out.write('RIFF', 0, 'latin1');
	out.writeUInt32LE(36 + data, 4);
	out.write('WAVEfmt ', 8, 'latin1');
	out.writeUInt32LE(16, 16);
	out.writeUInt16LE(3, 20);
	out.writeUInt16LE(count, 22);
	out.writeUInt32LE(rate, 24);
	out.writeUInt32LE(rate * count * 4, 28);
	out.writeUInt16LE(count * 4, 32);
	out.writeUInt16LE(32, 34);
	out.write('data', 36, 'latin1');
	out.writeUInt32LE(data, 40);
	for (let f = 0; f < frames; f++)
		for (let c = 0; c < count; c++) out.writeFloatLE(channels[c][f], 44 + (f * count + c) * 4);
	return out;
}

// The largest difference between two renders over the frames both have; a
// length that differs counts as a difference of Infinity.
export function largestDifference(a, b) {
	if (a.length !== b.length) return Infinity;
	let most = 0;
	for (let c = 0; c < a.length; c++) {
		if (a[c].length !== b[c].length) return Infinity;
		for (let f = 0; f < a[c].length; f++) {
			const d = Math.abs(a[c][f] - b[c][f]);
			if (!(d <= most)) most = Number.isNaN(d) ? Infinity : d;
		}
	}
	return most;
}
