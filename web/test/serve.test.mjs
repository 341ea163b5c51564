// The explorer's local server: the page's own files only, GET and HEAD only,
// only for its own Host, and a plain message instead of a stack trace when
// it cannot start.
import { test, before, after } from 'node:test';
import assert from 'node:assert/strict';
import { spawnSync } from 'node:child_process';
import { mkdirSync, mkdtempSync, rmSync, writeFileSync } from 'node:fs';
import { request } from 'node:http';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { fileURLToPath } from 'node:url';
import { serve } from '../serve.mjs';

const serveScript = fileURLToPath(new URL('../serve.mjs', import.meta.url));
const scratch = mkdtempSync(join(tmpdir(), 'explorer-serve-'));
const built = join(scratch, 'build-web');
let server;
let port;

before(async () => {
  // A build folder: the page and module beside what a build leaves there.
  const files = {
    'index.html': '<!doctype html>page', 'main.js': 'main', 'style.css': 'css', 'brenlow-explorer.js': 'module',
    'brenlow-explorer.wasm': 'wasm', 'examples/index.json': '["a.dat"]', 'examples/a.dat': ' TITLE \xe9',
    'CMakeCache.txt': 'CMAKE_HOME_DIRECTORY:INTERNAL=/home/someone/brenlow', 'build.ninja': 'rule', '.ninja_log': 'log',
    'drag-timing.txt': 'timing', 'secret.js': 'not a page file', 'examples/notes.txt': 'notes',
  };
  for (const [name, text] of Object.entries(files)) {
    mkdirSync(join(built, name, '..'), { recursive: true });
    writeFileSync(join(built, name), text, 'latin1');
  }
  server = await serve(built, 0);
  port = server.address().port;
});
after(() => {
  server?.close();
  rmSync(scratch, { recursive: true, force: true });
});

// One request with the Host given (null: no Host header at all).
function ask(method, path, host = `127.0.0.1:${port}`) {
  return new Promise((done, fail) => {
    const headers = host === null ? {} : { Host: host };
    const call = request({ host: '127.0.0.1', port, method, path, headers, setHost: false }, (response) => {
      const chunks = [];
      response.on('data', (c) => chunks.push(c));
      response.on('end', () => done({ status: response.statusCode, headers: response.headers, body: Buffer.concat(chunks).toString('latin1') }));
    });
    call.on('error', fail);
    call.end();
  });
}

test('the page\'s own files are served, nothing else of the build folder', async () => {
  const cases = [
    ['/', 200, '<!doctype html>page', 'text/html; charset=utf-8'],
    ['/index.html', 200, '<!doctype html>page', 'text/html; charset=utf-8'],
    ['/main.js', 200, 'main', 'text/javascript; charset=utf-8'],
    ['/brenlow-explorer.wasm', 200, 'wasm', 'application/wasm'],
    ['/examples/index.json', 200, '["a.dat"]', 'application/json'],
    ['/examples/a.dat', 200, ' TITLE \xe9', 'text/plain; charset=iso-8859-1'],
    ['/CMakeCache.txt', 404], ['/build.ninja', 404], ['/.ninja_log', 404], ['/drag-timing.txt', 404],
    ['/secret.js', 404], ['/examples/notes.txt', 404], ['/examples/', 404], ['/examples', 404],
    ['/%2e%2e/%2e%2e/etc/passwd', 404], ['/examples/%2e%2e%2fCMakeCache.txt', 404], ['/examples/..%2fbuild.ninja', 404],
    ['/main.js%00.dat', 404], ['/%E0%A4%A', 400], ['/nothing.html', 404],
  ];
  for (const [path, status, body, type] of cases) {
    const got = await ask('GET', path);
    assert.equal(got.status, status, path);
    if (body !== undefined) {
      assert.equal(got.body, body, path);
      assert.equal(got.headers['content-type'], type, path);
    } else {
      assert.doesNotMatch(got.body, /CMAKE|rule|log|timing|secret|notes/, path);
    }
  }
});

test('GET and HEAD only', async () => {
  const head = await ask('HEAD', '/main.js');
  assert.equal(head.status, 200);
  assert.equal(head.body, '');
  assert.equal(head.headers['content-length'], '4');
  for (const method of ['POST', 'PUT', 'DELETE', 'OPTIONS', 'PATCH', 'TRACE']) {
    const got = await ask(method, '/main.js');
    assert.equal(got.status, 405, method);
    assert.equal(got.headers.allow, 'GET, HEAD', method);
  }
});

test('only requests for 127.0.0.1 or localhost at its own port are answered', async () => {
  const cases = [
    [`127.0.0.1:${port}`, 200], [`localhost:${port}`, 200], [`LocalHost:${port}`, 200],
    ['127.0.0.1', 421], ['localhost', 421], [`127.0.0.1:${port + 1}`, 421], [`evil.example:${port}`, 421],
    [`localhost.evil.example:${port}`, 421], [`[::1]:${port}`, 421], ['', 421], [null, 400],  // (no Host at all: node's own refusal)
  ];
  for (const [host, status] of cases) {
    const got = await ask('GET', '/main.js', host);
    assert.equal(got.status, status, String(host));
    if (status !== 200) assert.notEqual(got.body, 'main', String(host));
  }
});

test('a folder, port or address it cannot serve is said plainly', async () => {
  const unbuilt = join(scratch, 'unbuilt');
  mkdirSync(unbuilt);
  writeFileSync(join(scratch, 'file'), '');
  const cases = [
    [join(scratch, 'missing'), 0, /the folder .*missing does not exist: build the explorer first \(make web\)/],
    [join(scratch, 'file'), 0, /file is not a folder/],
    [unbuilt, 0, /unbuilt holds no brenlow-explorer\.js: build the explorer first/],
    [built, -1, /the port must be a whole number from 0 to 65535/],
    [built, 65536, /the port must be a whole number from 0 to 65535/],
    [built, 1.5, /the port must be a whole number from 0 to 65535/],
    [built, 'abc', /not "abc"/],
    [built, port, new RegExp(`port ${port} of 127\\.0\\.0\\.1 is in use: give another port`)],
  ];
  for (const [folder, at, message] of cases) {
    await assert.rejects(serve(folder, at), { message }, `${folder} ${at}`);
  }
  // From the command line: the message and status 2, no stack trace.
  for (const [args, message] of [
    [[join(scratch, 'missing')], /^serve\.mjs: the folder .*missing does not exist/],
    [[built, 'eighty'], /^serve\.mjs: the port must be a whole number/],
    [[built, String(port)], /^serve\.mjs: port \d+ of 127\.0\.0\.1 is in use/],
  ]) {
    const run = spawnSync(process.execPath, [serveScript, ...args], { encoding: 'utf8', timeout: 20000 });
    assert.equal(run.status, 2, run.stderr);
    assert.match(run.stderr, message);
    assert.equal(run.stderr.trim().split('\n').length, 1, run.stderr);
  }
});
