// Tavrellion's face in a page: the Linux face's own drawing, run from
// tavrellion_face.wasm, shown in a <canvas>. The face asks for a frame only when
// something happened (input, a value from the host), and paints only what changed.

const SCALES = [100, 150, 200];
const MOD_SHIFT = 1;
const MOD_CONTROL = 2;
const MOD_ALT = 4;
const EDIT_BEGIN = 1;
const EDIT_VALUE = 2;
const EDIT_END = 3;
const EDIT_BYTES = 16;
// Pixels of wheel travel a browser reports for one notch.
const WHEEL_NOTCH = 100;
// The program's parameter: taken before the others, which then stand over it.
const PROGRAM_ID = 1001;
const MENU_CHOICES = 2;  // Sweep Sync, Glide

// The face's scale for a screen's pixel ratio, as the native faces round a host's factor.
export function scaleForRatio(ratio) {
  if (!(ratio > 0)) return 100;
  if (ratio < 1.25) return 100;
  return ratio < 1.75 ? 150 : 200;
}

async function instantiate(url) {
  const response = await fetch(url);
  if (!response.ok) throw new Error(`cannot load the face from ${url}: ${response.status}`);
  // A server that does not say application/wasm still gets its bytes compiled.
  const { instance } = await WebAssembly.instantiate(await response.arrayBuffer(), {});
  const exports = instance.exports;
  if (typeof exports._initialize === 'function') exports._initialize();
  return exports;
}

function modsOf(event) {
  return (event.shiftKey ? MOD_SHIFT : 0) | (event.ctrlKey || event.metaKey ? MOD_CONTROL : 0) |
         (event.altKey ? MOD_ALT : 0);
}

