// WAM transport events that give the plug-in the song tavhost's transport gives
// its plug-ins: 4/4, playing from the start, or from a beat.
export const kQuantum = 128;

export function transportEvent(time, tempo, { bar = 0, barStarted = 0, playing = true } = {}) {
	return {
		type: 'wam-transport',
		time,
		data: { currentBar: bar, currentBarStarted: barStarted, tempo, timeSigNumerator: 4, timeSigDenominator: 4, playing },
	};
}

// Play from a beat: the bar it falls in began that many seconds before.
export function startingAt(beat, tempo) {
	const bar = Math.floor(beat / 4);
	return transportEvent(0, tempo, { bar, barStarted: -((beat - bar * 4) * 60) / tempo });
}

// tavhost --tempo-ramp A:B: a new tempo at each block's first frame, moving
// linearly over the whole input, computed as its transport does.
export function tempoRamp(from, to, totalFrames, block = kQuantum, rate) {
	const events = [transportEvent(0, from)];
	for (let rendered = block; rendered < totalFrames; rendered += block) {
		const done = rendered / totalFrames;
		events.push(transportEvent(rendered / rate, from + (to - from) * done));
	}
	return events;
}

// tavhost --ramp ID=A:B@T1:T2 to a CLAP plug-in, per block: the plain value at
// each block's first frame, sent when it differs from the last one sent.
export function automationRamp(id, info, fromUnit, toUnit, startFrame, endFrame, totalFrames, rate, block = kQuantum) {
	const events = [];
	let sent = NaN;
	for (let frame = 0; frame < totalFrames; frame += block) {
		if (frame < startFrame) continue;
		const unit = frame >= endFrame ? toUnit : fromUnit + (toUnit - fromUnit) * (frame - startFrame) / (endFrame - startFrame);
		if (unit === sent) continue;
		sent = unit;
		const plain = info.min + unit * (info.max - info.min);
		events.push({ type: 'wam-automation', time: frame / rate, data: { id: String(id), value: plain, normalized: false } });
	}
	return events;
}
