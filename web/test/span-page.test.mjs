// The span panel in headless chromium: the map of every bundled line,
// negative poles too, against the native build's; the spans solved in a
// Web Worker, when their cost allows, with the page answering throughout a
// drag; a refused length or sag and a line whose spans cannot be solved,
// each message gone with its cause; B in the page's unit.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import { writeFileSync } from 'node:fs';
import { join } from 'node:path';
import { openExplorer } from './browser.mjs';
import { reference, repo, withoutFma } from './support.mjs';
import {
  dropFile, exampleWith, markerCentre, message, pageDataFile, scratch, sharedBrowser, typeInto,
} from './page-support.mjs';

const browser = sharedBrowser();

const mapState = (page) => page.$eval('#span-map', (c) => c.dataset.state);
const note = (page) => page.$eval('#span-note', (el) => el.textContent);
const shown = (page, id) => page.$eval(`#${id}`, (el) => (el.hidden ? '' : el.textContent));
const current = (page, timeout = 60000) =>
  page.waitForFunction(() => document.getElementById('span-map').dataset.state === 'current', { timeout, polling: 50 });

// The native build's map of the page's line, from the data file the page makes of it.
async function nativeMap(page, length, sag, quantity) {
  const path = join(scratch, 'span.dat');
  writeFileSync(path, Buffer.from(await pageDataFile(page)));
  return JSON.parse(execFileSync(reference, ['--span', path, String(length), String(sag), quantity, '33', '15'], { encoding: 'utf8', env: withoutFma }));
}
// A hybrid line's map is of its AC phases' field: E-AC, B-AC.
const largestIn = (text) => Number(/Largest [EB](?:-AC)? on the map ([\d.]+) /.exec(text)?.[1]);
const rounded = (v) => (v >= 100 ? v.toFixed(0) : v >= 10 ? v.toFixed(1) : v.toFixed(2));

test('every bundled line has its map, negative poles too, as the native build\'s; nothing of the line before stays', async () => {
  const page = await openExplorer(browser.session);
  for (const name of ['example.dat', '500kv_dc_bipole.dat', 'hybrid_corridor.dat', '500kv_english.dat']) {
    if (name !== 'example.dat') {
      await page.select('#example', name);
      await page.waitForFunction((f) => window.explorer.state.fileName === f, {}, name);
    }
    await current(page);
    const english = name.includes('english');
    const native = await nativeMap(page, english ? 1300 : 400, english ? 40 : 12, 'E');
    const text = await note(page);
    assert.equal(largestIn(text), Number(rounded(native.largest)), `${name}: ${text}`);
    assert.equal((await message(page)).shown, false, name);
    assert.equal(await shown(page, 'span-failure'), '', name);
  }
  assert.deepEqual(page.errors, []);
  await page.close();
});

test('a refused sag returns to the last taken; a line whose spans cannot be solved says so until its cause is gone', async () => {
  const page = await openExplorer(browser.session);
  await current(page);
  const before = await note(page);
  await typeInto(page, '#span-sag', '500');
  assert.equal(await page.$eval('#span-sag', (el) => el.value), '12');
  assert.equal(await page.$eval('#span-sag-drag', (el) => el.value), '12');
  assert.match(await shown(page, 'span-refusal'), /^"500" refused: sag 500 m: must be 0 or above and below the span length \(400 m\)$/);
  assert.equal(await mapState(page), 'current');
  assert.equal(await note(page), before);
  // A sag taken clears the message and draws its map.
  await typeInto(page, '#span-sag', '10');
  assert.equal(await shown(page, 'span-refusal'), '');
  await current(page);
  assert.match(await note(page), /Largest E on the map/);
  // Phase B hung against phase A: the spans cannot be solved, and no map stands beside the message.
  await typeInto(page, 'tr[data-group="1"] input[data-field="x"]', '-12');
  await typeInto(page, 'tr[data-group="1"] input[data-field="y"]', '15.1');
  await page.waitForFunction(() => !document.getElementById('span-failure').hidden, { timeout: 30000 });
  assert.match(await shown(page, 'span-failure'), /The spans cannot be solved: .*conductors 1 and 2 touch/);
  assert.equal(await mapState(page), 'empty');
  assert.doesNotMatch(await note(page), /Largest/);
  assert.equal((await message(page)).shown, false);
  // Moved apart again: the message goes, the map comes.
  await typeInto(page, 'tr[data-group="1"] input[data-field="x"]', '0');
  await current(page);
  assert.equal(await shown(page, 'span-failure'), '');
  assert.deepEqual(page.errors, []);
  await page.close();
});

