// What the node and browser tests share: the module, the native reference
// program, and the comparison of their values.
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

// The native program's section and profiles for a data file; `exact`:
// every number to its last bit (17 digits), else as the page gets it.
export function nativeValues(path, left, right, count, exact = false) {
  const args = [...(exact ? ['--exact'] : []), path, String(left), String(right), String(count)];
  return JSON.parse(execFileSync(reference, args, { encoding: 'utf8' }));
}

// The native C library chooses, at run time, the variant of its sine,
// cosine, arc tangent, exponential, logarithm and power that uses fused
// multiply-adds where the processor has them; the WebAssembly module has
// none and takes the variant for any processor, which rounds a double
// result differently about once in a thousand calls. The double panels (span
// maps, ion flow) are therefore compared with the native program running as
// on a processor without FMA (where the processor has none, as it runs
// anyway). The single-precision functions of the section and its profiles
// give the same results in both variants but for a few dozen of the 2^32
// floats, none of them met here: those are compared with the native
// program as it runs.
export const withoutFma = { ...process.env, GLIBC_TUNABLES: 'glibc.cpu.hwcaps=-AVX2,-FMA,-FMA4' };

// The native program's JSON for the span or ion flow panel (`mode`
// --span or --ion-flow), every number to its last bit.
export function nativePanel(mode, path, ...args) {
  return JSON.parse(execFileSync(reference, ['--exact', mode, path, ...args.map(String)],
    { encoding: 'utf8', env: withoutFma }));
}

export function nativeText(mode, path) {
  return execFileSync(reference, [mode, path]);
}

export function nativeRefusal(path) {
  const run = spawnSync(reference, [path, '0', '1', '2'], { encoding: 'utf8' });
  return { status: run.status, message: run.stderr.trim() };
}

// The bits of a number, as the single-precision value it holds where it is
// one (the engine's results), else as a double.
export function bitsOf(value) {
  const view = new DataView(new ArrayBuffer(8));
  if (Math.fround(value) === value) {
    view.setFloat32(0, value);
    return `0x${view.getUint32(0).toString(16).padStart(8, '0')}`;
  }
  view.setFloat64(0, value);
  return `0x${view.getBigUint64(0).toString(16).padStart(16, '0')}`;
}

// The first difference between two values read from the session's JSON, or
// null: the same keys and texts, and every number the same to the bit (0 and
// -0 apart), the first differing one named with both bit patterns. Native
// and WebAssembly builds link the same C library functions, built from the
// same source (third_party/glibc-float), so nothing may differ (but see
// withoutFma).
export function valueDifference(got, want, where = 'value') {
  if (typeof want === 'number' && typeof got === 'number') {
    return Object.is(got, want) ? null : `${where}: ${got} (${bitsOf(got)}) against ${want} (${bitsOf(want)})`;
  }
  if (Array.isArray(want) || (want !== null && typeof want === 'object')) {
    if (got === null || typeof got !== 'object' || Array.isArray(got) !== Array.isArray(want)) {
      return `${where}: ${JSON.stringify(got)} against ${JSON.stringify(want)}`;
    }
    const keys = Object.keys(want);
    if (JSON.stringify(Object.keys(got)) !== JSON.stringify(keys)) {
      return `${where}: keys ${Object.keys(got)} against ${keys}`;
    }
    for (const key of keys) {
      const difference = valueDifference(got[key], want[key], Array.isArray(want) ? `${where}[${key}]` : `${where}.${key}`);
      if (difference) return difference;
    }
    return null;
  }
  return got === want ? null : `${where}: ${JSON.stringify(got)} against ${JSON.stringify(want)}`;
}

// How many numbers a value read from the session's JSON holds.
export function numbersIn(value) {
  if (typeof value === 'number') return 1;
  if (value === null || typeof value !== 'object') return 0;
  return Object.values(value).reduce((sum, v) => sum + numbersIn(v), 0);
}

// The first record in which two print files differ, or null.
export function printDifference(got, want) {
  const a = got.split('\n');
  const b = want.split('\n');
  for (let i = 0; i < Math.max(a.length, b.length); ++i) {
    if (a[i] !== b[i]) return `record ${i + 1}:\n${a[i]}\n${b[i]}`;
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
// limits, places, voltage classes and results, the numbers within a
// relative 1e-5 (the two tables print their numbers with their own digits);
// the deciding value's place within a ten-thousandth of the edges' span: on
// a flat top (B under a flat line) a last bit rounded otherwise (the native
// reference on a processor with FMA) moves the refined maximum by millimetres.
export function complianceDifference(got, want) {
  const numbers = new Set(['line_kv', 'limit', 'value', 'margin', 'x']);
  const span = want.edges[1] - want.edges[0];
  const differs = (key, a, b) => {
    if (!numbers.has(key) || a === null || b === null) return JSON.stringify(a) !== JSON.stringify(b);
    const allowed = key === 'x' ? 1e-4 * span : 1e-5 * Math.max(Math.abs(b), 1e-9);
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
