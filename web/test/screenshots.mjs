// Screenshots of the explorer at a desktop and a phone width, and of the
// states worth a look: the DC bipole (a negative pole's gradient), the
// hybrid corridor (its AC and DC fields apart), the
// English-unit line (B in mG, feet), the resultants chosen, and a crowded
// 50-group line with a tucked label shown on focus.
//   node test/screenshots.mjs OUTPUT_DIR
import { mkdirSync } from 'node:fs';
import { join, resolve } from 'node:path';
import { openBrowser, openExplorer } from './browser.mjs';
import { here } from './support.mjs';

const out = resolve(process.argv[2] ?? 'screenshots');
mkdirSync(out, { recursive: true });
const session = await openBrowser();

const open = (name) => async (page) => {
  await page.select('#example', name);
  await page.waitForFunction((file) => window.explorer.state.fileName === file, {}, name);
};
const states = [
  ['bipole', open('500kv_dc_bipole.dat')],
  ['hybrid', open('hybrid_corridor.dat')],
  ['english', open('500kv_english.dat')],
  ['resultant', async (page) => {
    await page.select('select[name="e-measure"]', 'res');
    await page.select('select[name="b-measure"]', 'res');
  }],
  ['crowded', async (page) => {
    await (await page.$('#file')).uploadFile(join(here, 'data', 'hybrid50.dat'));
    await page.waitForFunction(() => window.explorer.state.section.groups.length === 50);
    await page.$eval('#cross-section [data-group] .label.tucked', (label) => label.parentElement.focus());
  }],
];

try {
  for (const [name, width, height] of [['desktop', 1366, 900], ['phone', 390, 844]]) {
    const page = await openExplorer(session, width, height);
    await page.screenshot({ path: join(out, `explorer-${name}.png`), fullPage: true });
    await page.screenshot({ path: join(out, `explorer-${name}-top.png`) });
    if (page.errors.length) console.error(page.errors.join('\n'));
    await page.close();
  }
  for (const [name, reach] of states) {
    const page = await openExplorer(session, 1366, 900);
    await reach(page);
    await page.screenshot({ path: join(out, `explorer-${name}.png`), fullPage: true });
    if (page.errors.length) console.error(page.errors.join('\n'));
    await page.close();
  }
} finally {
  await session.close();
}
console.log(`screenshots in ${out}`);
