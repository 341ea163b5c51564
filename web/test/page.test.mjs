// The explorer in headless chromium: the example at first open, a group
// dragged with the mouse and the profiles and edge values that follow (the
// native build's values for the new position), a refused value with
// everything kept, values not computed, warnings beside their value, the
// keyboard, a narrow window, units and measures, the gradient list, and the
// drag-to-redraw time on a 50-group line (measured and reported, not
// asserted). Files opened, refused and downloaded: files.test.mjs; the span
// panel: span-page.test.mjs.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { writeFileSync } from 'node:fs';
import { join } from 'node:path';
import { openExplorer } from './browser.mjs';
import { nativeValues, valueDifference, repo, here } from './support.mjs';
import {
  dropFile, edgeTexts, expectEdgeTexts, inView, markerCentre, message, nativeOf, pageDataFile, pageState, pageView,
  scratch, settled, sharedBrowser, shownText, typeInto,
} from './page-support.mjs';
import { EDGE_ROWS, formatValue, defaultView, shownProfiles, missingNote, QUANTITIES } from '../page/charts.js';
import { gradientBar } from '../page/draw.js';

const browser = sharedBrowser();

test('the example opens at first with the engine\'s values at the edges', async () => {
  const page = await openExplorer(browser.session);
  const state = await pageState(page);
  assert.equal(state.section.groups.length, 5);
  assert.match(await page.$eval('#titles', (el) => el.textContent), /500 KV EXAMPLE LINE/);
  assert.equal(await page.$$eval('#cross-section [data-group]', (els) => els.length), 5);
  assert.match(await page.$eval('[data-group="0"]', (el) => el.textContent), /PHASE A.*0°/);
  // To scale: as many pixels per metre across as up
  const a = await markerCentre(page, 0);  // x -12, height 15
  const c = await markerCentre(page, 2);  // x 12, height 15
  const earth = await markerCentre(page, 3);  // x -9, height 25
  const across = (c.x - a.x) / 24;
  const up = (a.y - earth.y) / 10;
  assert.ok(Math.abs(across - up) < 0.01 * across, `${across} px/m across, ${up} px/m up`);
  const native = nativeValues(join(repo, 'examples', 'example.dat'), state.left, state.right, 200);
  assert.equal(valueDifference(state.profiles, native.profiles), null);
  expectEdgeTexts(await edgeTexts(page), native.profiles);
  assert.deepEqual(page.errors, []);
  await page.close();
});

test('dragging a group moves the profiles and edge values to the engine\'s for the new place', async () => {
  const page = await openExplorer(browser.session);
  const before = await pageState(page);
  const from = await markerCentre(page, 0);
  await page.mouse.move(from.x, from.y);
  await page.mouse.down();
  await page.mouse.move(from.x + 45, from.y - 30, { steps: 8 });
  await page.mouse.up();
  await settled(page);
  const after = await pageState(page);
  const moved = after.section.groups[0];
  assert.ok(moved.x > before.section.groups[0].x + 1, `x ${moved.x}`);
  assert.ok(moved.y > before.section.groups[0].y + 1, `y ${moved.y}`);
  assert.notEqual(after.profiles.e[0], before.profiles.e[0]);
  const native = nativeOf(await pageDataFile(page), after.left, after.right, 'dragged.dat');
  assert.deepEqual(native.section.groups[0], moved);
  assert.equal(valueDifference(after.profiles, native.profiles), null);
  expectEdgeTexts(await edgeTexts(page), native.profiles);
  assert.notDeepEqual(await edgeTexts(page), {});

  // The right edge, dragged inwards
  const edge = await page.$eval('[data-edge="right"] .edge-handle rect', (el) => {
    const r = el.getBoundingClientRect();
    return { x: r.x + r.width / 2, y: r.y + r.height / 2 };
  });
  await page.mouse.move(edge.x, edge.y);
  await page.mouse.down();
  await page.mouse.move(edge.x - 80, edge.y, { steps: 5 });
  await page.mouse.up();
  await settled(page);
  const narrowed = await pageState(page);
  assert.ok(narrowed.right < after.right - 5, `right edge ${narrowed.right}`);
  const again = nativeValues(join(scratch, 'dragged.dat'), narrowed.left, narrowed.right, 200);
  assert.equal(valueDifference(narrowed.profiles, again.profiles), null);
  expectEdgeTexts(await edgeTexts(page), again.profiles);
  await page.close();
});

