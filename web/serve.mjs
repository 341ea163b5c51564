// A small static server for the explorer: node web/serve.mjs DIR [PORT].
// Serves DIR on 127.0.0.1 only (a page opened as a local file cannot load
// its .wasm). PORT 0 picks a free port. Prints the address.
import { createServer } from 'node:http';
import { readFile } from 'node:fs/promises';
import { extname, join, normalize, resolve, sep } from 'node:path';

const TYPES = {
  '.html': 'text/html; charset=utf-8', '.js': 'text/javascript; charset=utf-8', '.mjs': 'text/javascript; charset=utf-8',
  '.css': 'text/css; charset=utf-8', '.wasm': 'application/wasm', '.json': 'application/json',
  '.dat': 'text/plain; charset=utf-8', '.png': 'image/png', '.svg': 'image/svg+xml',
};

export function serve(directory, port = 0) {
  const root = resolve(directory);
  const server = createServer(async (request, response) => {
    try {
      const path = decodeURIComponent(new URL(request.url, 'http://localhost').pathname);
      const file = normalize(join(root, path.endsWith('/') ? `${path}index.html` : path));
      if (file !== root && !file.startsWith(root + sep)) throw Object.assign(new Error('outside'), { code: 'ENOENT' });
      const body = await readFile(file);
      response.writeHead(200, { 'Content-Type': TYPES[extname(file).toLowerCase()] ?? 'application/octet-stream', 'Cache-Control': 'no-cache' });
      response.end(body);
    } catch (error) {
      response.writeHead(error.code === 'ENOENT' || error.code === 'EISDIR' ? 404 : 500, { 'Content-Type': 'text/plain' });
      response.end('not found\n');
    }
  });
  return new Promise((done, fail) => {
    server.once('error', fail);
    server.listen(port, '127.0.0.1', () => done(server));
  });
}

if (import.meta.url === `file://${process.argv[1]}`) {
  const [directory = 'build-web', port = '8031'] = process.argv.slice(2);
  const server = await serve(directory, Number(port));
  console.log(`Right-of-way explorer: http://127.0.0.1:${server.address().port}/  (Ctrl-C stops it)`);
}
