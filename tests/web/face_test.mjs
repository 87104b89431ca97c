// The page's face against the Linux face, in headless Chromium.
// node face_test.mjs SITE_DIR OUT_DIR: SITE_DIR holds plugin/ (face.js and the
// module), test/ (this folder's page and link) and shots/ (the Linux face's
// pictures: linux-<scale>.png and linux-p<program>-<scale>.png); the page's
// pictures go to OUT_DIR. Exits 1 when any test fails.
import { spawn } from 'node:child_process';
import { writeFileSync } from 'node:fs';
import { createRequire } from 'node:module';
import net from 'node:net';
import { dirname, join } from 'node:path';
import { fileURLToPath, pathToFileURL } from 'node:url';

const here = dirname(fileURLToPath(import.meta.url));
const requireFromWeb = createRequire(join(here, '../../web/package.json'));
const puppeteer = (await import(pathToFileURL(requireFromWeb.resolve('puppeteer-core')).href)).default;

const [siteDir, outDir] = process.argv.slice(2);
if (!siteDir || !outDir) {
  console.error('usage: node face_test.mjs SITE_DIR OUT_DIR');
  process.exit(2);
}

// The program besides the default whose pictures are compared.
const OTHER_PROGRAM = 3;
// The left frequency knob: parameter 0, centred at (51, 152) in the 100 % face
// (effect/editor_layout.h); its value text sits under it.
const KNOB = { id: 0, x: 51, y: 152 };
const KNOB_TEXT = { x: 16, y: 178, width: 70, height: 22 };
// The title, which links to the product's page.
const TITLE = { x: 260, y: 38 };
// A spot of bare backdrop, where a right click opens the menu.
const BACKDROP = { x: 262, y: 305 };

function freePort() {
  return new Promise((resolve, reject) => {
    const server = net.createServer();
    server.once('error', reject);
    server.listen(0, '127.0.0.1', () => {
      const { port } = server.address();
      server.close(() => resolve(port));
    });
  });
}

async function startServer(dir) {
  const port = await freePort();
  const server = spawn('python3', ['-m', 'http.server', '--bind', '127.0.0.1', String(port),
                                   '--directory', dir], { stdio: 'ignore' });
  const origin = `http://127.0.0.1:${port}`;
  for (let i = 0; i < 100; ++i) {
    try {
      if ((await fetch(`${origin}/test/face_page.html`)).ok) return { server, origin };
    } catch {
      // not listening yet
    }
    await new Promise((r) => setTimeout(r, 100));
  }
  server.kill();
  throw new Error('the local server did not start');
}

const sleep = (ms) => new Promise((r) => setTimeout(r, ms));

// Waits until the face has painted and stays still for a few frames.
async function settle(page) {
  let last = -1;
  for (let i = 0; i < 50; ++i) {
    const now = await page.evaluate(() => window.putCount());
    if (now === last) return;
    last = now;
    await sleep(100);
  }
  throw new Error('the face never stopped painting');
}

async function openFace(browser, origin, query) {
  const page = await browser.newPage();
  await page.setViewport({ width: 1200, height: 800, deviceScaleFactor: 1 });
  const errors = [];
  page.on('pageerror', (error) => errors.push(String(error)));
  await page.goto(`${origin}/test/face_page.html?${query}`);
  await page.waitForFunction(() => window.faceReady || window.faceError, { timeout: 20000 });
  const failed = await page.evaluate(() => window.faceError);
  if (failed || errors.length) throw new Error(`the face did not open: ${failed ?? errors.join('; ')}`);
  await settle(page);
  return page;
}

async function savePicture(page, name) {
  const data = await page.evaluate(() => window.face.canvas.toDataURL('image/png'));
  writeFileSync(join(outDir, name), Buffer.from(data.split(',')[1], 'base64'));
}

// Canvas pixels of an area, to see whether it changed.
function readArea(page, area) {
  return page.evaluate(({ x, y, width, height }) => {
    const context = window.face.canvas.getContext('2d');
    return Array.from(context.getImageData(x, y, width, height).data);
  }, area);
}

