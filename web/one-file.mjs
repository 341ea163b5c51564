// The explorer in one file that opens from the disk: node web/one-file.mjs
// DIR [OUTPUT]. DIR is the explorer's build folder (the page, the engine
// module and the bundled examples, as `make web` leaves them); OUTPUT
// (DIR/explorer.html by default) is index.html with everything it loads
// held in itself, since a browser fetches nothing for a page opened as a
// file: the style sheets inline; the engine's script inline; the page's
// modules bundled into one inline module script; and the engine's
// WebAssembly, the examples, their list and the workers' scripts
// (its engine script and modules bundled in) in base64, each in an element
// whose id is "file:" and its name, where web/page/files.js reads them.
//
// The bundle keeps each module in a scope of its own: `export` is dropped
// from its declarations, which it returns as an object, and each import of
// it becomes a destructuring of that object, the modules in the order of
// their imports. Only the forms the page uses are taken (named imports of
// ./NAME.js, exported declarations, a worker's importScripts and import()
// of such files); any other fails the build, never a page that half works.
import { readFileSync, writeFileSync } from 'node:fs';
import { join } from 'node:path';
import { pathToFileURL } from 'node:url';

export class BuildError extends Error {}

const IMPORT = /^import\s*\{([^}]*)\}\s*from\s*'\.\/([\w.-]+\.js)';?[ \t]*$/gm;
const EXPORT = /^export\s+((?:async\s+)?(?:class|function\*?|const|let|var)\s+([\w$]+))/gm;
const DYNAMIC_IMPORT = /\bimport\(\s*'\.\/([\w.-]+\.js)'\s*\)/g;
const IMPORT_SCRIPTS = /^importScripts\(\s*'([\w.-]+\.js)'\s*\);?[ \t]*$/gm;

const moduleName = (file) => `module_${file.replace(/\W/g, '_')}`;

// One module's source as a scoped definition, and the files it imports.
function scoped(file, text) {
  const imports = [];
  const exports = [];
  let body = text.replace(IMPORT, (_, names, from) => {
    imports.push(from);
    const fields = names.split(',').map((n) => n.trim()).filter(Boolean).map((n) => n.replace(/\s+as\s+/, ': '));
    return `const { ${fields.join(', ')} } = ${moduleName(from)};`;
  });
  body = body.replace(EXPORT, (_, declaration, name) => {
    exports.push(name);
    return declaration;
  });
  const left = body.match(/^\s*(import|export)\b.*$/m);
  if (left) throw new BuildError(`${file}: a form of ${left[1]} the one-file build does not take: ${left[0].trim()}`);
  const definition = `const ${moduleName(file)} = (() => {\n${body}\nreturn { ${exports.join(', ')} };\n})();\n`;
  return { definition, imports };
}

// The modules `entries` import, each once, every one after those it imports.
export function bundle(entries, read) {
  const state = new Map();
  const out = [];
  const visit = (file, from) => {
    if (state.get(file) === 'done') return;
    if (state.get(file) === 'open') throw new BuildError(`${from} and ${file} import each other`);
    state.set(file, 'open');
    const { definition, imports } = scoped(file, read(file));
    for (const next of imports) visit(next, file);
    state.set(file, 'done');
    out.push(definition);
  };
  for (const file of entries) visit(file, file);
  return out.join('\n');
}

// A classic worker script with the scripts it loads and modules it imports held in it.
export function workerScript(entry, read) {
  let text = read(entry).replace(IMPORT_SCRIPTS, (_, file) => read(file));
  const dynamic = [];
  text = text.replace(DYNAMIC_IMPORT, (_, file) => {
    dynamic.push(file);
    return `Promise.resolve(${moduleName(file)})`;
  });
  return `${bundle(dynamic, read)}\n${text}`;
}

// Text that goes into an inline <script> must not end it early.
function inline(name, text) {
  const bad = text.match(/<\/script|<!--/i);
  if (bad) throw new BuildError(`${name} holds "${bad[0]}", which would end its inline script`);
  return text;
}

function replaceOnce(html, pattern, by, what) {
  const found = html.match(new RegExp(pattern.source, 'g')) ?? [];
  if (found.length !== 1) throw new BuildError(`index.html: ${what} found ${found.length} times, not once`);
  return html.replace(pattern, by);
}

// The page in one file, from `bytes(NAME)`: the bytes of a file of the build folder.
export function onePage(bytes) {
  const read = (file) => bytes(file).toString('utf8');
  const held = (name, bytes) =>
    `<script type="application/octet-stream" id="file:${name}">${Buffer.from(bytes).toString('base64')}</script>`;
  let html = read('index.html');
  html = html.replace(/<link rel="stylesheet" href="([\w.-]+\.css)">/g,
    (_, file) => `<style>\n${read(file).replace(/<\/style/gi, '<\\/style')}</style>`);
  html = replaceOnce(html, /<script src="brenlow-explorer\.js"><\/script>/,
    () => `<script>\n${inline('brenlow-explorer.js', read('brenlow-explorer.js'))}</script>`, 'the engine script');
  html = replaceOnce(html, /<script type="module" src="main\.js"><\/script>/,
    () => `<script type="module">\n${inline('the page script', bundle(['main.js'], read))}</script>`, 'the page script');
  const left = html.match(/<(?:script|link|img)\b[^>]*\b(?:src|href)=[^>]*>/i);
  if (left) throw new BuildError(`index.html still loads a file: ${left[0]}`);

  const examples = JSON.parse(read('examples/index.json'));
  const files = [
    held('brenlow-explorer.wasm', bytes('brenlow-explorer.wasm')),
    held('span-worker.js', workerScript('span-worker.js', read)),
    held('limits-worker.js', workerScript('limits-worker.js', read)),
    held('examples/index.json', JSON.stringify(examples)),
    ...examples.map((name) => held(`examples/${encodeURIComponent(name)}`, bytes(`examples/${name}`))),
  ];
  return replaceOnce(html, /<\/body>/, () => `${files.join('\n')}\n</body>`, '</body>');
}

if (import.meta.url === pathToFileURL(process.argv[1]).href) {
  const [dir, output] = process.argv.slice(2);
  if (!dir) {
    console.error('usage: node web/one-file.mjs DIR [OUTPUT]');
    process.exit(2);
  }
  try {
    writeFileSync(output ?? join(dir, 'explorer.html'), onePage((file) => readFileSync(join(dir, file))));
  } catch (error) {
    console.error(`one-file.mjs: ${error instanceof BuildError ? error.message : error}`);
    process.exit(1);
  }
}
