// The one-file build's bundling: modules run as they do when loaded one by
// one (imports renamed, each module evaluated once, before those that import
// it), a worker's scripts held in it; and every form it cannot carry over
// refused with the file named, never a page that half works.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import vm from 'node:vm';
import { BuildError, bundle, onePage, workerScript } from '../one-file.mjs';

const reader = (files) => (name) => {
  if (!(name in files)) throw new Error(`no file ${name}`);
  return files[name];
};

test('bundled modules run as separate modules do', () => {
  const files = {
    'main.js': "import { twice as double, count } from './b.js';\nimport {\n  base,\n} from './c.js';\nresult = [double(base), count()];\n",
    'b.js': "import { base } from './c.js';\nexport function twice(x) { return 2 * x + base - base; }\nexport const count = () => evaluated;\n",
    'c.js': 'evaluated += 1;\nconst hidden = 20;\nexport let base = hidden + 1;\nexport class Unused {}\n',
  };
  const context = { evaluated: 0, result: null };
  vm.runInNewContext(bundle(['main.js'], reader(files)), context);
  assert.deepEqual([...context.result], [42, 1]);
  // Names private to a module stay private: two modules may use the same one.
  const clash = { 'main.js': "import { a } from './a.js';\nconst x = 1;\nresult = a + x;\n", 'a.js': 'const x = 2;\nexport const a = x;\n' };
  const run = { result: null };
  vm.runInNewContext(bundle(['main.js'], reader(clash)), run);
  assert.equal(run.result, 3);
});

test('a worker holds the scripts it loads and the modules it imports', async () => {
  const files = {
    'worker.js': "importScripts('engine-glue.js');\nasync function boot() { const { Engine } = await import('./engine.js'); return new Engine().name + glue; }\nboot().then((v) => { result = v; });\n",
    'engine-glue.js': "var glue = '+glue';\n",
    'engine.js': "export class Engine { get name() { return 'engine'; } }\n",
  };
  const script = workerScript('worker.js', reader(files));
  assert.doesNotMatch(script, /importScripts|import\(/);
  const context = { result: null };
  vm.runInNewContext(script, context);
  await new Promise((done) => setImmediate(done));
  assert.equal(context.result, 'engine+glue');
});

const refusedModules = [
  ['a default export', "export default function f() {}\n", /main\.js: .*export default function/],
  ['a list of exports', 'const a = 1;\nexport { a };\n', /main\.js: .*export \{ a \}/],
  ['a namespace import', "import * as b from './b.js';\n", /main\.js: .*import \* as b/],
  ['an import for its effect only', "import './b.js';\n", /main\.js: .*import '\.\/b\.js'/],
  ['an import of a package', "import { x } from 'lib';\n", /main\.js: .*from 'lib'/],
  ['modules importing each other', "import { b } from './b.js';\nexport const a = 1;\n", /import each other/],
];
for (const [what, text, expected] of refusedModules) {
  test(`refused: ${what}`, () => {
    const files = { 'main.js': text, 'b.js': "import { a } from './main.js';\nexport const b = a;\n" };
    assert.throws(() => bundle(['main.js'], reader(files)), (error) => error instanceof BuildError && expected.test(error.message));
  });
}

// A build folder as the page's build leaves it, with `changes` made.
function folder(changes = {}) {
  const files = {
    'index.html': '<html><head><link rel="stylesheet" href="style.css">\n<script src="brenlow-explorer.js"></script>\n' +
      '<script type="module" src="main.js"></script></head><body></body></html>\n',
    'style.css': 'body { color: red; }\n',
    'brenlow-explorer.js': 'var createExplorer = () => 0;\n',
    'brenlow-explorer.wasm': Buffer.from([0, 0x61, 0x73, 0x6d, 0xff]),
    'main.js': "import { f } from './files.js';\nf();\n",
    'files.js': 'export function f() {}\n',
    'span-worker.js': "importScripts('brenlow-explorer.js');\n",
    'limits-worker.js': "importScripts('brenlow-explorer.js');\n",
    'examples/index.json': '["a b.dat"]',
    'examples/a b.dat': Buffer.from(' TITLE \xe9\r\n', 'latin1'),
    ...changes,
  };
  return (name) => Buffer.from(reader(files)(name));
}

test('the page holds every file it loads, bytes as they are', () => {
  const html = onePage(folder());
  assert.doesNotMatch(html, /<(script|link)[^>]*(src|href)=/);
  assert.match(html, /<style>\nbody \{ color: red; \}\n<\/style>/);
  const held = Object.fromEntries([...html.matchAll(/<script type="application\/octet-stream" id="file:([^"]+)">([^<]*)<\/script>/g)]
    .map(([, name, base64]) => [name, Buffer.from(base64, 'base64')]));
  assert.deepEqual(Object.keys(held).sort(), ['brenlow-explorer.wasm', 'examples/a%20b.dat', 'examples/index.json', 'limits-worker.js', 'span-worker.js']);
  assert.deepEqual([...held['brenlow-explorer.wasm']], [0, 0x61, 0x73, 0x6d, 0xff]);
  assert.equal(held['examples/a%20b.dat'].toString('latin1'), ' TITLE \xe9\r\n');
  for (const worker of ['span-worker.js', 'limits-worker.js']) assert.match(held[worker].toString(), /^\s*var createExplorer/m);
});

const refusedPages = [
  ['a module that would end its script', { 'files.js': "export const f = () => '</script>';\n" }, /the page script holds "<\/script"/],
  ['an engine script that would end its script', { 'brenlow-explorer.js': '// <!-- x\n' }, /brenlow-explorer\.js holds "<!--"/],
  ['a page without its module script', { 'index.html': '<html><script src="brenlow-explorer.js"></script></html>' }, /the page script found 0 times/],
  ['a page loading a file besides', { 'index.html': '<script src="brenlow-explorer.js"></script><script type="module" src="main.js"></script><img src="logo.png">' },
    /still loads a file: <img src="logo\.png">/],
];
for (const [what, changes, expected] of refusedPages) {
  test(`refused: ${what}`, () => {
    assert.throws(() => onePage(folder(changes)), (error) => error instanceof BuildError && expected.test(error.message));
  });
}
