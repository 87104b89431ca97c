// The face's link: values of every host parameter and the program, the face's
// edit reaching the audio raw, and a word after changes the face did not make,
// never after its own.
import { withNode } from './browser.mjs';

// In the page: renders the instance with the face's edit or a host's event, and
// counts the link's change calls.
const watch = async (node, mode, context) => {
	const { default: makeFaceLink } = await import('/plugin/face_link.js');
	const link = makeFaceLink(node);
	let told = 0;
	link.onChange(() => told++);
	if (mode === 'face') await link.edit(4, 33);
	// Automation all through the render, which runs far faster than real time:
	// the link still tells of it once a frame or so.
	if (mode === 'host') {
		for (let i = 1; i <= 16; i++) node.scheduleEvents({ type: 'wam-automation', time: i * 0.01, data: { id: '4', value: 17 + i } });
	}
	if (mode === 'program') await node.selectProgram(2);
	await node.status();
	await context.startRendering();
	// The word comes on an animation frame after the render: waited for where one
	// is due (a slow machine may take long), and given a while where none is.
	const due = mode === 'face' ? 0 : 1;
	for (const until = performance.now() + 10000; told < due && performance.now() < until;) {
		await new Promise((resolve) => setTimeout(resolve, 20));
	}
	await new Promise((resolve) => setTimeout(resolve, 300));
	const values = await link.values();
	return { told, wet: values.get(4), program: values.get(1001), ids: [...values.keys()].sort((a, b) => a - b).join(',') };
};

const cases = [
	{ mode: 'face', told: (n) => n === 0, wet: 33, program: 0 },
	{ mode: 'host', told: (n) => n >= 1 && n <= 3, wet: 33, program: 0 },
	{ mode: 'program', told: (n) => n >= 1 && n <= 2, wet: null, program: 2 },
];

export default cases.map((c) => ({
	name: `the face's link after ${c.mode === 'face' ? "the face's own edit" : c.mode === 'host' ? 'automation' : 'a program change'}`,
	async run(ctx) {
		const got = await withNode(ctx.page, watch, c.mode);
		const allIds = got.ids === '0,1,2,3,4,5,6,7,8,9,10,11,12,1000,1001,1002,1003';
		const ok = c.told(got.told) && (c.wet === null || got.wet === c.wet) && got.program === c.program && allIds;
		return { ok, detail: `told ${got.told} times, Wet Left ${got.wet}, program ${got.program}, ids ${allIds ? 'all' : got.ids}` };
	},
}));
