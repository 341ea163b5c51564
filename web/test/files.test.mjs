// Files in the explorer, in headless chromium: a refused file and a
// dropped one, lines the page cannot show, names in Latin-1, a file opened
// while a field is typed in, and the downloaded data and print files
// against tesk31's own.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { spawnSync } from 'node:child_process';
import { existsSync, mkdtempSync, readdirSync, readFileSync } from 'node:fs';
import { join } from 'node:path';
import { openExplorer } from './browser.mjs';
import { printDifference, repo, here, tesk31, withoutRunDate } from './support.mjs';
import {
  dropFile, edgeTexts, exampleWith, inView, message, pageDataFile, pageState, scratch, sharedBrowser, stacked,
  typeInto,
} from './page-support.mjs';

const browser = sharedBrowser();

test('a refused file shows its message and keeps the section; a dropped file opens', async () => {
  const page = await openExplorer(browser.session);
  const before = await pageState(page);
  const picker = await page.$('#file');
  await picker.uploadFile(join(here, 'data', 'refused.dat'));
  await page.waitForFunction(() => !document.getElementById('message').hidden);
  assert.match((await message(page)).text, /refused\.dat.*energized/);
  assert.deepEqual(await pageState(page), before);
  assert.match(await page.$eval('#titles', (el) => el.textContent), /500 KV EXAMPLE LINE/);
  // A file dropped on the page opens
  const dropped = readFileSync(join(repo, 'examples', '500kv_flat.dat'), 'latin1');
  await page.evaluate((text) => {
    const transfer = new DataTransfer();
    transfer.items.add(new File([text], 'dropped.dat'));
    window.dispatchEvent(new DragEvent('drop', { dataTransfer: transfer, bubbles: true, cancelable: true }));
  }, dropped);
  await page.waitForFunction(() => window.explorer.state.fileName === 'dropped.dat');
  assert.equal((await message(page)).shown, false);
  assert.match(await page.$eval('#titles', (el) => el.textContent), /500 KV SINGLE CIRCUIT/);
  assert.equal(await page.$eval('#example', (el) => el.value), '');
  // Another example opens and clears it
  await page.select('#example', '500kv_english.dat');
  await page.waitForFunction(() => window.explorer.state.section.english);
  assert.equal((await message(page)).shown, false);
  assert.match(await page.$eval('#groups-table thead', (el) => el.textContent), /x ft/);
  await page.close();
});