// The canvas's top left corner in the page, for the mouse.
function canvasCorner(page) {
  return page.evaluate(() => {
    const r = window.face.canvas.getBoundingClientRect();
    return { left: r.left, top: r.top };
  });
}

async function drag(page, from, dy, shift) {
  const box = await canvasCorner(page);
  await page.mouse.move(box.left + from.x, box.top + from.y);
  if (shift) await page.keyboard.down('Shift');
  await page.mouse.down();
  await page.mouse.move(box.left + from.x, box.top + from.y + dy, { steps: 10 });
  await page.mouse.up();
  if (shift) await page.keyboard.up('Shift');
  await settle(page);
}

async function clickAt(page, x, y, button = 'left') {
  const box = await canvasCorner(page);
  await page.mouse.click(box.left + x, box.top + y, { button });
  await settle(page);
}

const centre = (row) => ({ x: row.x + row.width / 2, y: row.y + row.height / 2 });

// The knob's first and last plain values over a 40-pixel drag up, with or without
// shift (from the same default each time, on a fresh page).
async function dragDistance(browser, origin, shift) {
  const page = await openFace(browser, origin, 'scale=100');
  try {
    await drag(page, KNOB, -40, shift);
    const edits = await page.evaluate((id) => window.link.edits.filter(([e]) => e === id), KNOB.id);
    if (edits.length === 0) throw new Error('the drag sent no edit');
    return { first: edits[0][1], last: edits[edits.length - 1][1] };
  } finally {
    await page.close();
  }
}

const pictureCases = [];
for (const [scale, suffix] of [[100, '1'], [150, '1.5'], [200, '2']]) {
  pictureCases.push({ scale, query: `scale=${scale}`, shot: `linux-${suffix}.png` });
  pictureCases.push({
    scale,
    query: `scale=${scale}&program=${OTHER_PROGRAM}`,
    shot: `linux-p${OTHER_PROGRAM}-${suffix}.png`,
  });
}

const tests = [];

for (const c of pictureCases) {
  tests.push({
    name: `pixels equal the Linux face's (${c.query})`,
    async run(browser, origin) {
      const page = await openFace(browser, origin, c.query);
      try {
        await savePicture(page, `page-${c.shot}`);
        const result = await page.evaluate((url) => window.compareWith(url), `/shots/${c.shot}`);
        if (!result.sizeMatches) throw new Error(`size ${result.size} is not ${result.expected}`);
        if (result.differing !== 0) {
          throw new Error(`${result.differing} pixels differ (by up to ${result.largest})`);
        }
      } finally {
        await page.close();
      }
    },
  });
}

tests.push({
  name: 'a drag on a knob changes its value text and sends its edits in one gesture',
  async run(browser, origin) {
    const page = await openFace(browser, origin, 'scale=100');
    try {
      const before = await readArea(page, KNOB_TEXT);
      await drag(page, KNOB, -40, false);
      const after = await readArea(page, KNOB_TEXT);
      if (before.every((v, i) => v === after[i])) throw new Error('the value text did not change');
      const { edits, gestures } = await page.evaluate(() => ({
        edits: window.link.edits,
        gestures: window.link.gestures,
      }));
      if (!edits.some(([id]) => id === KNOB.id)) throw new Error(`no edit of ${KNOB.id}: ${JSON.stringify(edits)}`);
      if (edits.some(([id, plain]) => id !== KNOB.id || !Number.isFinite(plain))) {
        throw new Error(`edits of other parameters or bad values: ${JSON.stringify(edits)}`);
      }
      const want = JSON.stringify([[KNOB.id, true], [KNOB.id, false]]);
      if (JSON.stringify(gestures) !== want) throw new Error(`gestures ${JSON.stringify(gestures)}`);
      await savePicture(page, 'page-after-drag.png');
    } finally {
      await page.close();
    }
  },
});

