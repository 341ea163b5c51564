// The span panel's map from the WebAssembly module against the native
// build of the same code, and what it refuses.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import { readFileSync } from 'node:fs';
import { join } from 'node:path';
import { loadEngine, reference, repo } from './support.mjs';

const engine = await loadEngine();

const cases = [
  ['examples/500kv_flat.dat', 400, 12, 'E'],
  ['examples/345kv_double_circuit.dat', 350, 10, 'B'],
  ['examples/500kv_english.dat', 1300, 40, 'E'],
];

for (const [file, length, sag, quantity] of cases) {
  test(`${file}: ${quantity} over the ground as the native build's`, () => {
    const path = join(repo, file);
    engine.load(readFileSync(path), path);
    const map = engine.span(length, sag, quantity, 41, 17);
    const native = JSON.parse(execFileSync(reference,
      ['--span', path, String(length), String(sag), quantity, '41', '17'], { encoding: 'utf8' }));
    assert.deepEqual(Object.keys(map), Object.keys(native));
    assert.equal(map.values.length, 41 * 17);
    assert.deepEqual(map.along, native.along);
    assert.deepEqual(map.x, native.x);
    for (let k = 0; k < map.values.length; k += 1) {
      assert.ok(Math.abs(map.values[k] - native.values[k]) <= 1e-4 * native.largest, `value ${k}`);
    }
    // The middle span's largest value stands near the cross section's.
    assert.ok(map.largest < 1.05 * map.cross_section_largest && map.largest > 0.8 * map.cross_section_largest);
  });
}

test('a sag not below the span length is refused, the section kept', () => {
  const path = join(repo, 'examples', '500kv_flat.dat');
  engine.load(readFileSync(path), path);
  assert.throws(() => engine.span(300, 300, 'E', 41, 17), /sag 300 m must be 0 or above and below the span length/);
  assert.throws(() => engine.span(300, 10, 'E', 1, 17), /2 to 400 each way/);
  assert.equal(engine.section().groups.length, 5);
});