// link: describe(), values() → Promise<Map<id, plain>>, edit(id, plain),
// gesture(id, begin), onChange(listener). options.scale (100, 150, 200) and
// options.wasmUrl override the screen's scale and the module beside this file.
export async function createFace(link, options = {}) {
  if (!link || typeof link.values !== 'function' || typeof link.edit !== 'function' ||
      typeof link.gesture !== 'function' || typeof link.onChange !== 'function') {
    throw new TypeError('createFace needs a link with values, edit, gesture and onChange');
  }
  const scale = options.scale ?? scaleForRatio(globalThis.devicePixelRatio ?? 1);
  if (!SCALES.includes(scale)) throw new RangeError(`no face at ${scale} %: 100, 150 or 200`);
  const face = await instantiate(options.wasmUrl ?? new URL('./tavrellion_face.wasm', import.meta.url));
  if (!face.tav_face_create(scale)) throw new Error('the face could not be made');

  const element = document.createElement('div');
  element.className = 'tavrellion-face';
  element.style.position = 'relative';
  element.style.display = 'inline-block';
  const canvas = document.createElement('canvas');
  canvas.style.display = 'block';
  canvas.style.touchAction = 'none';
  element.appendChild(canvas);
  const context = canvas.getContext('2d');

  let frameRequested = false;
  let countdown = 0;
  let closed = false;
  let wheelRest = 0;

  // Sized in CSS pixels as the face at 100 % would be on this page's screen; a scale
  // picked in the face's menu then grows or shrinks it, as a native window would.
  function fitCanvas(width, height) {
    canvas.width = width;
    canvas.height = height;
    canvas.style.width = `${(width * 100) / scale}px`;
    canvas.style.height = `${(height * 100) / scale}px`;
  }

  // The face's edits to the host, in their order.
  function drainEdits() {
    const count = face.tav_face_edit_count();
    if (count <= 0) return;
    const view = new DataView(face.memory.buffer, face.tav_face_edits(), count * EDIT_BYTES);
    const edits = [];
    for (let i = 0; i < count; ++i) {
      const at = i * EDIT_BYTES;
      edits.push({
        kind: view.getInt32(at, true),
        id: view.getUint32(at + 4, true),
        plain: view.getFloat64(at + 8, true),
      });
    }
    face.tav_face_take_edits(count);
    for (const edit of edits) {
      if (edit.kind === EDIT_BEGIN) link.gesture(edit.id, true);
      else if (edit.kind === EDIT_VALUE) link.edit(edit.id, edit.plain);
      else if (edit.kind === EDIT_END) link.gesture(edit.id, false);
    }
  }

  function readText(at) {
    if (!at) return '';
    const bytes = new Uint8Array(face.memory.buffer, at);
    const end = bytes.indexOf(0);
    return new TextDecoder().decode(bytes.subarray(0, end < 0 ? 0 : end));
  }

  // The value box the face asked for, as an <input> over the canvas.
  let entry = null;
  function closeEntry(commit) {
    if (!entry) return;
    const input = entry;
    entry = null;
    if (commit) {
      const buffer = new Uint8Array(face.memory.buffer, face.tav_face_text_buffer(), 255);
      const { written } = new TextEncoder().encodeInto(input.value, buffer);
      face.tav_face_entry_commit(written);
    } else {
      face.tav_face_entry_cancel();
    }
    input.remove();
    requestFrame();
  }
  function syncEntry() {
    const [x, y, w, h] = new Int32Array(face.memory.buffer, face.tav_face_entry_box(), 4);
    if (w <= 0 || h <= 0) {
      if (entry) {
        entry.remove();
        entry = null;
      }
      return;
    }
    if (entry) return;
    const css = canvas.getBoundingClientRect().width / canvas.width || 1;
    const input = document.createElement('input');
    input.type = 'text';
    input.value = readText(face.tav_face_entry_text());
    Object.assign(input.style, {
      position: 'absolute', left: `${x * css}px`, top: `${y * css}px`, width: `${w * css}px`,
      height: `${h * css}px`, boxSizing: 'border-box', padding: '0 2px', border: '1px solid #888',
      font: `${Math.round(12 * css * (scale / 100))}px sans-serif`, textAlign: 'center',
    });
    input.addEventListener('keydown', (event) => {
      if (event.key === 'Enter') closeEntry(true);
      else if (event.key === 'Escape') closeEntry(false);
      event.stopPropagation();
    });
    // Clicking elsewhere takes the value, as on Linux.
    input.addEventListener('blur', () => closeEntry(true));
    entry = input;
    element.appendChild(input);
    input.focus();
    input.select();
  }

  // A page the face asked to open (its title links to the product's page).
  function openPages() {
    const url = readText(face.tav_face_take_page());
    if (/^https?:\/\//.test(url)) window.open(url, '_blank', 'noopener,noreferrer');
  }

  function frame() {
    frameRequested = false;
    if (closed) return;
    const areaAt = face.tav_face_frame();  // may grow the memory: views are made after
    const [x, y, w, h] = new Int32Array(face.memory.buffer, areaAt, 4);
    const width = face.tav_face_width();
    const height = face.tav_face_height();
    if (canvas.width !== width || canvas.height !== height) fitCanvas(width, height);
    if (w > 0 && h > 0) {
      const pixels = new Uint8ClampedArray(face.memory.buffer, face.tav_face_rgba(), width * height * 4);
      context.putImageData(new ImageData(pixels, width, height), 0, 0, x, y, w, h);
    }
    drainEdits();
    syncEntry();
    openPages();
    // Painting may set off one more pass. A wheel gesture counts its end down in the
    // face's own frames, which are slower than the screen's.
    if (w > 0 && h > 0) {
      requestFrame();
    } else if (face.tav_face_busy() && !countdown) {
      countdown = setTimeout(() => {
        countdown = 0;
        requestFrame();
      }, 1000 / Math.max(1, face.tav_face_frame_rate()));
    }
  }

  function requestFrame() {
    if (frameRequested || closed) return;
    frameRequested = true;
    requestAnimationFrame(frame);
  }

  function position(event) {
    const box = canvas.getBoundingClientRect();
    const x = box.width > 0 ? ((event.clientX - box.left) * canvas.width) / box.width : 0;
    const y = box.height > 0 ? ((event.clientY - box.top) * canvas.height) / box.height : 0;
    return [Math.floor(x), Math.floor(y)];
  }

  function afterInput() {
    drainEdits();
    openPages();
    requestFrame();
  }

  const listeners = {
    pointerdown(event) {
      if (event.button !== 0 && event.button !== 2) return;
      // With a value box open a right press cancels it and does nothing else; a
      // left press elsewhere takes its value and goes on, as on Linux.
      if (entry) {
        closeEntry(event.button === 0);
        if (event.button === 2) {
          event.preventDefault();
          return;
        }
      }
      canvas.setPointerCapture?.(event.pointerId);
      face.tav_face_pointer_down(...position(event), event.button, modsOf(event),
                                 Math.floor(event.timeStamp) >>> 0);
      event.preventDefault();
      afterInput();
    },
    pointermove(event) {
      if (event.buttons === 0) return;
      face.tav_face_pointer_move(...position(event), modsOf(event));
      afterInput();
    },
    pointerup(event) {
      if (event.button !== 0 && event.button !== 2) return;
      face.tav_face_pointer_up(...position(event), event.button, modsOf(event));
      afterInput();
    },
    // A press the browser takes back (a touch turned into a scroll) ends as a
    // release, so no gesture stays open at the host.
    pointercancel(event) {
      for (const button of [0, 2]) face.tav_face_pointer_up(...position(event), button, modsOf(event));
      afterInput();
    },
    wheel(event) {
      event.preventDefault();
      const pixels = event.deltaMode === 0 ? event.deltaY : event.deltaY * WHEEL_NOTCH;
      wheelRest -= pixels / WHEEL_NOTCH;
      const notches = Math.trunc(wheelRest);
      if (notches === 0) return;
      wheelRest -= notches;
      face.tav_face_wheel(...position(event), notches, modsOf(event));
      afterInput();
    },
    // The right press already went to the face (its menu, a value box).
    contextmenu(event) {
      event.preventDefault();
    },
  };
  for (const [name, listener] of Object.entries(listeners)) {
    canvas.addEventListener(name, listener, { passive: false });
  }

  async function takeValues() {
    const values = await link.values();
    if (closed || !values) return;
    const entries = [...values].map(([id, plain]) => [Number(id) >>> 0, Number(plain)]);
    entries.sort((a, b) => (b[0] === PROGRAM_ID) - (a[0] === PROGRAM_ID));
    for (const [id, plain] of entries) face.tav_face_set_value(id, plain);
    requestFrame();
  }
  const unsubscribe = link.onChange(() => {
    takeValues().catch((error) => console.error('Tavrellion face: cannot read values', error));
  });
  await takeValues();
  fitCanvas(face.tav_face_width(), face.tav_face_height());
  requestFrame();

  function menuRow(choice, option) {
    const at = face.tav_face_menu_row(choice, option);
    const [x, y, width, height] = new Int32Array(face.memory.buffer, at, 4);
    return { x, y, width, height };
  }

  // The face's open menu, in canvas pixels: its scale rows (100, 150, 200 %) and the
  // options of Sweep Sync and Glide; null while it is closed.
  element.menuRows = () => {
    if (!face.tav_face_menu_open()) return null;
    const scales = SCALES.map((_, i) => menuRow(-1, i));
    const choices = [];
    for (let c = 0; c < MENU_CHOICES; ++c) choices.push([menuRow(c, 0), menuRow(c, 1)]);
    return { scales, choices };
  };
  element.canvas = canvas;
  element.close = () => {
    closeEntry(false);
    closed = true;
    clearTimeout(countdown);
    for (const [name, listener] of Object.entries(listeners)) {
      canvas.removeEventListener(name, listener);
    }
    if (typeof unsubscribe === 'function') unsubscribe();
  };
  return element;
}
