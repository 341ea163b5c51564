// What the node and browser tests share: the module, the native reference
// program, and the comparison of profiles.
import { execFileSync, spawnSync } from 'node:child_process';
import { readdirSync, readFileSync } from 'node:fs';
import { createRequire } from 'node:module';
import { join, resolve, dirname, sep } from 'node:path';
import { fileURLToPath } from 'node:url';
import assert from 'node:assert/strict';
import { Engine } from '../page/engine.js';

export const here = dirname(fileURLToPath(import.meta.url));
export const repo = resolve(here, '..', '..');
export const webBuild = resolve(process.env.BRENLOW_WEB ?? join(repo, 'build-web'));
export const nativeBuild = resolve(process.env.BRENLOW_BUILD ?? join(repo, 'build'));
export const reference = join(nativeBuild, 'explorer_reference');
export const tesk31 = join(nativeBuild, 'tesk31');

// The data files the tests run: every bundled example (example.dat first)
// and the timing line.
const examplesIn = (folder) => readdirSync(folder).filter((name) => name.endsWith('.dat')).sort()
  .map((name) => join(folder, name));
export const dataFiles = [
  join(repo, 'examples', 'example.dat'),
  ...examplesIn(join(repo, 'examples')).filter((path) => !path.endsWith(`${sep}example.dat`)),
  join(here, 'data', 'hybrid50.dat'),
];

// A fresh module instance; the .wasm handed over as bytes, so that node
// never tries to fetch it.
export async function loadEngine() {
  const require = createRequire(import.meta.url);
  const createExplorer = require(join(webBuild, 'brenlow-explorer.js'));
  const module = await createExplorer({ wasmBinary: readFileSync(join(webBuild, 'brenlow-explorer.wasm')) });
  return new Engine(module);
}

// The native program's section and profiles for a data file.
export function nativeValues(path, left, right, count) {
  return JSON.parse(execFileSync(reference, [path, String(left), String(right), String(count)], { encoding: 'utf8' }));
}

export function nativeText(mode, path) {
  return execFileSync(reference, [mode, path]);
}

export function nativeRefusal(path) {
  const run = spawnSync(reference, [path, '0', '1', '2'], { encoding: 'utf8' });
  return { status: run.status, message: run.stderr.trim() };
}

// Native and WebAssembly builds run the same code but link different float
// math libraries (glibc's and musl's logf, expf, powf, sinf...), which may
// round a result one unit in the last place differently; the profiles are
// therefore compared with a relative tolerance of 1e-6 instead of bit for
// bit. The tolerance is relative to the largest magnitude of the series:
// where the fields of many bundles nearly cancel, the small sum carries the
// rounding of the large terms.
export const TOLERANCE = 1e-6;

// The first difference between two profiles beyond the tolerance, or null.
export function profileDifference(got, want) {
  for (const key of Object.keys(want)) {
    if (!Array.isArray(want[key])) {
      if (JSON.stringify(got[key]) !== JSON.stringify(want[key])) return `${key}: ${JSON.stringify(got[key])} against ${JSON.stringify(want[key])}`;
      continue;
    }
    if (got[key].length !== want[key].length) return `${key}: ${got[key].length} values against ${want[key].length}`;
    const scale = Math.max(...want[key].map((v) => Math.abs(v ?? 0)));
    for (let i = 0; i < want[key].length; ++i) {
      const [a, b] = [got[key][i], want[key][i]];
      if (a === null || b === null ? a !== b : Math.abs(a - b) > TOLERANCE * scale) {
        return `${key}[${i}]: ${a} against ${b}`;
      }
    }
  }
  return null;
}