test('an invalid value shows the message and keeps what was on screen', async () => {
  const page = await openExplorer(browser.session);
  const before = await pageState(page);
  const texts = await edgeTexts(page);
  const input = 'tr[data-group="1"] input[data-field="x"]';
  await page.click(input, { clickCount: 3 });
  await page.type(input, '12,5');
  await page.keyboard.press('Enter');
  const shown = await message(page);
  assert.ok(shown.shown);
  assert.equal(shown.text, 'group 2 (PHASE B) x: "12,5" is not a number');
  assert.equal(await page.$eval(input, (el) => el.value), '0');
  assert.deepEqual(await pageState(page), before);
  assert.deepEqual(await edgeTexts(page), texts);

  // A value the engine's checks refuse
  const diameter = 'tr[data-group="0"] input[data-field="diameter"]';
  await page.click(diameter, { clickCount: 3 });
  await page.type(diameter, '0');
  await page.keyboard.press('Tab');
  assert.match((await message(page)).text, /diameter/);
  assert.equal(await page.$eval(diameter, (el) => el.value), '30');
  assert.deepEqual(await pageState(page), before);

  // A good value clears the message and moves the group
  await page.click(input, { clickCount: 3 });
  await page.type(input, '2.5');
  await page.keyboard.press('Enter');
  assert.equal((await message(page)).shown, false);
  assert.equal((await pageState(page)).section.groups[1].x, 2.5);
  await page.close();
});

test('values not computed read n/a with the reason, never a marker number', async () => {
  const page = await openExplorer(browser.session);
  // The example has no wind: no ozone, and the page says why.
  const note = 'no wind: ozone is carried nowhere, so it is not computed downwind';
  assert.equal(await page.$eval('[data-quantity="ozone"] .chart-note', (el) => (el.hidden ? '' : el.textContent)), note);
  assert.equal(await page.$eval('[data-quantity="ozone"] svg', (el) => getComputedStyle(el).display), 'none');
  assert.equal(await page.$eval('input[name="wind"] ~ .field-warning', (el) => el.textContent), note);
  let texts = await edgeTexts(page);
  for (const side of ['left', 'right', 'max']) assert.equal(texts[`edge-ozone-${side}`], 'n/a');
  // Radio at 0 MHz: not computed, not -10006 dB.
  await typeInto(page, 'input[name="ri_frequency"]', '0');
  texts = await edgeTexts(page);
  for (const key of ['ri_rain', 'ri_fair']) {
    for (const side of ['left', 'right', 'max']) assert.equal(texts[`edge-${key}-${side}`], 'n/a', key);
  }
  assert.match(await page.$eval('[data-quantity="ri"] .chart-note', (el) => el.textContent), /not computed at 0 MHz/);
  assert.doesNotMatch(await shownText(page), /-9999|-10006|-999\.9|NaN/);
  // With wind, ozone is drawn, upwind 0 and a value downwind.
  await typeInto(page, 'input[name="wind"]', '2');
  texts = await edgeTexts(page);
  assert.equal(texts['edge-ozone-left'], '0');
  assert.match(texts['edge-ozone-right'], /^\d/);
  assert.equal(await page.$eval('[data-quantity="ozone"] .chart-note', (el) => el.hidden), true);
  assert.equal(await page.$eval('input[name="wind"] ~ .field-warning', (el) => el.hidden), true);
  assert.deepEqual(page.errors, []);
  await page.close();
});

