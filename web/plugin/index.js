// Tavrellion as a Web Audio Modules 2 plug-in: the module, its audio node (an
// AudioWorklet running tavrellion.wasm) and its face.
import { WebAudioModule, addFunctionModule } from './sdk/index.js';
import getTavrellionProcessor from './processor.js';
import TavrellionNode from './node.js';
import makeFaceLink from './face_link.js';

const here = new URL('.', import.meta.url);

export default class Tavrellion extends WebAudioModule {
	_baseUrl = here.href;
	_descriptorUrl = new URL('descriptor.json', here).href;

	// The SDK's own initialize drops the initial state: it reaches the node here.
	async initialize(state) {
		await this._loadDescriptor();
		if (!this._audioNode) this.audioNode = await this.createAudioNode(state);
		this.initialized = true;
		return this;
	}

	async createAudioNode(initialState) {
		const response = await fetch(new URL('tavrellion.wasm', here));
		if (!response.ok) throw new Error(`tavrellion.wasm: ${response.status}`);
		const wasmBytes = await response.arrayBuffer();
		await TavrellionNode.addModules(this.audioContext, this.moduleId);
		await addFunctionModule(this.audioContext.audioWorklet, getTavrellionProcessor, this.moduleId);
		const node = new TavrellionNode(this, wasmBytes);
		await node._initialize();
		const status = await node.status();
		if (!status || status.failed) throw new Error(`Tavrellion: ${status ? status.failed : 'no answer'}`);
		if (initialState && !(await node.setState(initialState))) throw new Error('Tavrellion: the state was refused');
		return node;
	}

	async createGui(options = {}) {
		const link = makeFaceLink(this.audioNode);
		let face;
		try {
			face = await import(new URL('face.js', here).href);
		} catch (error) {
			// No face beside the plug-in yet: a plain element says so.
			const element = document.createElement('div');
			element.textContent = 'Tavrellion';
			element.dataset.face = 'missing';
			return element;
		}
		return face.createFace(link, options);
	}
}
