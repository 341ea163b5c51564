// The limits' checker: an engine module of its own in a Web Worker, for a
// check that costs more than a frame (a limit on the DC ion flow, a costly
// line during a drag). The first message hands it the compiled module
// ({ module }); then requests, one at a time: { id, line, set, left, right,
// frequency, bUnit } (line: Engine.line() of the page's engine; set:
// { name } of a shipped set or { text, name } of a file) answered
// { id, compliance, time } (time: the check's, ms) or { id, error }.
/* global createExplorer */
importScripts('brenlow-explorer.js');

let started;
const engine = new Promise((resolve) => { started = resolve; });

self.onmessage = ({ data }) => {
  if (data.module) {
    started(import('./engine.js').then(({ engineOf }) => engineOf(createExplorer, data.module)).catch((error) => ({ failed: error })));
    return;
  }
  engine.then((checker) => {
    if (checker.failed) {
      postMessage({ id: data.id, error: `the limits' checker did not start: ${checker.failed.message}` });
      return;
    }
    try {
      if (data.set.text !== undefined) checker.readLimits(data.set.text, data.set.name);
      else checker.chooseLimits(data.set.name);
      const begun = performance.now();
      const compliance = checker.complyLine(data.line, data.left, data.right, data.frequency, data.bUnit);
      postMessage({ id: data.id, compliance, time: performance.now() - begun });
    } catch (error) {
      postMessage({ id: data.id, error: error.message });
    }
  });
};