test('a refused value shows its message beside the value and in view; a warning stands beside its value', async () => {
  const page = await openExplorer(browser.session);
  // Far down the page: the rain rate of the conditions.
  await page.$eval('input[name="rain"]', (el) => el.scrollIntoView({ block: 'center' }));
  await typeInto(page, 'input[name="rain"]', '1,2');
  assert.equal(await page.$eval('input[name="rain"] ~ .field-refusal', (el) => el.textContent),
    '"1,2" refused: rain: "1,2" is not a number');
  assert.ok(await inView(page, 'input[name="rain"] ~ .field-refusal'));
  assert.equal(await page.$eval('input[name="rain"]', (el) => el.getAttribute('aria-invalid')), 'true');
  // A value taken clears it.
  await typeInto(page, 'input[name="rain"]', '1.5');
  assert.equal(await page.$eval('input[name="rain"] ~ .field-refusal', (el) => el.hidden), true);
  // A negative current: taken, with the engine's warning beside it and at the top.
  const current = 'tr[data-group="0"] input[data-field="ka"]';
  await typeInto(page, current, '-1');
  assert.equal((await pageState(page)).section.groups[0].ka, -1);
  const warning = await page.$eval('tr[data-notes="0"] .field-warning', (el) => el.textContent);
  assert.match(warning, /^group 1 PHASE A: current -1 kA entered negative/);
  assert.ok(await inView(page, 'tr[data-notes="0"] .field-warning'));
  assert.equal(await page.$eval(current, (el) => el.classList.contains('warned')), true);
  assert.equal(await page.$eval('#warnings', (el) => el.textContent), warning);
  await typeInto(page, current, '1');
  assert.equal(await page.$eval('tr[data-notes="0"]', (el) => el.hidden), true);
  assert.equal(await page.$eval('#warnings', (el) => el.hidden), true);
  assert.deepEqual(page.errors, []);
  await page.close();
});

test('the keyboard reaches the cross section and arrow keys move a group by a step', async () => {
  const page = await openExplorer(browser.session);
  await page.focus('#download-print');
  await page.keyboard.press('Tab');
  assert.equal(await page.evaluate(() => document.activeElement.dataset.edge), 'left');
  await page.$eval('[data-group="2"]', (el) => el.focus());
  await page.keyboard.press('ArrowRight');
  await page.keyboard.press('ArrowUp');
  await page.keyboard.down('Shift');
  await page.keyboard.press('ArrowUp');
  await page.keyboard.up('Shift');
  const group = (await pageState(page)).section.groups[2];
  assert.equal(group.x, 12.5);
  assert.equal(group.y, 20.5);
  assert.equal(await page.evaluate(() => document.activeElement.dataset.group), '2');
  assert.equal(await page.evaluate(() => window.explorer.state.selected), 2);
  await page.keyboard.press('Tab');
  await page.$eval('[data-edge="left"]', (el) => el.focus());
  await page.keyboard.press('ArrowLeft');
  assert.equal((await pageState(page)).left, -50.5);
  await page.close();
});

test('a narrow window keeps everything within its width', async () => {
  const page = await openExplorer(browser.session, 390, 844);
  const widths = await page.evaluate(() => ({
    page: document.documentElement.scrollWidth,
    view: document.getElementById('cross-section').getBoundingClientRect().right,
    charts: Math.max(...[...document.querySelectorAll('.chart')].map((c) => c.getBoundingClientRect().right)),
  }));
  assert.ok(widths.page <= 390, JSON.stringify(widths));
  assert.ok(widths.view <= 390 && widths.charts <= 390, JSON.stringify(widths));
  assert.deepEqual(page.errors, []);
  await page.close();
});

