// The span solves, run in a Web Worker (span-worker.js) so that the page
// answers whatever they cost. One solve runs at a time; a newer request
// replaces one still waiting (which is dropped, never solved), and one
// marked `overtakes` also stops the solve running (the worker is ended and
// a fresh one started from the compiled module). The limits' checks run
// the same way in a worker of their own (limits-worker.js).

// What the span worker is sent of a request.
const SPAN_FIELDS = ['line', 'length', 'sag', 'quantity', 'columns', 'rows'];

import { workerUrl } from './files.js';

export class SpanSolver {
  // module: the engine's compiled WebAssembly.Module; done(request, { map } | { error })
  // (for another worker: the worker's answer but its id, or { error }); another
  // worker's script, the request's fields sent to it and its name in messages.
  constructor(module, done, { script = 'span-worker.js', fields = SPAN_FIELDS, name = 'the span solver' } = {}) {
    this.module = module;
    this.done = done;
    Object.assign(this, { script, fields, name });
    this.worker = null;
    this.running = null;  // the request being solved
    this.waiting = null;  // the newest request not yet started
    this.next = 1;
  }

  // request: { line, length, sag, quantity, columns, rows, overtakes }
  solve(request) {
    if (!this.running) {
      this.#start(request);
    } else if (request.overtakes) {
      this.#end();
      this.#start(request);
    } else {
      this.waiting = request;
    }
  }

  // Stops the solve running and drops the one waiting.
  stop() {
    this.waiting = null;
    if (this.running) this.#end();
  }

  get busy() {
    return this.running !== null;
  }

  #spawn() {
    this.worker = new Worker(workerUrl(this.script));
    this.worker.postMessage({ module: this.module });
    this.worker.onmessage = ({ data }) => this.#answer(data);
    this.worker.onerror = (event) => {
      event.preventDefault();
      const request = this.running;
      this.#end();
      if (request) this.done(request, { error: `${this.name} stopped: ${event.message || 'no reason given'}` });
      this.#startWaiting();
    };
  }

  #start(request) {
    request.id = this.next;
    this.next += 1;
    request.started = performance.now();
    this.running = request;
    const message = { id: request.id };
    for (const field of this.fields) message[field] = request[field];
    try {
      if (!this.worker) this.#spawn();
      this.worker.postMessage(message);
    } catch (error) {  // no worker here (a browser that refuses one)
      this.#end();
      this.done(request, { error: `${this.name} cannot start: ${error.message}` });
    }
  }

  #end() {
    this.worker?.terminate();
    this.worker = null;
    this.running = null;
  }

  #answer(data) {
    const request = this.running;
    if (!request || data.id !== request.id) return;
    this.running = null;
    request.time = performance.now() - request.started;
    const { id, ...answer } = data;
    this.done(request, answer.error !== undefined ? { error: answer.error } : answer);
    this.#startWaiting();
  }

  #startWaiting() {
    if (this.running || !this.waiting) return;
    const request = this.waiting;
    this.waiting = null;
    this.#start(request);
  }
}
