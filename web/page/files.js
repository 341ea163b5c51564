// The files the page reads besides itself: the engine's WebAssembly, the
// bundled examples and their list, the span solver's worker script. Served,
// they lie beside the page and are fetched. The page built into one file
// (explorer.html, opened from the disk, where a browser fetches nothing)
// holds each of them itself, in base64, in an element whose id is "file:"
// and the file's name.

const held = (name) => document.getElementById(`file:${name}`);

function base64Bytes(text) {
  const chars = atob(text.replace(/\s+/g, ''));
  const bytes = new Uint8Array(chars.length);
  for (let i = 0; i < chars.length; i += 1) bytes[i] = chars.charCodeAt(i);
  return bytes;
}

// The bytes of a file beside the page; throws an error saying why not.
export async function fileBytes(name) {
  const node = held(name);
  if (node) return base64Bytes(node.textContent);
  const response = await fetch(name);
  if (!response.ok) throw new Error(`could not be fetched (${response.status})`);
  return new Uint8Array(await response.arrayBuffer());
}

export async function fileJson(name) {
  return JSON.parse(new TextDecoder().decode(await fileBytes(name)));
}

// The engine's module, compiled (once: the page's engine and the span
// solver's worker each make an instance of it).
export async function compileEngine() {
  const name = 'brenlow-explorer.wasm';
  if (held(name)) return WebAssembly.compile(await fileBytes(name));
  return WebAssembly.compileStreaming(fetch(name));
}

// What `new Worker` takes for a worker's script (span-worker.js,
// limits-worker.js): its file, or a URL of the script the page holds (one
// URL a script, however many workers the page starts).
const heldWorkers = new Map();
export function workerUrl(name) {
  const node = held(name);
  if (!node) return name;
  if (!heldWorkers.has(name)) {
    heldWorkers.set(name, URL.createObjectURL(new Blob([base64Bytes(node.textContent)], { type: 'text/javascript' })));
  }
  return heldWorkers.get(name);
}