test('drag to redrawn profiles on a 50-group hybrid line with 200 points (measured)', async (t) => {
  const page = await openExplorer(browser.session);
  await (await page.$('#file')).uploadFile(join(here, 'data', 'hybrid50.dat'));
  await page.waitForFunction(() => window.explorer.state.section.groups.length === 50);
  assert.equal((await pageState(page)).profiles.x.length, 200);
  // Fifty groups: the spans wait to be asked for, so no drag waits for their solve.
  assert.equal(await page.$eval('#span-compute', (b) => b.hidden), false);
  const from = await markerCentre(page, 20);
  await page.evaluate(() => { window.explorer.timings.length = 0; window.explorer.engineTimings.length = 0; });
  await page.mouse.move(from.x, from.y);
  await page.mouse.down();
  for (let i = 1; i <= 30; ++i) {
    await page.mouse.move(from.x + i * 2, from.y - (i % 5));
    await settled(page);
  }
  await page.mouse.up();
  const { timings, engineTimings } = await page.evaluate(() => ({
    timings: window.explorer.timings.slice(), engineTimings: window.explorer.engineTimings.slice(),
  }));
  assert.ok(timings.length >= 20, `${timings.length} redraws`);
  const median = (values) => [...values].sort((a, b) => a - b)[Math.floor(values.length / 2)];
  const line = `drag to redrawn profiles, 50 groups, 200 points: median ${median(timings).toFixed(1)} ms over ` +
    `${timings.length} drags (fastest ${Math.min(...timings).toFixed(1)} ms, slowest ${Math.max(...timings).toFixed(1)} ms), ` +
    `of which the engine (gradients and profiles) ${median(engineTimings).toFixed(1)} ms`;
  t.diagnostic(line);
  console.log(line);
  writeFileSync(join(here, '..', '..', 'build-web', 'drag-timing.txt'), `${line}\n`);
  await page.close();
});

// The text of each drawn chart's axis units: [value unit, distance unit].
const axisUnits = (page) => page.$$eval('.chart', (charts) => Object.fromEntries(charts
  .filter((c) => getComputedStyle(c.querySelector('svg')).display !== 'none')
  .map((c) => [c.dataset.quantity, [...c.querySelectorAll('.tick.unit')].map((t) => t.textContent)])));
const chartHead = (page, key) => page.$eval(`[data-quantity="${key}"] h3`, (el) => el.textContent);
const rowHead = (page, key) => page.$eval(`#edge-${key}-left`, (el) => el.parentElement.cells[0].textContent);

test('B reads in µT for a metric line and mG for an English one, in the unit chosen; every axis names its unit', async () => {
  const page = await openExplorer(browser.session);
  const { profiles } = await pageState(page);
  assert.deepEqual(await pageView(page), { bUnit: 'uT', measure: { e: 'max', b: 'max' } });
  // Each unit: the chart heading, its axis, the edge row and the values (engine gauss times the factor).
  for (const [unit, label, perGauss] of [['mG', 'mG', 1000], ['G', 'G', 1], ['uT', 'µT', 100]]) {
    await page.select('select[name="b-unit"]', unit);
    assert.match(await chartHead(page, 'b'), new RegExp(`Magnetic field.* ${label}$`), unit);
    assert.match(await rowHead(page, 'b'), new RegExp(`Magnetic field ${label}$`), unit);
    assert.deepEqual((await axisUnits(page)).b, [label, 'm'], unit);
    const texts = await edgeTexts(page);
    assert.equal(texts['edge-b-left'], formatValue('b', profiles.b[0] * perGauss), unit);
    assert.equal(texts['edge-b-max'], formatValue('b', Math.max(...profiles.b) * perGauss), unit);
    assert.match(await page.$eval('[data-edge-value="b-right"]', (el) => el.parentElement.textContent), new RegExp(` ${label}$`));
  }
  // Every chart drawn names both its units; nothing is left unlabelled.
  assert.deepEqual(await axisUnits(page),
    { e: ['kV/m', 'm'], b: ['µT', 'm'], an: ['dB(A)', 'm'], ri: ['dB µV/m', 'm'] });
  for (const row of EDGE_ROWS) assert.match(await rowHead(page, row.key), /\S+ \S+$/, row.key);
  // An English line opens in mG with distances in feet, whatever was chosen before.
  await page.select('select[name="b-unit"]', 'G');
  await page.select('#example', '500kv_english.dat');
  await page.waitForFunction(() => window.explorer.state.section.english);
  assert.equal((await pageView(page)).bUnit, 'mG');
  assert.equal(await page.$eval('select[name="b-unit"]', (el) => el.value), 'mG');
  assert.deepEqual((await axisUnits(page)).b, ['mG', 'ft']);
  const english = await pageState(page);
  expectEdgeTexts(await edgeTexts(page), english.profiles, await pageView(page));
  assert.equal((await edgeTexts(page))['edge-b-left'], formatValue('b', english.profiles.b[0] * 1000));
  assert.deepEqual(page.errors, []);
  await page.close();
});