test('a line the page cannot show is refused whole, and nothing of the earlier line is shown under its name', async () => {
  const page = await openExplorer(browser.session);
  const before = await pageState(page);
  const texts = await edgeTexts(page);
  const cases = [
    ['below.dat', exampleWith(['  -12.00,   15.00,', '  -12.00,   -1.00,']), /group 1 \(?PHASE A\)?.*ground/],
    ['tiny.dat', exampleWith(['  30.000,  45.000, 303.000,   0.000', '  1e-45,  45.000, 303.000,   0.000']),
      /group 1 \(PHASE A\): the maximum surface gradient cannot be computed/],
    ['fifty.dat', stacked(50), /the maximum surface gradient cannot be computed \(it stands at the same place as group 2/],
  ];
  for (const [name, text, expected] of cases) {
    await dropFile(page, text, name);
    await page.waitForFunction((n) => document.getElementById('message-text').textContent.includes(n), {}, name);
    assert.match((await message(page)).text, expected, name);
    assert.deepEqual(await pageState(page), before, name);
    assert.deepEqual(await edgeTexts(page), texts, name);
    assert.equal(await page.$eval('#file-name', (el) => el.textContent), '· example.dat', name);
    assert.match(await page.$eval('#titles', (el) => el.textContent), /500 KV EXAMPLE LINE/, name);
  }
  // A diameter typed too small to compute with: refused beside the value.
  const diameter = 'tr[data-group="0"] input[data-field="diameter"]';
  await typeInto(page, diameter, '1e-45');
  assert.equal(await page.$eval(diameter, (el) => el.value), '30');
  assert.match(await page.$eval('tr[data-notes="0"] .field-refusal', (el) => el.textContent),
    /^"1e-45" refused: group 1 \(PHASE A\): the maximum surface gradient cannot be computed/);
  assert.ok(await inView(page, 'tr[data-notes="0"] .field-refusal'));
  assert.deepEqual(await pageState(page), before);
  assert.deepEqual(page.errors, []);
  await page.close();
});

test('names and titles are kept in Latin-1; a character it cannot hold is refused', async () => {
  const page = await openExplorer(browser.session);
  const name = 'tr[data-group="1"] input[data-field="name"]';
  await typeInto(page, name, 'Côté é');
  assert.equal((await pageState(page)).section.groups[1].name, 'Côté é');
  await typeInto(page, 'input[name="title2"]', 'Ligne à 500 kV, µ ±');
  assert.equal((await pageState(page)).section.titles[1], 'Ligne à 500 kV, µ ±');
  const data = Buffer.from(await pageDataFile(page));
  assert.ok(data.includes(Buffer.from("'Côté é  ','A'", 'latin1')), data.toString('latin1'));
  assert.ok(data.includes(Buffer.from('Ligne à 500 kV, µ ±', 'latin1')));
  assert.ok(!data.includes(Buffer.from('Ã')), 'no UTF-8 bytes in the data file');
  // The file reads back to the same names (the Latin-1 bytes as characters).
  await dropFile(page, data.toString('latin1'), 'latin.dat');
  await page.waitForFunction(() => window.explorer.state.fileName === 'latin.dat');
  assert.equal(await page.$eval(name, (el) => el.value), 'Côté é');
  // Beyond Latin-1: refused, with the message beside the name.
  await typeInto(page, name, 'Ωmega');
  assert.equal((await pageState(page)).section.groups[1].name, 'Côté é');
  assert.equal(await page.$eval(name, (el) => el.value), 'Côté é');
  assert.match(await page.$eval('tr[data-notes="1"] .field-refusal', (el) => el.textContent),
    /name: "Ω" is not a character a data file can hold \(Latin-1 only\)/);
  await typeInto(page, 'input[name="title1"]', 'Line 50 € a metre');
  assert.match(await page.$eval('input[name="title1"] ~ .field-refusal', (el) => el.textContent), /"€" is not a character/);
  assert.ok(await inView(page, 'input[name="title1"] ~ .field-refusal'));
  assert.deepEqual(page.errors, []);
  await page.close();
});

test('a file dropped while a field is typed in replaces every value; the typed one never lands', async () => {
  const page = await openExplorer(browser.session);
  const altitude = 'input[name="altitude"]';
  const x = 'tr[data-group="2"] input[data-field="x"]';
  await page.click(x, { clickCount: 3 });
  await page.type(x, '77');
  await page.click(altitude, { clickCount: 3 });
  await page.type(altitude, '999');  // typed, not yet applied, the field focused
  await dropFile(page, exampleWith(['300.00', '200.00'], ['   12.00,   15.00,', '   14.00,   15.00,']), 'dropped.dat');
  await page.waitForFunction(() => window.explorer.state.fileName === 'dropped.dat');
  assert.equal(await page.evaluate(() => document.activeElement.name), 'altitude');
  assert.equal(await page.$eval(altitude, (el) => el.value), '200');
  assert.equal(await page.$eval(x, (el) => el.value), '14');
  await page.keyboard.press('Enter');
  await page.keyboard.press('Tab');
  const { section } = await pageState(page);
  assert.equal(section.conditions.altitude, 200);
  assert.equal(section.groups[2].x, 14);
  assert.equal((await message(page)).shown, false);
  await page.close();
});

test('a value typed and never entered reaches no line opened after it, whatever its groups and units', async () => {
  const page = await openExplorer(browser.session);
  const height = 'tr[data-group="2"] input[data-field="y"]';
  const cases = [
    // file opened, its group 3 height and altitude as the page must show them
    ['four.dat', exampleWith([' 0,0, 3, 5,', ' 0,0, 3, 4,'],
      [" 'EARTH 2 ','D',    9.00,   25.00, 1,  11.000,   0.000,   0.000,   0.000,   0.000,   0.000\n", '']), '15', '300'],
    ['500kv_english.dat', readFileSync(join(repo, 'examples', '500kv_english.dat'), 'latin1'), null, null],
  ];
  for (const [name, text, y, altitude] of cases) {
    await page.click(height, { clickCount: 3 });
    await page.type(height, '55');  // typed, not entered, the field focused
    if (name === '500kv_english.dat') {
      await page.click('input[name="altitude"]', { clickCount: 3 });
      await page.type('input[name="altitude"]', '999');  // and a condition, under metric units
    }
    const before = (await pageState(page)).section;
    await dropFile(page, text, name);
    await page.waitForFunction((n) => window.explorer.state.fileName === n, {}, name);
    await page.keyboard.press('Tab');
    const { section } = await pageState(page);
    assert.notEqual(section.groups.length, before.groups.length, name);
    assert.equal(await page.$eval(height, (el) => el.value), y ?? String(section.groups[2].y), name);
    assert.notEqual(section.groups[2].y, 55, name);
    assert.notEqual(section.conditions.altitude, 999, name);
    if (altitude) assert.equal(String(section.conditions.altitude), altitude, name);
    // The engine's values are the file's: its data file reads the same.
    const data = Buffer.from(await pageDataFile(page)).toString('latin1');
    assert.doesNotMatch(data, /,\s+55\.00,/, name);
    assert.equal((await message(page)).shown, false, name);
  }
  assert.deepEqual(page.errors, []);
  await page.close();
});

test('the downloaded data file runs in tesk31, and the print file is the one tesk31 writes for it', async () => {
  const page = await openExplorer(browser.session);
  const downloads = mkdtempSync(join(scratch, 'downloads-'));
  const cdp = await page.createCDPSession();
  await cdp.send('Browser.setDownloadBehavior', { behavior: 'allow', downloadPath: downloads });
  await page.$eval('[data-group="0"]', (el) => el.focus());
  await page.keyboard.press('ArrowUp');
  const waitFor = async (name) => {
    for (let i = 0; i < 100 && !existsSync(join(downloads, name)); ++i) await new Promise((r) => setTimeout(r, 100));
    assert.ok(readdirSync(downloads).includes(name), readdirSync(downloads).join(', '));
    return readFileSync(join(downloads, name));
  };
  await page.click('#download-data');
  const data = await waitFor('example-explorer.dat');
  assert.match(data.toString('latin1'), /'PHASE A ','A',\s+-12\.00,\s+15\.50,/);
  const run = spawnSync(tesk31, ['example-explorer.dat', 'run.prt', 'run.dif'], { cwd: downloads, input: '', encoding: 'latin1' });
  assert.equal(run.status, 0, run.stderr);
  assert.match(readFileSync(join(downloads, 'run.prt'), 'latin1'), /500 KV EXAMPLE LINE/);
  // The print file tesk31 writes for that data file, whole (banner, input data
  // list heading, the run's date), the date and time aside.
  await page.click('#download-print');
  const print = (await waitFor('example-explorer.prt')).toString('latin1');
  const own = readFileSync(join(downloads, 'run.prt'), 'latin1');
  assert.equal(printDifference(withoutRunDate(print), withoutRunDate(own)), null);
  const today = new Date();
  assert.ok(print.includes(`${String(today.getMonth() + 1).padStart(2)}/${String(today.getDate()).padStart(2)}/${today.getFullYear()}`),
    'dated today');
  await page.close();
});
