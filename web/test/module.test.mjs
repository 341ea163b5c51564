// The WebAssembly module against the native build of the same session code:
// the same sections, profiles, ion flow and print files to the last bit
// (both link the C library's float functions built from the same source),
// the same data files byte for byte (the record layer's portable decimal
// path against the standard library's), and the same refusals; on every
// bundled example, the 50-group line and seeded random sections.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { spawnSync } from 'node:child_process';
import { mkdtempSync, readFileSync, rmSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { basename, join } from 'node:path';
import {
  dataFiles, loadEngine, nativeValues, nativePanel, nativeText, nativeRefusal, valueDifference, numbersIn,
  printDifference, edgesOf, tesk31, withoutRunDate,
} from './support.mjs';

const engine = await loadEngine();
const scratch = mkdtempSync(join(tmpdir(), 'explorer-module-'));
test.after(() => rmSync(scratch, { recursive: true, force: true }));

let compared = 0;  // the numbers found equal to the bit, reported at the end
test.after(() => console.log(`# numbers equal to the native build's, bit for bit: ${compared}`));

// The section, its profiles (across the section, and wider and off-centre),
// the ion flow under DC poles and the print file, against the native build
// reading the same file.
function sameAsNative(path) {
  engine.exactNumbers(true);
  try {
    const section = engine.load(readFileSync(path), path);
    const [left, right] = edgesOf(section);
    for (const [a, b, count] of [[left, right, 200], [left - 37.5, right + 12.25, 77]]) {
      const native = nativeValues(path, a, b, count, true);
      const got = { section: engine.section(), profiles: engine.profiles(a, b, count) };
      assert.equal(valueDifference(got, native), null, basename(path));
      compared += numbersIn(native);
    }
    const flow = engine.ionFlow(0.5, left - 30, right + 30, 61);
    const nativeFlow = nativePanel('--ion-flow', path, 0.5, left - 30, right + 30, 61);
    assert.equal(valueDifference(flow, nativeFlow, 'ion flow'), null, basename(path));
    compared += numbersIn(nativeFlow);
  } finally {
    engine.exactNumbers(false);
  }
  const print = Buffer.from(engine.printFile()).toString('latin1');
  assert.ok(print.length > 2000, `a print file of ${print.length} bytes`);
  const native = nativeText('--print-file', path).toString('latin1');
  assert.equal(printDifference(withoutRunDate(print), withoutRunDate(native)), null, basename(path));
}

for (const path of dataFiles) {
  test(`${basename(path)}: section, profiles, ion flow and print file as the native build's`, () => {
    sameAsNative(path);
    assert.deepEqual(Buffer.from(engine.dataFile()), nativeText('--data-file', path));
  });
}

// Seeded random sections: a bundled line with its groups moved, resized and
// restrung and its weather changed, as a data file both builds read.
function random(seed) {
  let s = BigInt(seed);
  return () => {
    s ^= (s << 13n) & 0xffffffffffffffffn; s ^= s >> 7n; s ^= (s << 17n) & 0xffffffffffffffffn;
    return Number(s >> 11n) / 2 ** 53;
  };
}
const randomCases = [
  // seed, bundled line, edits
  [1, 'example.dat', 4], [2, '500kv_flat.dat', 6], [3, '345kv_double_circuit.dat', 8],
  [4, '500kv_dc_bipole.dat', 4], [5, 'hybrid_corridor.dat', 8], [6, '500kv_english.dat', 5],
  [7, '500kv_dc_bipole.dat', 8], [8, 'hybrid_corridor.dat', 12], [9, 'example.dat', 10],
  [10, '345kv_double_circuit.dat', 3],
];
for (const [seed, name, edits] of randomCases) {
  test(`random section ${seed} (${name}, ${edits} edits) as the native build's`, () => {
    const next = random(seed);
    const from = dataFiles.find((path) => basename(path) === name);
    const section = engine.load(readFileSync(from), name);
    const groups = section.groups.length;
    let applied = 0;
    for (let k = 0; k < edits; ++k) {
      const g = Math.floor(next() * groups);
      const { x, y } = engine.section().groups[g];
      const edit = [
        () => engine.moveGroup(g, (x + (next() - 0.5) * 8).toFixed(3), (y * (0.8 + 0.4 * next())).toFixed(3)),
        () => engine.setGroup(g, 'diameter', (engine.section().groups[g].diameter * (0.7 + 0.6 * next())).toPrecision(5)),
        () => engine.setGroup(g, 'spacing', (engine.section().groups[g].spacing * (0.8 + 0.4 * next())).toPrecision(4)),
        () => engine.setCondition('rain', (next() * 8).toFixed(2)),
        () => engine.setCondition('altitude', (next() * 2000).toFixed(0)),
      ][Math.floor(next() * 5)];
      try {
        edit();
        ++applied;
      } catch {
        // A refused edit (groups too close, say) keeps the section.
      }
    }
    assert.ok(applied > 0, 'some edit taken');
    const path = join(scratch, `random${seed}.dat`);
    writeFileSync(path, engine.dataFile());
    sameAsNative(path);
  });
}

test('the print file is the whole print file tesk31 writes for the data file, but for the date', () => {
  for (const path of dataFiles.filter((p) => /example\.dat|english|bipole/.test(p))) {
    engine.load(readFileSync(path), path);
    writeFileSync(join(scratch, 'line.dat'), engine.dataFile());
    const run = spawnSync(tesk31, ['line.dat', 'line.prt'], { cwd: scratch, input: '', encoding: 'latin1' });
    assert.equal(run.status, 0, run.stderr);
    const want = withoutRunDate(readFileSync(join(scratch, 'line.prt'), 'latin1'));
    const got = withoutRunDate(Buffer.from(engine.printFile()).toString('latin1'));
    assert.match(got, /B R E N L O W[^]*INPUT DATA LIST/);
    assert.equal(printDifference(got, want), null, basename(path));
  }
});

test('an edited section reads back from its data file', () => {
  const english = dataFiles.find((path) => path.endsWith('500kv_english.dat'));
  engine.load(readFileSync(english), 'english.dat');  // English units: feet and inches
  engine.moveGroup(0, '-42.25', '51.5');
  engine.setGroup(1, 'diameter', '1.25');
  engine.setCondition('rain', '0.2');
  const edited = engine.section();
  const text = engine.dataFile();
  const again = engine.load(text, 'again.dat');
  // Shown in feet and inches again: metres divided by the factor, in single
  // precision, so within a float's rounding of the typed value.
  const near = (a, b) => Math.abs(a - b) <= 1e-6 * Math.abs(b);
  assert.ok(near(again.groups[0].x, -42.25), again.groups[0].x);
  assert.ok(near(again.groups[0].y, 51.5), again.groups[0].y);
  assert.ok(near(again.groups[1].diameter, 1.25), again.groups[1].diameter);
  assert.ok(near(again.conditions.rain, 0.2), again.conditions.rain);
  assert.deepEqual(again.groups, edited.groups);
});

test('a refused file gives the native message and keeps the section', () => {
  const good = engine.load(readFileSync(dataFiles[0]), 'example.dat');
  const cases = [
    ['empty.dat', ''],
    ['short.dat', ' TITLE\n'],
    ['bad-number.dat', readFileSync(dataFiles[0], 'latin1').replace('  -12.00', '  -1x.00')],
    ['no-diameter.dat', readFileSync(dataFiles[0], 'latin1').replace('  30.000,  45.000, 303.000,   0.000', '   0.000,  45.000, 303.000,   0.000')],
  ];
  for (const [name, text] of cases) {
    const bytes = Buffer.from(text, 'latin1');
    assert.throws(() => engine.load(bytes, name), (error) => {
      assert.ok(error.message.length > 0);
      return true;
    }, name);
    assert.deepEqual(engine.section(), good, `${name} left the section alone`);
  }
  // The same message as the native build, for a file on disk.
  const native = nativeRefusal(new URL('./data/refused.dat', import.meta.url).pathname);
  assert.equal(native.status, 2);
  const path = new URL('./data/refused.dat', import.meta.url).pathname;
  assert.throws(() => engine.load(readFileSync(path), path), { message: native.message });
  assert.deepEqual(engine.section(), good);
});

test('a refused edit says what and where and keeps the section', () => {
  const good = engine.load(readFileSync(dataFiles[0]), 'example.dat');
  const cases = [
    [() => engine.setGroup(0, 'x', 'abc'), /group 1 \(PHASE A\) x: "abc" is not a number/],
    [() => engine.setGroup(0, 'x', ''), /group 1 \(PHASE A\) x: a number is needed/],
    [() => engine.setGroup(1, 'diameter', '0'), /diameter/],
    [() => engine.setGroup(2, 'subconductors', '0'), /subconductor/],
    [() => engine.setGroup(3, 'y', '-1'), /group 4 \(EARTH 1\) height: -1 m is not above the ground/],
    [() => engine.setGroup(0, 'diameter', '1e-45'), /group 1 \(PHASE A\): the maximum surface gradient cannot be computed/],
    [() => engine.setGroup(0, 'name', 'Ωmega'), /group 1 \(PHASE A\) name: "Ω" is not a character a data file can hold/],
    [() => engine.setCondition('title1', '50 € a metre'), /title1: "€" is not a character a data file can hold/],
    [() => engine.setGroup(0, 'x', '1e99'), /not a number/],
    [() => engine.setGroup(0, 'type', 'X'), /A \(AC\) or D \(DC\)/],
    [() => engine.setGroup(9, 'x', '1'), /there is no group 10/],
    [() => engine.setCondition('rain', '1,2'), /rain: "1,2" is not a number/],
    [() => engine.setCondition('given_gradients', '2'), /0 \(computed\) or 1 \(given\)/],
    [() => engine.moveGroup(0, '3', 'x'), /y: "x" is not a number/],
    [() => engine.profiles(10, -10, 200), /left edge must lie left of the right edge/],
  ];
  for (const [call, message] of cases) {
    assert.throws(call, { message }, String(message));
    assert.deepEqual(engine.section(), good);
  }
});