// A 525 kV flat line whose resultant fields another field program pins:
// E at 20 m and 2 m above ground, B at the centre and 1 m.
const peerLine = [' 525 KV FLAT LINE', ' PHASES 10 M APART, 10.6 M HIGH', ' 0,0, 3, 3,0.0,   0.00,   1.00, 300.00', ' EF MF',
  '   1.500,  2.000, 10.000,  1.000,  1.000, 75.000,  1.000, 10.000,  2.000',
  " 'A       ','A',  -10.00,   10.60, 3,  33.000,  45.000, 303.100, 120.000,   1.000,   0.000",
  " 'B       ','A',    0.00,   10.60, 3,  33.000,  45.000, 303.100,   0.000,   1.000,   0.000",
  " 'C       ','A',   10.00,   10.60, 3,  33.000,  45.000, 303.100,-120.000,   1.000,   0.000",
  '  21,    0.0,    1.0', '   0,    0.0,    0.0', ''].join('\n');

test('each field chart offers the resultant beside the ellipse maximum, which stays the default', async () => {
  const page = await openExplorer(browser.session);
  await dropFile(page, peerLine, 'peer.dat');
  await page.waitForFunction(() => window.explorer.state.fileName === 'peer.dat');
  const { profiles, left, right } = await pageState(page);
  assert.deepEqual([left, right], [0, 20]);
  const n = profiles.x.length;
  // The other program's values: 4877 V/m and 21.05 µT.
  assert.ok(Math.abs(profiles.e_res[n - 1] - 4.877) < 4.877 * 5e-4, `E ${profiles.e_res[n - 1]} kV/m`);
  assert.ok(Math.abs(profiles.b_res[0] * 100 - 21.05) < 21.05 * 1e-3, `B ${profiles.b_res[0] * 100} µT`);
  const native = nativeOf(await pageDataFile(page), left, right, 'peer.dat');
  assert.equal(valueDifference(profiles, native.profiles), null);
  // Each choice changes its own chart and edge row only.
  const cases = [
    [{ e: 'res', b: 'max' }, /Electric field, resultant/, /Magnetic field, ellipse maximum/],
    [{ e: 'res', b: 'res' }, /Electric field, resultant/, /Magnetic field, resultant/],
    [{ e: 'max', b: 'res' }, /Electric field, ellipse maximum/, /Magnetic field, resultant/],
  ];
  for (const [measure, eHead, bHead] of cases) {
    await page.select('select[name="e-measure"]', measure.e);
    await page.select('select[name="b-measure"]', measure.b);
    const view = await pageView(page);
    assert.deepEqual(view.measure, measure);
    assert.match(await chartHead(page, 'e'), eHead);
    assert.match(await chartHead(page, 'b'), bHead);
    assert.equal(/resultant/.test(await rowHead(page, 'e')), measure.e === 'res');
    assert.equal(/resultant/.test(await rowHead(page, 'b')), measure.b === 'res');
    expectEdgeTexts(await edgeTexts(page), profiles, view);
  }
  // A file opened starts again from the ellipse maximum.
  await page.select('#example', 'example.dat');
  await page.waitForFunction(() => window.explorer.state.fileName === 'example.dat');
  assert.deepEqual((await pageView(page)).measure, { e: 'max', b: 'max' });
  assert.match(await chartHead(page, 'e'), /ellipse maximum/);
  assert.deepEqual(page.errors, []);
  await page.close();
});

