// What the face (face.js) holds of an instance: descriptions, values, edits and
// gestures, and a word when something else changed the values.
export default function makeFaceLink(node) {
	return {
		describe: () => node.describe(),
		values: () => node.values(),
		edit: (id, plain) => node.edit(id, plain),
		// The Web Audio Modules API has no gestures to tell a host of: the edits carry it all.
		gesture: () => {},
		onChange: (listener) => node.onChange(listener),
	};
}
