// The ion flow panel in headless chromium: hidden for an AC line, shown for
// a line with DC poles with each pole's onset and current and what the
// values leave out; the roughness typed moves the onset; the values are the
// native build's engine's.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { openExplorer } from './browser.mjs';
import { sharedBrowser, typeInto } from './page-support.mjs';

const browser = sharedBrowser();

const hidden = (page) => page.$eval('#ionflow-panel', (el) => el.hidden);
const note = (page) => page.$eval('#ionflow-note', (el) => el.textContent);

test('the ion flow panel follows the line: hidden for AC, the poles and notes for a DC bipole, the roughness as a field', async () => {
  const page = await openExplorer(browser.session);
  await page.waitForFunction(() => window.explorer.state.fileName === 'example.dat');
  await new Promise((resolve) => setTimeout(resolve, 200));
  assert.equal(await hidden(page), true);
  await page.select('#example', '500kv_dc_bipole.dat');
  await page.waitForFunction(() => !document.getElementById('ionflow-panel').hidden, { timeout: 20000 });
  const first = await note(page);
  // As tesk31-study ionflow gives it for the file (roughness 0.45): onset 347.5 kV.
  assert.match(first, /POLE \+ 500 kV: onset 34[78] kV, current 0\.79\d mA\/km/);
  assert.match(first, /pole to pole/);
  await typeInto(page, '#ionflow-roughness', '0.6');
  await page.waitForFunction((before) => document.getElementById('ionflow-note').textContent !== before, { timeout: 20000 }, first);
  assert.match(await note(page), /POLE \+ 500 kV: onset 463 kV/);
  assert.deepEqual(page.errors, []);
  await page.close();
});
