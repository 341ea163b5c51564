// A small static server for the explorer: node web/serve.mjs DIR [PORT].
// Serves the page from DIR (the explorer's build folder) on 127.0.0.1 only
// (index.html opened as a local file cannot load its modules or its .wasm;
// explorer.html, the page in one file, needs no server). PORT 0 picks a free
// port. Prints the address.
//
// Only the page's own files are served: the files of web/page, the engine
// module (brenlow-explorer.js and .wasm) and the bundled examples; never the
// rest of the build folder (its cache holds the machine's paths). GET and
// HEAD only, and only for a Host of 127.0.0.1:PORT or localhost:PORT, so
// that a web site whose name is made to point at 127.0.0.1 (DNS rebinding)
// cannot read the page from another origin.
import { createServer } from 'node:http';
import { readdirSync, statSync } from 'node:fs';
import { readFile } from 'node:fs/promises';
import { extname, join, resolve } from 'node:path';
import { pathToFileURL } from 'node:url';

const TYPES = {
  '.html': 'text/html; charset=utf-8', '.js': 'text/javascript; charset=utf-8', '.mjs': 'text/javascript; charset=utf-8',
  '.css': 'text/css; charset=utf-8', '.wasm': 'application/wasm', '.json': 'application/json',
  '.dat': 'text/plain; charset=iso-8859-1', '.png': 'image/png', '.svg': 'image/svg+xml',
};

// The page's files, as web/page holds them.
const PAGE_FILES = readdirSync(new URL('./page/', import.meta.url));
const MODULE_FILES = ['brenlow-explorer.js', 'brenlow-explorer.wasm'];

// The file a request path names, relative to the folder, or null for one
// that is not the page's: a page file, the module, or examples/NAME.dat and
// examples/index.json.
export function pageFile(path) {
  if (path === '/') return 'index.html';
  const name = path.slice(1);
  if (PAGE_FILES.includes(name) || MODULE_FILES.includes(name)) return name;
  if (name === 'examples/index.json' || /^examples\/[A-Za-z0-9_-][A-Za-z0-9_.-]*\.dat$/i.test(name)) return name;
  return null;
}

class ServeError extends Error {}

// What is wrong with DIR and PORT, or null. A folder without the engine
// module has not been built (make web).
function startProblem(root, port) {
  let isFolder = false;
  try {
    isFolder = statSync(root).isDirectory();
  } catch {
    return `the folder ${root} does not exist: build the explorer first (make web)`;
  }
  if (!isFolder) return `${root} is not a folder`;
  for (const name of MODULE_FILES) {
    try {
      statSync(join(root, name));
    } catch {
      return `${root} holds no ${name}: build the explorer first (make web)`;
    }
  }
  if (!Number.isInteger(port) || port < 0 || port > 65535) {
    return `the port must be a whole number from 0 to 65535 (0: any free port), not "${port}"`;
  }
  return null;
}

function reply(response, status, text, headers = {}) {
  response.writeHead(status, { 'Content-Type': 'text/plain; charset=utf-8', ...headers });
  response.end(`${text}\n`);
}

// Starts serving DIR on 127.0.0.1:PORT; resolves to the server, or rejects
// with an error whose message says what is wrong (a missing or unbuilt
// folder, a bad port, a port in use).
export function serve(directory, port = 0) {
  const root = resolve(directory);
  const problem = startProblem(root, port);
  if (problem) return Promise.reject(new ServeError(problem));
  const server = createServer(async (request, response) => {
    const bound = server.address().port;
    const host = (request.headers.host ?? '').toLowerCase();
    if (host !== `127.0.0.1:${bound}` && host !== `localhost:${bound}`) {
      reply(response, 421, `this server answers only for 127.0.0.1:${bound} and localhost:${bound}`);
      return;
    }
    if (request.method !== 'GET' && request.method !== 'HEAD') {
      reply(response, 405, 'only GET and HEAD', { Allow: 'GET, HEAD' });
      return;
    }
    let path;
    try {
      path = decodeURIComponent(new URL(request.url, `http://${host}`).pathname);
    } catch {
      reply(response, 400, 'a bad address');
      return;
    }
    const name = pageFile(path);
    if (name === null) {
      reply(response, 404, 'not found');
      return;
    }
    let body;
    try {
      body = await readFile(join(root, name));
    } catch {
      reply(response, 404, 'not found');
      return;
    }
    response.writeHead(200, {
      'Content-Type': TYPES[extname(name).toLowerCase()] ?? 'application/octet-stream',
      'Content-Length': body.length, 'Cache-Control': 'no-cache', 'X-Content-Type-Options': 'nosniff',
    });
    response.end(request.method === 'HEAD' ? undefined : body);
  });
  return new Promise((done, fail) => {
    server.once('error', (error) => {
      fail(new ServeError(error.code === 'EADDRINUSE' ? `port ${port} of 127.0.0.1 is in use: give another port`
        : error.code === 'EACCES' ? `port ${port} of 127.0.0.1 may not be opened by this user: give a port above 1023`
          : `127.0.0.1:${port} cannot be served: ${error.message}`));
    });
    server.listen(port, '127.0.0.1', () => done(server));
  });
}

if (process.argv[1] && import.meta.url === pathToFileURL(resolve(process.argv[1])).href) {
  const [directory = 'build-web', portText = '8031'] = process.argv.slice(2);
  const port = /^\d+$/.test(portText) ? Number(portText) : portText;
  try {
    const server = await serve(directory, port);
    console.log(`Right-of-way explorer: http://127.0.0.1:${server.address().port}/  (Ctrl-C stops it)`);
  } catch (error) {
    if (!(error instanceof ServeError)) throw error;
    console.error(`serve.mjs: ${error.message}`);
    process.exit(2);
  }
}
