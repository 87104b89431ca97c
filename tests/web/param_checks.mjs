// The parameters as the page sees them against what CLAP tells tavhost, in every
// factory program: ids, names, value texts and positions on the range; and each
// text typed back gives the value that shows it again.
import { withNode } from './browser.mjs';

// tavhost --params: "  %3d  %-24s %-8s %-16s %.6f".
function clapParams(ctx, program) {
	const row = /^\s+(\d+)  (.{24}) (.{8}) (.{16}) ([0-9.]+)$/;
	return ctx.native.run('clap', ['--program', String(program), '--params']).split('\n').map((l) => row.exec(l)).filter(Boolean)
		.map(([, id, name, , text, unit]) => ({ id: Number(id), name: name.trim(), text: text.trim(), unit }));
}

async function browserParams(ctx, program) {
	return withNode(ctx.page, async (node, program) => {
		await node.selectProgram(program);
		const infos = await node.describe();
		const values = await node.values();
		const rows = [];
		for (const info of infos) {
			const value = values.get(info.id);
			const text = await node.valueText(info.id, value);
			const typed = await node.textValue(info.id, text);
			rows.push({
				id: info.id,
				name: info.name,
				text,
				unit: ((value - info.min) / (info.max - info.min)).toFixed(6),
				typedBack: typed === null ? null : await node.valueText(info.id, typed),
			});
		}
		return { rows, program: values.get(1001) };
	}, program);
}

export default [0, 1, 2, 3, 4, 5, 6].map((program) => ({
	name: `parameters in program ${program} read as CLAP tells them`,
	async run(ctx) {
		const clap = clapParams(ctx, program);
		const { rows, program: current } = await browserParams(ctx, program);
		const wrong = [];
		if (current !== program) wrong.push(`program reads ${current}`);
		if (rows.length !== clap.length) wrong.push(`${rows.length} parameters, CLAP ${clap.length}`);
		clap.forEach((c, i) => {
			const b = rows[i] || {};
			for (const field of ['id', 'name', 'text', 'unit']) if (String(b[field]) !== String(c[field])) wrong.push(`${c.id} ${field}: ${b[field]} vs ${c[field]}`);
			if (b.typedBack !== b.text) wrong.push(`${c.id}: "${b.text}" typed back reads "${b.typedBack}"`);
		});
		return { ok: wrong.length === 0, detail: wrong.length ? wrong.slice(0, 4).join('; ') : `${rows.length} parameters alike` };
	},
}));