test('the gradient list shows every group, a negative pole\'s gradient left of the zero line', async () => {
  const page = await openExplorer(browser.session);
  const bars = () => page.$$eval('#gradients .gradient-bar', (rows) => rows.map((row) => {
    const track = row.querySelector('.track').getBoundingClientRect();
    const fill = row.querySelector('.fill').getBoundingClientRect();
    const zero = row.querySelector('.zero');
    const list = document.getElementById('gradients').getBoundingClientRect();
    const r = row.getBoundingClientRect();
    return {
      name: row.querySelector('.name').title, value: row.querySelector('.value').textContent,
      from: (fill.left - track.left) / track.width, to: (fill.right - track.left) / track.width,
      zero: zero.hidden ? 0 : (zero.getBoundingClientRect().left - track.left) / track.width,
      inside: r.top >= list.top - 0.5 && r.bottom <= list.bottom + 0.5,
    };
  }));
  const lines = [
    // file, groups, the negative pole's index
    ['500kv_dc_bipole.dat', 4, 1],
    ['hybrid_corridor.dat', 7, 4],
    ['hybrid50.dat', 50, -1],
  ];
  for (const [name, count, negative] of lines) {
    if (name === 'hybrid50.dat') {
      await (await page.$('#file')).uploadFile(join(here, 'data', name));
    } else {
      await page.select('#example', name);
    }
    await page.waitForFunction((file) => window.explorer.state.fileName === file, {}, name);
    const { profiles } = await pageState(page);
    const shown = await bars();
    assert.equal(shown.length, count, name);
    // Every row within the list (no scroll box cutting it off), its own value.
    shown.forEach((bar, i) => {
      assert.ok(bar.inside, `${name} group ${i + 1} cut off`);
      assert.equal(bar.value, profiles.gradients[i].toFixed(2), `${name} group ${i + 1}`);
    });
    const low = Math.min(0, ...profiles.gradients);
    const high = Math.max(...profiles.gradients);
    const zero = -low / (high - low);
    for (const [i, bar] of shown.entries()) {
      const g = profiles.gradients[i];
      // Bars to scale from the zero line: a negative one ends there, a positive one starts there.
      const [from, to] = g < 0 ? [zero + g / (high - low), zero] : [zero, zero + g / (high - low)];
      assert.ok(Math.abs(bar.from - from) < 0.02 && Math.abs(bar.to - to) < 0.02, `${name} group ${i + 1}: ${JSON.stringify(bar)}`);
    }
    if (negative >= 0) {
      assert.ok(profiles.gradients[negative] < 0, name);
      assert.match(shown[negative].value, /^-\d/);
      assert.ok(shown[negative].to <= shown[negative].zero + 0.02 && shown[negative].from < shown[negative].zero - 0.1, name);
    }
  }
  assert.deepEqual(page.errors, []);
  await page.close();
});