// The first difference between two printouts beyond a few units in the
// last printed digit of a number, or null: the same records and the same
// words, numbers of the same layout within the math libraries' rounding
// (carried, where bundles nearly cancel, into the last digit or two).
export function printDifference(got, want) {
  const a = got.split('\n');
  const b = want.split('\n');
  if (a.length !== b.length) return `${a.length} records against ${b.length}`;
  for (let i = 0; i < b.length; ++i) {
    if (a[i] === b[i]) continue;
    const ta = a[i].split(/(\s+)/);
    const tb = b[i].split(/(\s+)/);
    const fail = `record ${i + 1}:\n${a[i]}\n${b[i]}`;
    if (ta.length !== tb.length) return fail;
    for (let k = 0; k < tb.length; ++k) {
      if (ta[k] === tb[k]) continue;
      const number = /^-?\d*\.(\d+)$/;
      const ma = number.exec(ta[k]);
      const mb = number.exec(tb[k]);
      if (!ma || !mb || ta[k].length !== tb[k].length || ma[1].length !== mb[1].length) return fail;
      const allowed = Math.max(3.001 * 10 ** -mb[1].length, 1e-6 * Math.abs(Number(tb[k])));
      if (Math.abs(Number(ta[k]) - Number(tb[k])) > allowed) return fail;
    }
  }
  return null;
}

// A print file with the date and time of its run blanked: the one record
// two runs of the same data may differ in.
export function withoutRunDate(print) {
  const stamp = /^ {17}[ \d]\d\/[ \d]\d\/\d{4} {10}\d\d:\d\d:\d\d(\r?)$/m;
  assert.match(print, stamp, 'the run\'s date under the input data list heading');
  return print.replace(stamp, ' (the date and time of the run)$1');
}

export function edgesOf(section) {
  return [Math.min(...section.lateral), Math.max(...section.lateral)];
}

export const study = join(nativeBuild, 'tesk31-study');

// tesk31-study comply's JSON of a data file against a set (a shipped name
// or a file) between the edges (file units); `scratch`: a folder for its
// output. Status 0 (every limit holds), 1 (one fails) and 2 (none applies)
// all write the table.
export function nativeCompliance(path, set, [left, right], frequency, bUnit, scratch) {
  const out = join(scratch, 'compliance.json');
  const run = spawnSync(study, ['comply', path, '--limits', set, '--edge', `${left},${right}`, '--frequency', String(frequency),
    '--b-unit', bUnit, '--json', out], { encoding: 'utf8' });
  assert.ok([0, 1, 2].includes(run.status), run.stderr);
  const [table] = JSON.parse(readFileSync(out, 'utf8'));
  delete table.file;
  return table;
}

// The first difference between two compliance tables, or null: the same
// limits, places, voltage classes and results, the numbers within the
// profiles' tolerance; the deciding value's place within a ten-thousandth
// of the edges' span: on a flat top (B under a flat line) the last bit a
// math library rounds otherwise moves the refined maximum by millimetres.
export function complianceDifference(got, want) {
  const numbers = new Set(['line_kv', 'limit', 'value', 'margin', 'x']);
  const span = want.edges[1] - want.edges[0];
  const differs = (key, a, b) => {
    if (!numbers.has(key) || a === null || b === null) return JSON.stringify(a) !== JSON.stringify(b);
    const allowed = key === 'x' ? 1e-4 * span : TOLERANCE * Math.max(Math.abs(b), 1e-9) * 10;
    return Math.abs(a - b) > allowed;
  };
  for (const key of Object.keys(want)) {
    if (key === 'rows') continue;
    if (differs(key, got[key], want[key])) return `${key}: ${JSON.stringify(got[key])} against ${JSON.stringify(want[key])}`;
  }
  if (got.rows.length !== want.rows.length) return `${got.rows.length} rows against ${want.rows.length}`;
  for (const [i, row] of want.rows.entries()) {
    for (const key of Object.keys(row)) {
      if (differs(key, got.rows[i][key], row[key])) {
        return `row ${i + 1} (${row.quantity} ${row.where}) ${key}: ${JSON.stringify(got.rows[i][key])} against ${JSON.stringify(row[key])}`;
      }
    }
  }
  return null;
}
