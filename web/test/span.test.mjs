// The span panel's map from the WebAssembly module against the native
// build of the same code, and what it refuses.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { mkdtempSync, readFileSync, rmSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { loadEngine, nativePanel, numbersIn, repo, valueDifference } from './support.mjs';

const engine = await loadEngine();
const worker = await loadEngine();  // as the page's span worker: a module of its own, handed the line

// The DC bipole and the hybrid corridor have a negative pole; the flat line
// with a current entered negative (a negative magnitude, as a negative pole's voltage).
const scratch = mkdtempSync(join(tmpdir(), 'explorer-span-'));
const negativeCurrent = join(scratch, 'negative_current.dat');
writeFileSync(negativeCurrent, readFileSync(join(repo, 'examples', 'example.dat'), 'latin1')
  .replace(/(PHASE B [^\n]*,)\s+1\.000,(\s+0\.000)/, '$1  -1.000,$2'), 'latin1');
test.after(() => rmSync(scratch, { recursive: true, force: true }));
let compared = 0;
test.after(() => console.log(`# span map numbers equal to the native build's, bit for bit: ${compared}`));

const cases = [
  ['examples/500kv_flat.dat', 400, 12, 'E'],
  ['examples/345kv_double_circuit.dat', 350, 10, 'B'],
  ['examples/500kv_english.dat', 1300, 40, 'E'],
  ['examples/500kv_dc_bipole.dat', 400, 12, 'E'],
  ['examples/500kv_dc_bipole.dat', 400, 12, 'B'],
  ['examples/hybrid_corridor.dat', 350, 10, 'E'],
  ['examples/hybrid_corridor.dat', 350, 10, 'B'],
  [negativeCurrent, 400, 12, 'B'],
];

for (const [file, length, sag, quantity] of cases) {
  test(`${file}: ${quantity} over the ground as the native build's`, () => {
    const path = file.startsWith('/') ? file : join(repo, file);
    const section = engine.load(readFileSync(path), path);
    if (path === negativeCurrent) assert.equal(section.groups[1].ka, -1);
    engine.exactNumbers(true);
    worker.exactNumbers(true);
    try {
      const map = engine.span(length, sag, quantity, 41, 17);
      const native = nativePanel('--span', path, length, sag, quantity, 41, 17);
      assert.equal(valueDifference(map, native, 'map'), null);
      assert.equal(map.values.length, 41 * 17);
      assert.equal(map.missing, 0);
      assert.ok(map.values.every(Number.isFinite) && map.largest > 0, 'every value computed');
      compared += numbersIn(native);
      // The worker's module, handed the line, gives the same map.
      assert.deepEqual(worker.spanOfLine(engine.line(), length, sag, quantity, 41, 17), map);
    } finally {
      engine.exactNumbers(false);
      worker.exactNumbers(false);
    }
    const map = engine.span(length, sag, quantity, 41, 17);
    // The middle span's largest value stands near the cross section's.
    assert.ok(map.largest < 1.05 * map.cross_section_largest && map.largest > 0.8 * map.cross_section_largest);
  });
}

test('spans the engine cannot hang are refused in the file\'s units, the section kept', () => {
  const path = join(repo, 'examples', '500kv_flat.dat');
  engine.load(readFileSync(path), path);
  assert.throws(() => engine.span(300, 300, 'E', 41, 17), { message: /^sag 300 m: must be 0 or above and below the span length \(300 m\)$/ });
  assert.throws(() => engine.span(300, 10, 'E', 1, 17), /2 to 400 each way/);
  assert.throws(() => engine.spanUnknowns(300, 300), { message: /^sag 300 m: must be 0 or above and below the span length \(300 m\)$/ });
  assert.throws(() => engine.spanUnknowns(-5, 1), { message: /^span length -5 m: must be 20 m to 1000000 m$/ });
  assert.throws(() => engine.spanUnknowns(1e30, 1), { message: /^span length 1e\+30 m: must be 20 m to 1000000 m$/ });
  assert.throws(() => worker.spanOfLine(engine.line(), 300, 300, 'E', 41, 17), /sag 300 m/);
  assert.throws(() => worker.spanOfLine('brenlow-line 1 2', 300, 10, 'E', 41, 17), /cannot be read/);
  assert.equal(engine.section().groups.length, 5);
  // In the file's units for an English file.
  const english = join(repo, 'examples', '500kv_english.dat');
  engine.load(readFileSync(english), english);
  assert.throws(() => engine.spanUnknowns(1300, 5000), { message: /^sag 5000 ft: must be 0 or above and below the span length \(1300 ft\)$/ });
});

test('the unknowns of a solve grow as the phases come down and the groups grow', () => {
  const load = (name) => engine.load(readFileSync(join(repo, 'examples', name)), name);
  load('example.dat');
  const high = engine.spanUnknowns(400, 12);
  for (let i = 0; i < 3; i += 1) engine.setGroup(i, 'y', '2');
  const low = engine.spanUnknowns(400, 12);
  assert.ok(low > 3 * high, `${high} unknowns at 15 m, ${low} at 2 m`);
  load('500kv_english.dat');
  assert.ok(engine.spanUnknowns(1300, 40) > 0);
});