tests.push({
  name: 'wheel turns on a knob edit it in one gesture that ends by itself, after a while',
  async run(browser, origin) {
    const page = await openFace(browser, origin, 'scale=100');
    try {
      const box = await canvasCorner(page);
      await page.mouse.move(box.left + KNOB.x, box.top + KNOB.y);
      const started = Date.now();
      for (let i = 0; i < 3; ++i) await page.mouse.wheel({ deltaY: -100 });
      await page.waitForFunction(() => window.link.gestures.length >= 2, { timeout: 5000 });
      const took = Date.now() - started;
      const { edits, gestures } = await page.evaluate(() => ({
        edits: window.link.edits,
        gestures: window.link.gestures,
      }));
      const want = JSON.stringify([[KNOB.id, true], [KNOB.id, false]]);
      if (JSON.stringify(gestures) !== want || !edits.every(([id]) => id === KNOB.id) ||
          edits.length === 0) {
        throw new Error(`edits ${JSON.stringify(edits)}, gestures ${JSON.stringify(gestures)}`);
      }
      // The Linux face ends it half a second of its frames after the last turn.
      if (took < 400) throw new Error(`the gesture ended after ${took} ms`);
    } finally {
      await page.close();
    }
  },
});

tests.push({
  name: 'a press the browser cancels closes its gesture',
  async run(browser, origin) {
    const page = await openFace(browser, origin, 'scale=100');
    try {
      const box = await canvasCorner(page);
      await page.mouse.move(box.left + KNOB.x, box.top + KNOB.y);
      await page.mouse.down();
      await page.mouse.move(box.left + KNOB.x, box.top + KNOB.y - 20, { steps: 4 });
      await page.evaluate(({ x, y }) => {
        window.face.canvas.dispatchEvent(new PointerEvent('pointercancel', {
          clientX: x, clientY: y, button: -1, pointerId: 1, bubbles: true,
        }));
      }, { x: box.left + KNOB.x, y: box.top + KNOB.y - 20 });
      await settle(page);
      const gestures = await page.evaluate(() => window.link.gestures);
      await page.mouse.up();
      const want = JSON.stringify([[KNOB.id, true], [KNOB.id, false]]);
      if (JSON.stringify(gestures) !== want) throw new Error(`gestures ${JSON.stringify(gestures)}`);
    } finally {
      await page.close();
    }
  },
});

tests.push({
  name: 'a drag with shift moves the knob less',
  async run(browser, origin) {
    const coarse = await dragDistance(browser, origin, false);
    const fine = await dragDistance(browser, origin, true);
    const coarseMove = Math.abs(coarse.last - coarse.first);
    const fineMove = Math.abs(fine.last - fine.first);
    if (!(coarseMove > 0) || !(fineMove > 0) || !(fineMove * 4 < coarseMove)) {
      throw new Error(`moved ${fineMove} with shift, ${coarseMove} without`);
    }
  },
});

tests.push({
  name: 'the right-click menu offers the scales, Sweep Sync and Glide, and each choice acts',
  async run(browser, origin) {
    const page = await openFace(browser, origin, 'scale=100');
    try {
      const closed = await readArea(page, { x: BACKDROP.x, y: BACKDROP.y, width: 40, height: 20 });
      await clickAt(page, BACKDROP.x, BACKDROP.y, 'right');
      const rows = await page.evaluate(() => window.face.menuRows());
      if (!rows) throw new Error('no menu opened');
      const allRows = [...rows.scales, ...rows.choices.flat()];
      if (rows.scales.length !== 3 || rows.choices.length !== 2 ||
          allRows.some((r) => !(r.width > 0 && r.height > 0))) {
        throw new Error(`menu rows ${JSON.stringify(rows)}`);
      }
      const open = await readArea(page, { x: BACKDROP.x, y: BACKDROP.y, width: 40, height: 20 });
      if (closed.every((v, i) => v === open[i])) throw new Error('the menu is not drawn');
      await savePicture(page, 'page-menu.png');

      const picks = [
        { row: rows.choices[0][1], id: 1002, plain: 1 },  // Sweep Sync: Song
        { row: rows.choices[1][0], id: 1003, plain: 0 },  // Glide: Off
      ];
      for (const pick of picks) {
        if (!(await page.evaluate(() => window.face.menuRows()))) {
          await clickAt(page, BACKDROP.x, BACKDROP.y, 'right');
        }
        const { x, y } = centre(pick.row);
        await clickAt(page, x, y);
        const edits = await page.evaluate(() => window.link.edits);
        if (!edits.some(([id, plain]) => id === pick.id && plain === pick.plain)) {
          throw new Error(`no edit ${pick.id} = ${pick.plain}: ${JSON.stringify(edits)}`);
        }
      }
      await clickAt(page, BACKDROP.x, BACKDROP.y, 'right');
      const { x, y } = centre(rows.scales[1]);
      await clickAt(page, x, y);
      const width = await page.evaluate(() => window.face.canvas.width);
      if (width !== 780) throw new Error(`the face is ${width} pixels wide after choosing 150 %`);
    } finally {
      await page.close();
    }
  },
});