test('gradient bars and chart gaps, computed without a browser', () => {
  const bars = [
    // value, all gradients, expected { zero, start, width } in percent
    [10, [10, 5], { zero: 0, start: 0, width: 100 }],
    [5, [10, 5], { zero: 0, start: 0, width: 50 }],
    [-10, [10, -10], { zero: 50, start: 0, width: 50 }],
    [10, [10, -10], { zero: 50, start: 50, width: 50 }],
    [-5, [15, -5], { zero: 25, start: 0, width: 25 }],
    [null, [10, null], { zero: 0, start: 0, width: 0 }],
    [0, [0, 0], { zero: 0, start: 0, width: 0 }],
  ];
  for (const [value, all, want] of bars) {
    const got = gradientBar(value, all);
    for (const key of Object.keys(want)) assert.ok(Math.abs(got[key] - want[key]) < 1e-9, `${value} of ${all}: ${JSON.stringify(got)}`);
  }
  const [, , an, , ozone] = QUANTITIES;
  const x = [0, 1, 2, 3];
  const notes = [
    [ozone, { x, ozone: [1, 2, 3, 4] }, ''],
    [ozone, { x, ozone: [0, null, 3, null] }, 'not computed at 2 of 4 points, left out of the curve'],
    [an, { x, an_rain: [1, 2, 3, 4], an_fair: [null, null, null, null] }, 'fair weather: not computed, not drawn'],
    [an, { x, an_rain: [null, 2, 3, 4], an_fair: [1, 2, 3, NaN] },
      'rain: not computed at 1 of 4 points, left out of the curve; fair weather: not computed at 1 of 4 points, left out of the curve'],
  ];
  for (const [q, profiles, want] of notes) assert.equal(missingNote(q, profiles), want, JSON.stringify(profiles));
  // The view a section opens with: B in µT, or mG in English units; the ellipse maximum.
  assert.deepEqual(defaultView({ english: false }), { bUnit: 'uT', measure: { e: 'max', b: 'max' } });
  assert.deepEqual(defaultView({ english: true }), { bUnit: 'mG', measure: { e: 'max', b: 'max' } });
  const shown = shownProfiles({ x, e: [1], e_res: [2], b: [0.5, null], b_res: [1, 2] }, { bUnit: 'mG', measure: { e: 'res', b: 'max' } });
  assert.deepEqual([shown.e, shown.b], [[2], [500, null]]);
});

test('a label with no room is read on hover or focus; a value not computed is left out of its chart with a note', async () => {
  const page = await openExplorer(browser.session);
  await (await page.$('#file')).uploadFile(join(here, 'data', 'hybrid50.dat'));
  await page.waitForFunction(() => window.explorer.state.section.groups.length === 50);
  // Crowded: some groups carry no label, or their name alone.
  const tucked = await page.$$eval('#cross-section [data-group]', (nodes) => nodes
    .filter((n) => n.querySelector('.label.tucked')).map((n) => Number(n.dataset.group)));
  assert.ok(tucked.length > 0, 'nothing crowded on a 50-group line');
  const { section } = await pageState(page);
  const tip = () => page.$eval('#cross-section .tip', (el) => ({
    text: el.querySelector('text')?.textContent ?? '', ground: el.querySelectorAll('rect').length,
    last: el === el.parentElement.lastElementChild,  // drawn over every label
  }));
  const full = (i) => section.groups[i].name.trim();
  const index = tucked.find((i) => i < section.energized) ?? tucked[0];
  assert.deepEqual(await tip(), { text: '', ground: 0, last: true });
  // Focused with the keyboard: the whole label, name and phase, over its neighbours.
  await page.$eval(`[data-group="${index}"]`, (el) => el.focus());
  let shown = await tip();
  assert.ok(shown.text.startsWith(full(index)) && shown.text.length > full(index).length, shown.text);
  assert.equal(shown.ground, 1);
  // Moved with the keys, it follows, and goes with the focus.
  await page.keyboard.press('ArrowUp');
  assert.equal((await tip()).text, shown.text);
  await page.$eval(`[data-group="${index}"]`, (el) => el.blur());
  assert.deepEqual(await tip(), { text: '', ground: 0, last: true });
  // Hovered with the mouse, likewise.
  const other = tucked.find((i) => i !== index) ?? index;
  const at = await markerCentre(page, other);
  await page.mouse.move(at.x, at.y);
  shown = await tip();
  assert.ok(shown.text.startsWith(full(other)), shown.text);
  await page.mouse.move(1, 1);
  assert.equal((await tip()).text, '');
  // A gradient name cut short in the list keeps the whole name on hover.
  assert.equal(await page.$eval('#gradients .gradient-bar .name', (el) => el.title), section.groups[0].name.trim());

  // Radio at 0 MHz: left out of its chart with the reason; the groups table reads n/a for no gradient.
  await page.select('#example', 'example.dat');
  await page.waitForFunction(() => window.explorer.state.fileName === 'example.dat');
  await typeInto(page, 'input[name="ri_frequency"]', '0');
  assert.equal(await page.$eval('[data-quantity="ri"] svg', (el) => getComputedStyle(el).display), 'none');
  assert.equal(await page.$eval('[data-quantity="ri"] .chart-note', (el) => el.hidden), false);
  assert.equal(await page.$$eval('[data-quantity="ri"] path.series', (paths) => paths.filter((p) => p.getAttribute('d')).length), 0);
  for (const key of ['e', 'b', 'an']) {
    assert.equal(await page.$eval(`[data-quantity="${key}"] .chart-gaps`, (el) => el.hidden), true, key);
  }
  assert.doesNotMatch(await shownText(page), /-999|NaN|undefined/);
  assert.deepEqual(page.errors, []);
  await page.close();
});

