// The span panel's solver: an engine module of its own in a Web Worker, so
// that a solve of seconds never holds up the page. The first message hands
// it the compiled module ({ module }); then requests, one at a time:
// { id, line, length, sag, quantity, columns, rows } (line: Engine.line()
// of the page's engine) answered { id, map } or { id, error }.
/* global createExplorer */
importScripts('brenlow-explorer.js');

let started;
const engine = new Promise((resolve) => { started = resolve; });

async function boot(module) {
  const { engineOf } = await import('./engine.js');
  return engineOf(createExplorer, module);
}

self.onmessage = ({ data }) => {
  if (data.module) {
    started(boot(data.module).catch((error) => ({ failed: error })));
    return;
  }
  engine.then((solver) => {
    if (solver.failed) {
      postMessage({ id: data.id, error: `the span solver did not start: ${solver.failed.message}` });
      return;
    }
    try {
      const map = solver.spanOfLine(data.line, data.length, data.sag, data.quantity, data.columns, data.rows);
      postMessage({ id: data.id, map });
    } catch (error) {
      postMessage({ id: data.id, error: error.message });
    }
  });
};
