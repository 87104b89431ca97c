// tavrellion_face.wasm's entry points with bad input, without a browser.
// node face_module_test.mjs MODULE.wasm: exits 1 when any case fails.
import { readFileSync } from 'node:fs';

const modulePath = process.argv[2];
if (!modulePath) {
  console.error('usage: node face_module_test.mjs MODULE.wasm');
  process.exit(2);
}
const bytes = readFileSync(modulePath);

async function freshFace() {
  const { instance } = await WebAssembly.instantiate(bytes, {});
  instance.exports._initialize();
  return instance.exports;
}

function area(face, at) {
  return Array.from(new Int32Array(face.memory.buffer, at, 4));
}

const EDGE = 2 ** 31 - 1;
const tests = [];

tests.push({
  name: 'a face is made only at 100, 150 and 200 %',
  async run() {
    const face = await freshFace();
    for (const [scale, made, width] of [[100, 1, 520], [150, 1, 780], [200, 1, 1040], [0, 0, 0],
                                        [120, 0, 0], [-100, 0, 0], [EDGE, 0, 0]]) {
      const got = face.tav_face_create(scale);
      if (got !== made || face.tav_face_width() !== width) {
        throw new Error(`scale ${scale}: made ${got}, width ${face.tav_face_width()}`);
      }
    }
  },
});

tests.push({
  name: 'every entry point refuses calls before a face is made',
  async run() {
    const face = await freshFace();
    face.tav_face_pointer_down(10, 10, 0, 0, 0);
    face.tav_face_pointer_move(20, 20, 0);
    face.tav_face_pointer_up(20, 20, 0, 0);
    face.tav_face_wheel(10, 10, 1, 0);
    face.tav_face_double_click(10, 10, 0);
    face.tav_face_take_edits(5);
    const results = [face.tav_face_width(), face.tav_face_height(), face.tav_face_scale(),
                     face.tav_face_set_value(0, 1), face.tav_face_edit_count(), face.tav_face_busy(),
                     face.tav_face_menu_open(), face.tav_face_rgba(), face.tav_face_edits(),
                     ...area(face, face.tav_face_frame()), ...area(face, face.tav_face_menu_row(0, 0))];
    if (results.some((v) => v !== 0)) throw new Error(`answers ${results}`);
  },
});

tests.push({
  name: 'the value box and page entries answer nothing when there is none, whatever the length',
  async run() {
    for (const made of [false, true]) {
      const face = await freshFace();
      if (made) face.tav_face_create(100);
      for (const length of [-1, 0, 255, 256, EDGE]) face.tav_face_entry_commit(length);
      face.tav_face_entry_cancel();
      face.tav_face_frame();
      const text = new Uint8Array(face.memory.buffer, face.tav_face_entry_text(), 1)[0];
      const answers = [...area(face, face.tav_face_entry_box()), text, face.tav_face_take_page(),
                       face.tav_face_edit_count()];
      if (answers.some((v) => v !== 0)) throw new Error(`made ${made}: answers ${answers}`);
    }
  },
});

tests.push({
  name: 'host values are refused unless their id and value make sense',
  async run() {
    const face = await freshFace();
    face.tav_face_create(100);
    const cases = [
      [0, 2000, 1], [0, 1e300, 1], [0, -1e300, 1], [0, NaN, 0], [0, Infinity, 0],
      [12, 0.5, 1], [13, 0.5, 0], [999, 0, 0], [EDGE, 0, 0],
      [1000, 1, 1], [1001, 3, 1], [1001, 0, 1], [1001, 2.5, 0], [1001, 7, 0], [1001, -1, 0],
      [1001, NaN, 0], [1002, 1, 1], [1003, 0, 1], [1003, -Infinity, 0], [1004, 0, 0],
    ];
    const wrong = cases.filter(([id, v, want]) => face.tav_face_set_value(id, v) !== want);
    if (wrong.length) throw new Error(`wrong answers for ${JSON.stringify(wrong)}`);
  },
});

tests.push({
  name: 'input far outside the face, and unknown buttons, change nothing and trap nothing',
  async run() {
    const face = await freshFace();
    face.tav_face_create(100);
    face.tav_face_frame();
    face.tav_face_frame();
    for (const [x, y] of [[-EDGE - 1, -EDGE - 1], [EDGE, EDGE], [EDGE, 10], [10, -EDGE - 1]]) {
      face.tav_face_pointer_down(x, y, 0, 7, 0);
      face.tav_face_pointer_move(x, -y, 7);
      face.tav_face_pointer_up(x, y, 0, 7);
      face.tav_face_wheel(x, y, EDGE, 7);
      face.tav_face_double_click(x, y, 7);
    }
    face.tav_face_pointer_down(51, 152, 1, 0, 0);  // the middle button
    face.tav_face_pointer_up(51, 152, 5, 0);
    face.tav_face_take_edits(-3);
    face.tav_face_take_edits(EDGE);
    if (face.tav_face_edit_count() !== 0) throw new Error(`${face.tav_face_edit_count()} edits`);
  },
});

tests.push({
  name: 'an undrained page finds the edits folded: bounded, every gesture closed',
  async run() {
    const face = await freshFace();
    face.tav_face_create(100);
    face.tav_face_frame();
    for (let i = 0; i < 5000; ++i) {
      face.tav_face_pointer_down(51, 152, 0, 0, i * 1000);
      face.tav_face_pointer_move(51, 152 - (i % 50), 0);
      face.tav_face_pointer_up(51, 152 - (i % 50), 0, 0);
    }
    const count = face.tav_face_edit_count();
    if (count <= 0 || count > 512) throw new Error(`${count} edits waiting`);
    const view = new DataView(face.memory.buffer, face.tav_face_edits(), count * 16);
    let open = 0;
    for (let i = 0; i < count; ++i) {
      const kind = view.getInt32(i * 16, true);
      open += kind === 1 ? 1 : kind === 3 ? -1 : 0;
      if (open < 0 || open > 1) throw new Error(`unbalanced gestures at edit ${i}`);
    }
    if (open !== 0) throw new Error('a gesture is left open');
  },
});

let failures = 0;
for (const test of tests) {
  try {
    await test.run();
    console.log(`ok    ${test.name}`);
  } catch (error) {
    failures += 1;
    console.log(`FAIL  ${test.name}: ${error.message}`);
  }
}
console.log(failures === 0 ? `all ${tests.length} passed` : `${failures} of ${tests.length} failed`);
process.exit(failures === 0 ? 0 : 1);
