// Debian's chromium, headless, driven by puppeteer-core; the explorer
// served on a free port of 127.0.0.1 by web/serve.mjs.
import { mkdtempSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import puppeteer from 'puppeteer-core';
import { serve } from '../serve.mjs';
import { webBuild } from './support.mjs';

export function chromiumPath() {
  return process.env.CHROMIUM ?? '/usr/bin/chromium';
}

// Starts the server and the browser; close() ends both.
export async function openBrowser() {
  const server = await serve(webBuild, 0);
  const profile = mkdtempSync(join(tmpdir(), 'explorer-chromium-'));
  const browser = await puppeteer.launch({
    executablePath: chromiumPath(),
    headless: true,
    userDataDir: profile,
    args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run', '--disable-background-networking',
      '--disable-component-update', '--disable-sync', '--disable-dev-shm-usage'],
  });
  const url = `http://127.0.0.1:${server.address().port}/`;
  return {
    browser,
    url,
    async close() {
      await browser.close();
      server.close();
      rmSync(profile, { recursive: true, force: true });
    },
  };
}

// A page with the explorer opened and its first example shown.
export async function openExplorer(session, width = 1280, height = 900) {
  const page = await session.browser.newPage();
  await page.setViewport({ width, height });
  const errors = [];
  page.on('pageerror', (e) => errors.push(e.message));
  await page.goto(session.url, { waitUntil: 'load' });
  await page.evaluate(() => window.explorer.ready);
  page.errors = errors;
  return page;
}