test('a hybrid line shows its AC and DC fields apart; a DC pole offers no phase', async () => {
  const page = await openExplorer(browser.session);
  const cases = [
    // file, hybrid, the groups typed DC (earth wires among them)
    ['hybrid_corridor.dat', true, [3, 4, 6]],
    ['500kv_dc_bipole.dat', false, [0, 1, 2, 3]],
    ['500kv_flat.dat', false, []],
  ];
  for (const [name, hybrid, poles] of cases) {
    await page.select('#example', name);
    await page.waitForFunction((file) => window.explorer.state.fileName === file, {}, name);
    await settled(page);
    const { profiles, section } = await pageState(page);
    assert.deepEqual(section.groups.flatMap((g, i) => (g.type === 'D' ? [i] : [])), poles, name);
    assert.equal(profiles.hybrid, hybrid, name);
    // Each field's chart: both parts of a hybrid line, as the engine gives them, and a legend.
    const drawn = await page.$$eval('[data-quantity="e"] path.series', (paths) => paths.map((p) => p.getAttribute('class')));
    assert.deepEqual(drawn, hybrid ? ['series ac', 'series dc'] : ['series one'], name);
    assert.equal(await page.$eval('[data-quantity="b"] .legend.parts', (el) => !el.hidden), hybrid, name);
    const texts = await edgeTexts(page);
    const n = profiles.x.length;
    if (hybrid) {
      assert.equal(texts['edge-e-left'], undefined, name);
      assert.equal(texts['edge-e_dc-right'], formatValue('e_dc', profiles.e_dc[n - 1]), name);
      assert.equal(texts['edge-b_ac-left'], formatValue('b_ac', profiles.b_ac[0] * 100), name);
      assert.match(await rowHead(page, 'e_dc'), /^Electric field, DC poles \(static\) kV\/m$/);
      // The resultant chosen: the AC part's, the static part as it was.
      await page.select('select[name="e-measure"]', 'res');
      await settled(page);
      const after = await edgeTexts(page);
      assert.equal(after['edge-e_ac-left'], formatValue('e_ac', profiles.e_ac_res[0]), name);
      assert.equal(after['edge-e_dc-left'], texts['edge-e_dc-left'], name);
      await page.select('select[name="e-measure"]', 'max');
    } else {
      expectEdgeTexts(texts, profiles, await pageView(page));
    }
    // The phase cell of a DC group is empty and not editable; an AC group's is.
    const cells = await page.$$eval('input[data-field="phase"]', (inputs) => inputs.map((i) => ({ disabled: i.disabled, value: i.value })));
    cells.forEach((cell, i) => assert.equal(cell.disabled, poles.includes(i), `${name} group ${i + 1}`));
    for (const i of poles) assert.equal(cells[i].value, '', `${name} group ${i + 1}`);
  }
  // A pole turned into an AC phase offers its angle again.
  await page.select('#example', '500kv_dc_bipole.dat');
  await page.waitForFunction(() => window.explorer.state.fileName === '500kv_dc_bipole.dat');
  await page.select('[data-group="0"] select, tr[data-group="0"] select', 'A');
  await settled(page);
  assert.equal(await page.$eval('tr[data-group="0"] input[data-field="phase"]', (el) => el.disabled), false);
  assert.deepEqual(page.errors, []);
  await page.close();
});
