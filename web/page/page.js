// The try-it page: the plug-in on the page's own audio context, its face shown.
import { initializeWamHost } from './plugin/sdk/index.js';
import Tavrellion from './plugin/index.js';

const status = document.getElementById('status');

async function start() {
	const context = new AudioContext();
	const [hostGroupId] = await initializeWamHost(context);
	const plugin = await Tavrellion.createInstance(hostGroupId, context);
	plugin.audioNode.connect(context.destination);
	document.getElementById('face').append(await plugin.createGui());
	status.textContent = 'Ready';
	window.tavrellion = plugin;
}

start().catch((error) => { status.textContent = `Could not start: ${error.message}`; });
