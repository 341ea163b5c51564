// The math functions of the WebAssembly module against the native build's:
// a fingerprint of every single-precision function the engine calls over
// every 211th float, and of each double-precision one over millions of
// sampled arguments (tests/windows/math_functions.cpp, built for both; the
// Windows programs' test compares the same fingerprint). The native program
// runs as on a processor without FMA (see withoutFma in support.mjs).
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import { join } from 'node:path';
import { nativeBuild, webBuild, withoutFma } from './support.mjs';

const stride = '211';
const lines = (text) => text.trim().split('\n');

test('every math function the engine calls gives the native build\'s results, bit for bit', () => {
  const wasm = lines(execFileSync(process.execPath, [join(webBuild, 'math-functions.js'), stride], { encoding: 'utf8' }));
  const native = lines(execFileSync(join(nativeBuild, 'tests', 'math_functions'), [stride],
    { encoding: 'utf8', env: withoutFma }));
  const names = native.map((line) => line.split(/\s+/)[0]);
  for (const name of ['logf', 'expf', 'powf', 'sinf', 'cosf', 'sincosf', 'atanf', 'atan2f', 'log10f',
    'log', 'exp', 'pow', 'sincos', 'atan2', 'hypot', 'sinh']) {
    assert.ok(names.includes(name), `${name} in the fingerprint`);
  }
  assert.deepEqual(wasm, native);
});