test('B on the map follows the page\'s unit, mG for an English line', async () => {
  const page = await openExplorer(browser.session);
  await page.select('#example', '500kv_english.dat');
  await page.waitForFunction(() => window.explorer.state.section.english);
  await page.select('#span-quantity', 'B');
  await current(page);
  const native = await nativeMap(page, 1300, 40, 'B');  // µT
  assert.equal(await page.$eval('#span-quantity option[value="B"]', (el) => el.textContent), 'B, mG');
  let text = await note(page);
  assert.match(text, /Largest B on the map [\d.]+ mG; the cross section's .* [\d.]+ mG/);
  assert.equal(largestIn(text), Number(rounded(native.largest * 10)));
  // Another unit chosen under the chart: the map and its note follow, without a new solve.
  await page.select('select[name="b-unit"]', 'uT');
  text = await note(page);
  assert.match(text, / µT; /);
  assert.equal(largestIn(text), Number(rounded(native.largest)));
  assert.equal(await mapState(page), 'current');
  assert.equal(await page.$eval('#span-quantity option[value="B"]', (el) => el.textContent), 'B, µT');
  assert.deepEqual(page.errors, []);
  await page.close();
});

// Twelve phases at 2.5 m: about 4,000 unknown charges, seconds to solve.
const twelveLow = [' TWELVE PHASES LOW', ' ', ' 0,0,12,12,0.0,   0.00,   1.00, 300.00', ' EF MF',
  '   1.5, 2.0, 10.0, 1.0, 1.0, 75.0, 1.0, 10.0, 1.0',
  ...Array.from({ length: 12 }, (_, i) =>
    ` 'P${i}','A', ${(-27.5 + 5 * i).toFixed(2)}, 2.50, 1, 30.0, 0.0, 100.0, ${(i % 3) * 120}.0, 1.0, 0.0`),
  '  21,  -50.0,    5.0', '   0,    0.0,    0.0', ''].join('\n');
// The example's phases at 3 m: 1,285 unknown charges, solved once a change is done.
const phasesLow = exampleWith(['  -12.00,   15.00,', '  -12.00,    3.00,'], ['    0.00,   15.00,', '    0.00,    3.00,'],
  ['   12.00,   15.00,', '   12.00,    3.00,']);

// Records every main-thread task of 50 ms or more from now on.
const watchLongTasks = (page) => page.evaluate(() => {
  window.longTasks = [];
  new PerformanceObserver((list) => window.longTasks.push(...list.getEntries().map((e) => e.duration)))
    .observe({ type: 'longtask' });
});
const longest = (page) => page.evaluate(() => Math.max(0, ...window.longTasks));

// A group dragged by `moves` steps: the slowest answer of the page to an
// input during the drag and its longest task, ms.
async function dragGroup(page, index, moves) {
  await page.evaluate(() => { window.longTasks.length = 0; });
  const from = await markerCentre(page, index);
  await page.mouse.move(from.x, from.y);
  await page.mouse.down();
  let slowest = 0;
  for (let i = 1; i <= moves; i += 1) {
    await page.mouse.move(from.x + i * 2, from.y - (i % 4));
    const sent = Date.now();
    await page.evaluate(() => 0);  // the page answers
    slowest = Math.max(slowest, Date.now() - sent);
  }
  await page.mouse.up();
  return { answer: slowest, task: await longest(page) };
}

// The bound asked for holds on at least one of five drags: the machine is
// shared, and another program's burst may hold up any one of them (a solve
// on the page's own thread holds up every one).
async function answersWithin(page, index, bound, report, name) {
  const tries = [];
  for (let i = 0; i < 5; i += 1) {
    const drag = await dragGroup(page, index, 15);
    tries.push(drag);
    if (drag.answer < bound && drag.task < bound) break;
  }
  report.push(`${name}: ${tries.map((d) => `answer ${d.answer} ms, longest task ${d.task.toFixed(0)} ms`).join(' / ')}`);
  return tries.some((d) => d.answer < bound && d.task < bound);
}

test('a drag on lines of costly spans keeps the page answering within 100 ms; each solve runs when its cost allows (measured for cheap ones)', async (t) => {
  const page = await openExplorer(browser.session);
  await current(page);
  await watchLongTasks(page);
  const report = [];
  const cases = [
    // file, text, how its spans are solved
    ['example.dat', null, 'live'],
    ['phases-low.dat', phasesLow, 'settled'],
    ['twelve-low.dat', twelveLow, 'asked'],
  ];
  for (const [name, text, mode] of cases) {
    if (text) {
      await dropFile(page, text, name);
      await page.waitForFunction((n) => window.explorer.state.fileName === n, {}, name);
    }
    if (mode === 'live') await current(page);
    if (mode === 'settled') {
      // Solved once opened, in the worker.
      assert.equal(await mapState(page), 'solving');
      await current(page, 300000);
    }
    if (mode === 'asked') {
      assert.equal(await page.$eval('#span-compute', (b) => b.hidden), false);
      assert.match(await note(page), /^\d+ unknown charges.*solved when you ask/);
    }
    // Costly spans: the bound holds. Cheap ones are solved during the drag,
    // in the worker: measured and reported (the drag's own work, with the
    // machine shared, may pass the bound alone).
    const answered = await answersWithin(page, 1, 100, report, `${name} (${mode})`) || mode === 'live';
    const state = await mapState(page);
    if (mode === 'live') {
      await current(page);
    } else if (mode === 'settled') {
      // Let go: the solve of the new place runs, the map marked as the line before.
      assert.equal(state, 'solving');
      assert.match(await note(page), /the map shows the line before the latest change.*Solving the spans…/);
      // A sag dragged overtakes it: the solve running stops, the newest runs.
      await page.$eval('#span-sag-drag', (el) => { el.value = '14'; el.dispatchEvent(new Event('input')); el.dispatchEvent(new Event('change')); });
      assert.equal(await page.$eval('#span-sag', (el) => el.value), '14');
      await current(page, 300000);
      assert.match(await note(page), /Largest E/);
    } else {
      // Asked: solving in the worker, the page answering; stopped on request.
      assert.equal(state, 'empty');
      await page.click('#span-compute');
      assert.equal(await mapState(page), 'solving');
      assert.ok(await answersWithin(page, 1, 100, report, `${name} while solving`), report.join('; '));
      assert.match(await note(page), /Solving the spans… [\d.]+ s \(\d+ unknown charges/);
      await page.click('#span-stop');
      assert.equal(await mapState(page), 'empty');
      assert.equal(await page.$eval('#span-stop', (b) => b.hidden), true);
    }
    assert.ok(answered, report.join('; '));
  }
  t.diagnostic(report.join('; '));
  console.log(report.join('\n'));
  assert.deepEqual(page.errors, []);
  await page.close();
});
