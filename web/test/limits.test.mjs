// The module's compliance against tesk31-study comply's: every bundled
// line (and the 50-group one) against every shipped set at both
// frequencies, and a set of one's own limiting the corona effects, the
// resultants and ozone anywhere; the same rows, places and results, the
// values within the native and WebAssembly builds' rounding.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { mkdtempSync, readFileSync, rmSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { basename, join } from 'node:path';
import { dataFiles, loadEngine, edgesOf, nativeCompliance, complianceDifference } from './support.mjs';

const engine = await loadEngine();
const scratch = mkdtempSync(join(tmpdir(), 'explorer-limits-'));
process.on('exit', () => rmSync(scratch, { recursive: true, force: true }));

const sets = engine.limitSets().map((set) => set.name);

test('the shipped sets are listed by name', () => {
  assert.deepEqual(sets, ['florida', 'icnirp-1998', 'icnirp-2010', 'ieee-c95.6-2002', 'minnesota', 'new-york']);
});

for (const path of dataFiles) {
  test(`${basename(path)}: every shipped set judged as tesk31-study comply judges it`, () => {
    const section = engine.load(readFileSync(path), path);
    const [left, right] = edgesOf(section);
    // The edges off the lateral points' span too: narrower, and uneven.
    for (const edges of [[left, right], [left / 2 + 0.25, right / 3]]) {
      for (const frequency of [60, 50]) {
        const bUnit = frequency === 50 ? 'G' : section.english ? 'mG' : 'uT';
        for (const set of sets) {
          engine.chooseLimits(set);
          const got = engine.comply(edges[0], edges[1], frequency, bUnit);
          const want = nativeCompliance(path, set, edges, frequency, bUnit, scratch);
          assert.equal(complianceDifference(got, want), null, `${set} at ${frequency} Hz, edges ${edges}`);
        }
      }
    }
  });
}

// Each limit of its own kind: the corona effects (rain and fair), the
// resultants, ozone, and a level the line may not give (TV).
const ownSet = `title = "Corona and resultants"
${[['AN', 45, 'dB(A)', 'edge'], ['AN-FAIR', 20, 'dB(A)', 'row'], ['RI', 60, 'dB(uV/m)', 'edge'], ['RI-FAIR', 40, 'dB(uV/m)', 'anywhere'],
  ['E-RES', 4, 'kV/m', 'row'], ['B-RES', 150, 'mG', 'anywhere'], ['OZ', 0.01, 'ppb', 'anywhere'], ['TV', 30, 'dB(uV/m)', 'edge']]
  .map(([q, v, u, w]) => `[[limit]]\nquantity = "${q}"\nvalue = ${v}\nunit = "${u}"\nwhere = "${w}"\nfrequency = "any"\n`).join('\n')}`;

test('a set of one\'s own read from its text judged as tesk31-study comply judges it', () => {
  const file = join(scratch, 'own.toml');
  writeFileSync(file, ownSet);
  const chosen = engine.readLimits(ownSet, 'own.toml');
  assert.equal(chosen.title, 'Corona and resultants');
  assert.equal(chosen.limits, 8);
  for (const path of dataFiles) {
    const section = engine.load(readFileSync(path), path);
    const edges = edgesOf(section);
    const bUnit = section.english ? 'mG' : 'uT';
    const got = engine.comply(edges[0], edges[1], 60, bUnit);
    const want = nativeCompliance(path, file, edges, 60, bUnit, scratch);
    // The file's name is its own: the path tesk31-study was given.
    assert.equal(complianceDifference({ ...got, set: want.set }, want), null, basename(path));
  }
});

test('a set refused, or a choice of none, leaves no limit judged wrongly', () => {
  engine.load(readFileSync(dataFiles[0]), 'example.dat');
  engine.chooseLimits('new-york');
  assert.throws(() => engine.chooseLimits('new york'), /no shipped limit set is named "new york" \(florida, /);
  assert.throws(() => engine.readLimits('[[limit]]\nquantity = "E"\nvalue = -1\n', 'bad.toml'), /bad\.toml/);
  assert.equal(engine.comply(-50, 50, 60, 'uT').set, 'new-york');
  assert.throws(() => engine.comply(50, -50, 60, 'uT'), /right edge/);
  assert.throws(() => engine.comply(-50, 50, 55, 'uT'), /50 or 60/);
  assert.deepEqual(engine.chooseLimits(''), { name: null });
  assert.deepEqual(engine.comply(-50, 50, 60, 'uT'), { set: null, rows: [] });
});
