// The explorer's page in one file, opened from the disk in headless
// chromium with every request refused but the page's own (file:, data:,
// blob:): BRENLOW_FILE_PAGE names the copy (build-web/explorer.html, or the
// one of the unpacked zip or package). Each bundled example, a file of the
// user's opened by the file picker and one dropped, and the span panel's
// map (solved in its worker) show the numbers of the served page.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { existsSync, writeFileSync } from 'node:fs';
import { join, resolve } from 'node:path';
import { pathToFileURL } from 'node:url';
import { openExplorer } from './browser.mjs';
import { webBuild } from './support.mjs';
import { dropFile, edgeTexts, exampleWith, message, pageState, scratch, sharedBrowser } from './page-support.mjs';

const pagePath = resolve(process.env.BRENLOW_FILE_PAGE ?? join(webBuild, 'explorer.html'));
const browser = sharedBrowser();

// The page from the disk; `refused` lists every request it made elsewhere.
async function openFromDisk(width = 1280, height = 900) {
  const page = await browser.session.browser.newPage();
  await page.setViewport({ width, height });
  const refused = [];
  const errors = [];
  page.on('pageerror', (e) => errors.push(e.message));
  await page.setRequestInterception(true);
  page.on('request', (request) => {
    if (/^(file|data|blob):/.test(request.url())) {
      request.continue();
    } else {
      refused.push(request.url());
      request.abort();
    }
  });
  await page.goto(pathToFileURL(pagePath).href, { waitUntil: 'load' });
  await page.evaluate(() => window.explorer.ready);
  return Object.assign(page, { refused, errors });
}

// What the page shows of its line: the engine's values and the texts of the edge table.
const shown = async (page) => ({ name: await page.evaluate(() => window.explorer.state.fileName),
  state: await pageState(page), edges: await edgeTexts(page), message: await message(page) });

// Two pages open at once: the one acted on in front (a page behind gets no
// animation frames and opens no file picker).
const opened = (page, name) => page.waitForFunction((n) => window.explorer.state.fileName === n, { polling: 50 }, name);
const inFront = async (page) => { await page.bringToFront(); return page; };

async function both(step) {
  const served = await openExplorer(browser.session);
  const local = await openFromDisk();
  try {
    await step(await inFront(served));
    await step(await inFront(local));
    assert.deepEqual(await shown(local), await shown(served));
    return { served, local };
  } finally {
    await served.close();
    await local.close();
  }
}

test('the page opens from the disk with nothing fetched from elsewhere, its examples those of the served page', async () => {
  assert.ok(existsSync(pagePath), `${pagePath} does not exist`);
  const served = await openExplorer(browser.session);
  const local = await openFromDisk();
  const options = (page) => page.$$eval('#example option', (list) => list.map((o) => [o.value, o.textContent]));
  assert.deepEqual(await options(local), await options(served));
  assert.ok((await options(local)).length > 3);
  for (const [name] of (await options(local)).slice(1)) {
    for (const page of [served, local]) {
      await inFront(page);
      await page.select('#example', name);
      await opened(page, name);
    }
    assert.deepEqual(await shown(local), await shown(served), name);
    // The edge table within its panel, its longest labels (a hybrid line's) too.
    assert.ok(await local.$eval('.edges-panel', (el) => el.scrollWidth <= el.clientWidth), `${name}: the edge table overflows`);
  }
  assert.deepEqual(local.refused, []);
  assert.deepEqual(local.errors, []);
  await served.close();
  await local.close();
});

// A file of the user's, Latin-1 in its title, moved off the example's line.
const userText = exampleWith([' 500 KV EXAMPLE LINE', ' 500 KV LINE OF MINE, CAF\xc9'],
  ["'PHASE A ','A',  -12.00,   15.00", "'PHASE A ','A',  -13.00,   16.50"]);
const userFile = join(scratch, 'own line.dat');
writeFileSync(userFile, Buffer.from(userText, 'latin1'));

const table = [
  ['by the file picker', async (page) => {
    const [chooser] = await Promise.all([page.waitForFileChooser(), page.click('#open')]);
    await chooser.accept([userFile]);
    await opened(page, 'own line.dat');
  }],
  ['dropped on the page', async (page) => {
    await dropFile(page, userText, 'dropped line.dat');
    await opened(page, 'dropped line.dat');
  }],
];
for (const [how, open] of table) {
  test(`a file of the user's opened ${how} shows the served page's numbers`, async () => {
    const { local } = await both(open);
    assert.deepEqual(local.refused, []);
    assert.deepEqual(local.errors, []);
  });
}

test('the span panel solves in its worker from the disk and draws the served page\'s map', async () => {
  const map = async (page) => {
    await page.waitForFunction(() => document.getElementById('span-map').dataset.state === 'current', { timeout: 60000, polling: 50 });
    return {
      picture: await page.$eval('#span-map', (canvas) => canvas.toDataURL()),
      note: (await page.$eval('#span-note', (el) => el.textContent)).replace(/solved in [\d.]+ s/, 'solved in (time) s'),
    };
  };
  const served = await openExplorer(browser.session);
  const local = await openFromDisk();
  const expected = await map(await inFront(served));
  assert.match(expected.note, /Largest E on the map [\d.]+ kV\/m/);
  assert.deepEqual(await map(await inFront(local)), expected);
  assert.deepEqual(local.refused, []);
  assert.deepEqual(local.errors, []);
  await served.close();
  await local.close();
});
