// What the browser tests share: reading the page's state and texts, and
// doing what a person does (typing, dropping a file), with a scratch folder
// of their own.
import { before, after } from 'node:test';
import assert from 'node:assert/strict';
import { mkdtempSync, readFileSync, rmSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { openBrowser } from './browser.mjs';
import { nativeValues, repo } from './support.mjs';
import { EDGE_ROWS, formatValue, shownProfiles } from '../page/charts.js';

export const scratch = mkdtempSync(join(tmpdir(), 'explorer-test-'));
// Gone however the process ends (a script importing this, a test file that stops early).
process.on('exit', () => rmSync(scratch, { recursive: true, force: true }));

// The browser the tests of a file share: started before them, closed after
// them with the scratch folder. `shared.session` is openExplorer's argument.
export function sharedBrowser() {
  const shared = { session: null };
  before(async () => { shared.session = await openBrowser(); });
  after(async () => {
    await shared.session?.close();
    rmSync(scratch, { recursive: true, force: true });
  });
  return shared;
}

export const settled = (page) => page.evaluate(() => new Promise((done) => requestAnimationFrame(() => requestAnimationFrame(done))));
export const pageState = (page) => page.evaluate(() => {
  const { section, profiles, left, right } = window.explorer.state;
  return { section, profiles, left, right };
});
export const pageView = (page) => page.evaluate(() => window.explorer.state.view);
export const edgeTexts = (page) => page.evaluate(() => Object.fromEntries(
  [...document.querySelectorAll('#edge-table td[id]')].map((cell) => [cell.id, cell.textContent])));
export const message = (page) => page.evaluate(() => ({
  shown: !document.getElementById('message').hidden,
  text: document.getElementById('message-text').textContent,
}));

// The native build's profiles of the page's section, read back from the
// data file the page makes of it.
export function nativeOf(bytes, left, right, name) {
  const path = join(scratch, name);
  writeFileSync(path, Buffer.from(bytes));
  return nativeValues(path, left, right, 200);
}
export const pageDataFile = (page) => page.evaluate(() => Array.from(window.explorer.state.engine.dataFile()));

// The edge table shows the engine's values as chosen on the page (B in
// µT for a metric line by default).
export function expectEdgeTexts(texts, engineProfiles, view = { bUnit: 'uT', measure: { e: 'max', b: 'max' } }) {
  const profiles = shownProfiles(engineProfiles, view);
  const n = profiles.x.length;
  for (const row of EDGE_ROWS) {
    assert.equal(texts[`edge-${row.key}-left`], formatValue(row.key, profiles[row.key][0]), row.key);
    assert.equal(texts[`edge-${row.key}-right`], formatValue(row.key, profiles[row.key][n - 1]), row.key);
  }
}

export async function markerCentre(page, index) {
  return page.$eval(`[data-group="${index}"] .marker`, (el) => {
    const r = el.getBoundingClientRect();
    return { x: r.x + r.width / 2, y: r.y + r.height / 2 };
  });
}

// example.dat with each `from` replaced by `to`.
export function exampleWith(...changes) {
  let text = readFileSync(join(repo, 'examples', 'example.dat'), 'latin1');
  for (const [from, to] of changes) {
    assert.ok(text.includes(from), from);
    text = text.replace(from, to);
  }
  return text;
}

// A file dropped on the page, as a person drops one.
export const dropFile = (page, text, name) => page.evaluate((body, fileName) => {
  const bytes = Uint8Array.from(body, (c) => c.charCodeAt(0));  // Latin-1
  const transfer = new DataTransfer();
  transfer.items.add(new File([bytes], fileName));
  window.dispatchEvent(new DragEvent('drop', { dataTransfer: transfer, bubbles: true, cancelable: true }));
}, text, name);

// Where an element stands against the window: within it, or not.
export const inView = (page, selector) => page.$eval(selector, (el) => {
  const r = el.getBoundingClientRect();
  return r.width > 0 && r.height > 0 && r.top >= 0 && r.bottom <= window.innerHeight && r.left >= 0 && r.right <= window.innerWidth;
});

// What a person reads: the text of the page's panels.
export const shownText = (page) => page.$eval('#layout', (el) => el.innerText);

export async function typeInto(page, selector, text, key = 'Enter') {
  await page.click(selector, { clickCount: 3 });
  await page.keyboard.press('Backspace');
  await page.type(selector, text);
  if (key) await page.keyboard.press(key);
}

export const stacked = (count) => [' STACKED', ' ', ` 0,0,${count},${count},0.0,   0.00,   1.00, 300.00`, ' ALL',
  '   1.5, 2.0, 10.0, 1.0, 1.0, 75.0, 1.0, 10.0, 1.0',
  ...Array.from({ length: count }, (_, i) => ` 'P${i}','A', 0.00, 15.00, 3, 30.0, 45.0, 303.0, ${(i % 3) * 120}.0, 1.0, 0.0`),
  '  21,  -50.0,    5.0', '   0,    0.0,    0.0', ''].join('\n');