tests.push({
  name: 'a right click on a knob opens a value box: Enter takes the typed value, Escape nothing',
  async run(browser, origin) {
    const page = await openFace(browser, origin, 'scale=100');
    try {
      const typings = [
        { keys: '1000', finish: 'Enter', last: 1000 },
        { keys: '5000', finish: 'Escape', last: 1000 },
      ];
      for (const typing of typings) {
        await clickAt(page, KNOB.x, KNOB.y, 'right');
        const box = await page.$('.tavrellion-face input');
        if (!box) throw new Error('no value box opened');
        await box.evaluate((input) => { input.value = ''; });
        await page.keyboard.type(typing.keys);
        await page.keyboard.press(typing.finish);
        await settle(page);
        const { edits, gestures } = await page.evaluate((knob) => ({
          edits: window.link.edits.filter(([id]) => id === knob),
          gestures: window.link.gestures,
        }), KNOB.id);
        const last = edits.length ? edits[edits.length - 1][1] : undefined;
        const open = gestures.reduce((n, [, begin]) => n + (begin ? 1 : -1), 0);
        if (last !== typing.last || open !== 0) {
          throw new Error(`${typing.keys} ${typing.finish}: edits ${JSON.stringify(edits)}, ` +
                          `gestures ${JSON.stringify(gestures)}`);
        }
        if (await page.$('.tavrellion-face input')) throw new Error('the value box stayed open');
      }
    } finally {
      await page.close();
    }
  },
});

tests.push({
  name: 'a click on the title opens the product\'s page',
  async run(browser, origin) {
    const page = await openFace(browser, origin, 'scale=100');
    try {
      await clickAt(page, TITLE.x, TITLE.y);
      const opened = await page.evaluate(() => window.opened);
      if (opened.length !== 1 || !/^https?:\/\/\S+\/Tavrellion$/.test(opened[0])) {
        throw new Error(`opened ${JSON.stringify(opened)}`);
      }
    } finally {
      await page.close();
    }
  },
});

tests.push({
  name: 'an idle face does not repaint, a busy one does',
  async run(browser, origin) {
    const page = await openFace(browser, origin, 'scale=100');
    try {
      const start = await page.evaluate(() => window.putCount());
      await sleep(1000);
      const idle = (await page.evaluate(() => window.putCount())) - start;
      if (idle !== 0) throw new Error(`${idle} repaints in a second without input`);
      await page.evaluate(() => window.link.change(0, 3000));
      await settle(page);
      const busy = (await page.evaluate(() => window.putCount())) - start;
      if (busy === 0) throw new Error('a value from the host was not painted');
    } finally {
      await page.close();
    }
  },
});

const { server, origin } = await startServer(siteDir);
const browser = await puppeteer.launch({
  executablePath: '/usr/bin/chromium',
  headless: true,
  args: ['--no-sandbox', '--force-device-scale-factor=1'],
});
let failures = 0;
try {
  for (const test of tests) {
    try {
      await test.run(browser, origin);
      console.log(`ok    ${test.name}`);
    } catch (error) {
      failures += 1;
      console.log(`FAIL  ${test.name}: ${error.message}`);
    }
  }
} finally {
  await browser.close();
  server.kill();
}
console.log(failures === 0 ? `all ${tests.length} passed` : `${failures} of ${tests.length} failed`);
process.exit(failures === 0 ? 0 : 1);
