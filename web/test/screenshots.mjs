// Screenshots of the explorer at a desktop and a phone width:
//   node test/screenshots.mjs OUTPUT_DIR
import { mkdirSync } from 'node:fs';
import { join, resolve } from 'node:path';
import { openBrowser, openExplorer } from './browser.mjs';

const out = resolve(process.argv[2] ?? 'screenshots');
mkdirSync(out, { recursive: true });
const session = await openBrowser();
try {
  for (const [name, width, height] of [['desktop', 1366, 900], ['phone', 390, 844]]) {
    const page = await openExplorer(session, width, height);
    await page.screenshot({ path: join(out, `explorer-${name}.png`), fullPage: true });
    await page.screenshot({ path: join(out, `explorer-${name}-top.png`) });
    if (page.errors.length) console.error(page.errors.join('\n'));
    await page.close();
  }
} finally {
  await session.close();
}
console.log(`screenshots in ${out}`);
