// Screenshots of the explorer at a desktop and a phone width, and of the
// states worth a look: the DC bipole (a negative pole's gradient), the
// hybrid corridor (its AC and DC fields apart), the
// English-unit line (B in mG, feet), the resultants chosen, and a crowded
// 50-group line with a tucked label shown on focus; the span panel solving
// a costly line, and a sag refused; a limit set chosen, its limits on the
// charts and judged beside the edge table. With BRENLOW_FILE_PAGE, of that
// copy of the page in one file (explorer.html), opened from the disk.
//   node test/screenshots.mjs OUTPUT_DIR
import { mkdirSync } from 'node:fs';
import { join, resolve } from 'node:path';
import { pathToFileURL } from 'node:url';
import { openBrowser, openExplorer } from './browser.mjs';
import { here } from './support.mjs';
import { dropFile, exampleWith, typeInto } from './page-support.mjs';

const out = resolve(process.argv[2] ?? 'screenshots');
mkdirSync(out, { recursive: true });
const session = await openBrowser();
const filePage = process.env.BRENLOW_FILE_PAGE;
const where = filePage ? { ...session, url: pathToFileURL(resolve(filePage)).href } : session;

const open = (name) => async (page) => {
  await page.select('#example', name);
  await page.waitForFunction((file) => window.explorer.state.fileName === file, {}, name);
};
const states = [
  ['bipole', open('500kv_dc_bipole.dat')],
  ['hybrid', open('hybrid_corridor.dat')],
  ['english', open('500kv_english.dat')],
  ['limits', async (page) => {
    await page.select('#limit-set', 'florida');
    await page.waitForSelector('#compliance-table tbody tr');
  }],
  ['limits-icnirp', async (page) => {
    await page.select('#limit-set', 'icnirp-2010');
    await page.waitForSelector('#compliance-table tbody tr');
  }],
  ['resultant', async (page) => {
    await page.select('select[name="e-measure"]', 'res');
    await page.select('select[name="b-measure"]', 'res');
  }],
  ['span-solving', async (page) => {
    await dropFile(page, exampleWith(['  -12.00,   15.00,', '  -12.00,    2.00,'], ['    0.00,   15.00,', '    0.00,    2.00,'],
      ['   12.00,   15.00,', '   12.00,    2.00,']), 'phases-low.dat');
    await page.waitForFunction(() => window.explorer.state.fileName === 'phases-low.dat');
    await new Promise((done) => setTimeout(done, 1200));
    await page.$eval('#span-panel', (el) => el.scrollIntoView());
  }],
  ['span-english-refused', async (page) => {
    await open('500kv_english.dat')(page);
    await page.select('#span-quantity', 'B');
    await page.waitForFunction(() => document.getElementById('span-map').dataset.state === 'current', { timeout: 60000 });
    await typeInto(page, '#span-sag', '5000');
  }],
  ['crowded', async (page) => {
    await (await page.$('#file')).uploadFile(join(here, 'data', 'hybrid50.dat'));
    await page.waitForFunction(() => window.explorer.state.section.groups.length === 50);
    await page.$eval('#cross-section [data-group] .label.tucked', (label) => label.parentElement.focus());
  }],
];

try {
  for (const [name, width, height] of [['desktop', 1366, 900], ['phone', 390, 844]]) {
    const page = await openExplorer(where, width, height);
    await page.screenshot({ path: join(out, `explorer-${name}.png`), fullPage: true });
    await page.screenshot({ path: join(out, `explorer-${name}-top.png`) });
    if (page.errors.length) console.error(page.errors.join('\n'));
    await page.close();
  }
  for (const [name, reach] of states) {
    const page = await openExplorer(where, 1366, 900);
    await reach(page);
    await page.screenshot({ path: join(out, `explorer-${name}.png`), fullPage: true });
    if (page.errors.length) console.error(page.errors.join('\n'));
    await page.close();
  }
} finally {
  await session.close();
}
console.log(`screenshots in ${out}`);
