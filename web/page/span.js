// The span panel: the cross section hung in three sagging level spans, E or
// B at 1 m over the ground around the middle span (the engine's 3-D line),
// redrawn as the span length or the sag is typed or dragged.

const COLUMNS = 33;  // along the line: a coarse grid, drawn smoothed, keeps a solve quick
const ROWS = 15;     // across it
// When the spans are solved, by the unknown charges of the solve (its time
// grows as their cube; in a worker, so the page answers whatever it costs):
// up to LIVE_UNKNOWNS after every edit and drag frame, the map following a
// drag; up to ASKED_UNKNOWNS once a change is done (a drag let go, a value
// entered), a newer change stopping the solve running; beyond, when asked.
const LIVE_UNKNOWNS = 1000;
const ASKED_UNKNOWNS = 2000;
const WIDTH = 900;
const HEIGHT = 270;
const PLOT = { left: 70, top: 14, right: 110, bottom: 40 };
// B as the page shows it: the engine's µT times the factor.
const B_UNITS = { uT: { label: 'µT', perMicrotesla: 1 }, mG: { label: 'mG', perMicrotesla: 10 }, G: { label: 'G', perMicrotesla: 0.01 } };

// Dark blue through teal and green to yellow, t from 0 to 1.
const STOPS = [[32, 29, 94], [33, 104, 140], [32, 160, 135], [122, 200, 80], [248, 228, 33]];
function ramp(t) {
  const x = Math.min(Math.max(t, 0), 1) * (STOPS.length - 1);
  const i = Math.min(Math.floor(x), STOPS.length - 2);
  const f = x - i;
  return STOPS[i].map((c, k) => Math.round(c + (STOPS[i + 1][k] - c) * f));
}

function rounded(v) {
  if (Number.isInteger(v)) return String(v);
  return Math.abs(v) >= 100 ? v.toFixed(0) : Math.abs(v) >= 10 ? v.toFixed(1) : v.toFixed(2);
}

const seconds = (ms) => (ms < 10000 ? (ms / 1000).toFixed(1) : (ms / 1000).toFixed(0));
// The spans a request solves: the line, length and sag (the quantity and
// the grid are only evaluated from a solve kept).
const spansOf = (r) => r && `${r.length}|${r.sag}|${r.line}`;

// The map in the unit shown: B converted to the page's unit.
export function shownMap(map, bUnit) {
  if (map.quantity !== 'B') return { ...map, unitLabel: map.unit };
  const { label, perMicrotesla } = B_UNITS[bUnit] ?? B_UNITS.uT;
  const scale = (v) => (v === null ? null : v * perMicrotesla);
  return {
    ...map, unitLabel: label, values: map.values.map(scale), largest: scale(map.largest),
    cross_section_largest: scale(map.cross_section_largest),
  };
}

// How the spans of `unknowns` unknown charges are solved: 'live', 'settled' or 'asked'.
export function solveMode(unknowns) {
  return unknowns <= LIVE_UNKNOWNS ? 'live' : unknowns <= ASKED_UNKNOWNS ? 'settled' : 'asked';
}

export class SpanPanel {
  // root: the panel's element; engine: the page's Engine (the line and the
  // cost of its solve); solver: a SpanSolver, or null when it cannot start.
  constructor(root, engine, makeSolver) {
    this.engine = engine;
    this.solver = makeSolver((request, result) => this.#solved(request, result));
    this.section = null;
    this.line = null;
    this.units = null;
    this.bUnit = 'uT';
    this.accepted = null;   // { length, sag }: the last values taken
    this.shown = null;      // the request whose map is on show, with its map
    this.failure = null;    // { request, message }: the spans of a request that cannot be solved
    this.rate = 1.3e-6;     // ms per unknown cubed, learnt from the solves done
    this.ticker = 0;
    root.innerHTML = `
      <div class="panel-head">
        <h2 id="span-heading">Along the spans</h2>
        <p class="hint">Three level spans, each conductor sagging between towers from its height at mid-span;
          the field at 1 m over the ground (3-D). Tower steel and insulators are not modelled.</p>
      </div>
      <div class="span-controls">
        <label>Span length <input id="span-length" type="text" inputmode="decimal"> <span class="span-unit"></span></label>
        <input id="span-length-drag" type="range" aria-label="Span length">
        <label>Sag <input id="span-sag" type="text" inputmode="decimal"> <span class="span-unit"></span></label>
        <input id="span-sag-drag" type="range" aria-label="Sag">
        <label>Field <select id="span-quantity"><option value="E">E, kV/m</option><option value="B">B, µT</option></select></label>
      </div>
      <p id="span-refusal" class="field-refusal" role="alert" hidden></p>
      <canvas id="span-map" class="span-map" width="${WIDTH}" height="${HEIGHT}"
              aria-label="Field at 1 m over the ground along the middle span, seen from above"></canvas>
      <p id="span-failure" class="warning" role="alert" hidden></p>
      <p class="span-status"><span id="span-note" class="hint" aria-live="polite"></span>
        <button id="span-compute" type="button" hidden>Solve the spans</button>
        <button id="span-stop" type="button" class="secondary" hidden>Stop</button></p>`;
    this.$ = (id) => root.querySelector(`#${id}`);
    const pair = (field, drag) => {
      this.$(field).addEventListener('change', () => this.#typed(field, drag));
      this.$(field).addEventListener('keydown', (e) => { if (e.key === 'Enter') this.#typed(field, drag); });
      this.$(drag).addEventListener('input', () => { this.$(field).value = this.$(drag).value; this.#want(false); });
      this.$(drag).addEventListener('change', () => { this.$(field).value = this.$(drag).value; this.#want(true); });
    };
    pair('span-length', 'span-length-drag');
    pair('span-sag', 'span-sag-drag');
    this.$('span-compute').addEventListener('click', () => this.#want(true, true));
    this.$('span-stop').addEventListener('click', () => {
      this.solver?.stop();
      this.#show();
    });
    this.$('span-quantity').addEventListener('change', () => this.#want(true));
  }

  // A new or edited section. `line`: its Engine.line(); `settled`: false
  // while a drag goes on; `replace`: another file opened, nothing of the
  // earlier line's map stays.
  setSection(section, line, { settled = true, replace = false } = {}) {
    this.section = section;
    const units = section.units.length;
    if (units !== this.units) {
      this.units = units;
      const feet = units === 'ft';
      const set = (id, value, min, max, step) => Object.assign(this.$(id), { min, max, step, value });
      this.$('span-length').value = feet ? 1300 : 400;
      set('span-length-drag', feet ? 1300 : 400, feet ? 300 : 100, feet ? 3300 : 1000, 10);
      this.$('span-sag').value = feet ? 40 : 12;
      set('span-sag-drag', feet ? 40 : 12, 0, feet ? 100 : 30, 0.5);
      for (const node of this.$('span-length').closest('.span-controls').querySelectorAll('.span-unit')) node.textContent = units;
      this.accepted = { length: feet ? 1300 : 400, sag: feet ? 40 : 12 };
      this.#clearRefusal();
    }
    if (replace) {
      this.shown = null;
      this.failure = null;
      this.solver?.stop();
    }
    if (line === this.line && !replace) {
      if (settled && this.pendingSettle) this.#want(true);
      return;
    }
    this.line = line;
    this.#want(settled);
  }

  // B in the page's unit (uT, mG or G).
  setBUnit(unit) {
    if (unit === this.bUnit) return;
    this.bUnit = unit;
    this.$('span-quantity').options[1].textContent = `B, ${(B_UNITS[unit] ?? B_UNITS.uT).label}`;
    this.#show();
  }

  // A length or sag typed: taken when the engine takes it, otherwise the
  // last value taken comes back, the message beside the fields.
  #typed(field, drag) {
    const input = this.$(field);
    const text = input.value.trim();
    const previous = this.accepted[field === 'span-length' ? 'length' : 'sag'];
    if (text === String(previous)) return;
    const value = text === '' ? NaN : Number(text);
    const { length, sag } = { ...this.accepted, [field === 'span-length' ? 'length' : 'sag']: value };
    let refused = null;
    if (!Number.isFinite(value)) {
      refused = `${field === 'span-length' ? 'span length' : 'sag'}: "${text}" is not a number`;
    } else {
      try {
        this.engine.spanUnknowns(length, sag);
      } catch (error) {
        refused = error.message;
      }
    }
    if (refused) {
      input.value = previous;
      this.$(drag).value = previous;
      input.setAttribute('aria-invalid', 'true');
      this.$('span-refusal').textContent = `"${text}" refused: ${refused}`;
      this.$('span-refusal').hidden = false;
      return;
    }
    this.$(drag).value = value;
    this.#want(true);
  }

  #clearRefusal() {
    for (const id of ['span-length', 'span-sag']) this.$(id).removeAttribute('aria-invalid');
    this.$('span-refusal').hidden = true;
    this.$('span-refusal').textContent = '';
  }

  // The request for what the controls and the line now say; null when the
  // engine refuses the length or sag (a slider never gives such a value).
  #request() {
    const length = Number(this.$('span-length').value);
    const sag = Number(this.$('span-sag').value);
    let unknowns;
    try {
      unknowns = this.engine.spanUnknowns(length, sag);
    } catch (error) {
      return { length, sag, refused: error.message };
    }
    return {
      line: this.line, length, sag, quantity: this.$('span-quantity').value, columns: COLUMNS, rows: ROWS, unknowns,
    };
  }

  // Solves the spans when their cost allows it now: `settled` (a change
  // done), `asked` (the button).
  #want(settled, asked = false) {
    if (!this.section) return;
    const request = this.#request();
    this.wanted = request;
    this.pendingSettle = false;
    if (request.refused) {
      this.#show();
      return;
    }
    this.accepted = { length: request.length, sag: request.sag };
    this.#clearRefusal();
    const solved = spansOf(this.shown) === spansOf(request) || spansOf(this.solver?.running) === spansOf(request);
    const mode = solved ? 'live' : solveMode(request.unknowns);
    const now = asked || mode === 'live' || (mode === 'settled' && settled);
    if (!settled && mode === 'settled') this.pendingSettle = true;
    if (now && this.solver) {
      request.overtakes = mode !== 'live';
      this.solver.solve(request);
    }
    this.#show();
  }

  #solved(request, result) {
    if (result.map) {
      this.shown = { ...request, map: result.map };
      if (request.unknowns >= 800) this.rate = 0.5 * this.rate + 0.5 * (request.time / request.unknowns ** 3);
      if (this.failure && spansOf(this.failure.request) === spansOf(request)) this.failure = null;
    } else {
      this.failure = { request, message: result.error };
      // Nothing of an earlier state of the line stands beside the message.
      if (spansOf(request) === spansOf(this.wanted)) this.shown = null;
    }
    this.#show();
  }

  // The map, the note and the buttons as things stand.
  #show() {
    const wanted = this.wanted;
    const running = this.solver?.running ?? null;
    const current = this.shown && wanted && spansOf(this.shown) === spansOf(wanted) && this.shown.quantity === wanted.quantity;
    const canvas = this.$('span-map');
    // Painted again only when the map or its unit changed.
    if (this.painted?.map !== this.shown?.map || this.painted?.bUnit !== this.bUnit) {
      this.painted = { map: this.shown?.map, bUnit: this.bUnit };
      if (this.shown) this.paint(shownMap(this.shown.map, this.bUnit));
      else canvas.getContext('2d').clearRect(0, 0, WIDTH, HEIGHT);
    }
    canvas.classList.toggle('stale', Boolean(this.shown) && !current);
    const failed = this.failure && wanted && spansOf(this.failure.request) === spansOf(wanted) ? this.failure : null;
    this.$('span-failure').textContent = failed ? `The spans cannot be solved: ${failed.message}` : '';
    this.$('span-failure').hidden = !failed;

    const u = this.section?.units.length ?? 'm';
    const parts = [];
    if (this.shown) {
      const map = shownMap(this.shown.map, this.bUnit);
      const of = current ? '' : ` (the map shows the line before the latest change, span ${rounded(this.shown.length)} ${u}, sag ${rounded(this.shown.sag)} ${u})`;
      parts.push(`Largest ${map.quantity} on the map ${rounded(map.largest)} ${map.unitLabel}; the cross section's ` +
        `(infinite conductors at their mid-span heights) ${rounded(map.cross_section_largest)} ${map.unitLabel}${of}.`);
      if (map.missing > 0) parts.push(`${map.missing} of ${map.values.length} points could not be computed (grey).`);
      if (current) parts.push(`${this.shown.unknowns} unknown charges, ${map.elements} elements per span · solved in ${seconds(this.shown.time)} s.`);
    }
    const estimate = (n) => this.rate * n ** 3;
    const about = (n) => (estimate(n) >= 1000 ? `, about ${seconds(estimate(n))} s` : '');
    let asking = false;
    if (running) {
      const elapsed = performance.now() - running.started;
      parts.push(`Solving the spans… ${seconds(elapsed)} s (${running.unknowns} unknown charges${about(running.unknowns)}).`);
    } else if (wanted && !wanted.refused && !current && !failed) {
      const mode = solveMode(wanted.unknowns);
      asking = mode === 'asked';
      parts.push(mode === 'asked'
        ? `${wanted.unknowns} unknown charges${about(wanted.unknowns)}: the spans are solved when you ask (Solve the spans), not after every change.`
        : `${wanted.unknowns} unknown charges${about(wanted.unknowns)}: the spans are solved when the change is done.`);
    }
    this.$('span-note').textContent = parts.join(' ');
    this.$('span-compute').hidden = !asking;
    this.$('span-stop').hidden = !running;
    canvas.dataset.state = running ? 'solving' : current ? 'current' : this.shown ? 'stale' : 'empty';
    // While a solve runs, its time counts up.
    if (running && !this.ticker) {
      this.ticker = setInterval(() => this.#show(), 500);
    } else if (!running && this.ticker) {
      clearInterval(this.ticker);
      this.ticker = 0;
    }
  }

  paint(map) {
    const canvas = this.$('span-map');
    const g = canvas.getContext('2d');
    const w = WIDTH - PLOT.left - PLOT.right;
    const h = HEIGHT - PLOT.top - PLOT.bottom;
    g.clearRect(0, 0, WIDTH, HEIGHT);
    const top = map.largest > 0 ? map.largest : 1;
    // The grid as a small picture (lateral positions upwards), drawn smoothed.
    const cells = document.createElement('canvas');
    cells.width = map.along.length;
    cells.height = map.x.length;
    const image = cells.getContext('2d').createImageData(cells.width, cells.height);
    for (let j = 0; j < map.x.length; j += 1) {
      for (let i = 0; i < map.along.length; i += 1) {
        const v = map.values[j * map.along.length + i];
        const [r, gr, b] = v === null ? [152, 162, 179] : ramp(v / top);  // grey: not computed
        const k = ((map.x.length - 1 - j) * map.along.length + i) * 4;
        image.data.set([r, gr, b, 255], k);
      }
    }
    cells.getContext('2d').putImageData(image, 0, 0);
    g.imageSmoothingEnabled = true;
    const a0 = map.along[0], a1 = map.along[map.along.length - 1];
    const x0 = map.x[0], x1 = map.x[map.x.length - 1];
    // Cell centres at the grid's ends: the picture reaches half a cell beyond them.
    const cw = w / (map.along.length - 1), ch = h / (map.x.length - 1);
    g.save();
    g.beginPath();
    g.rect(PLOT.left, PLOT.top, w, h);
    g.clip();
    g.drawImage(cells, PLOT.left - cw / 2, PLOT.top - ch / 2, w + cw, h + ch);
    const px = (a) => PLOT.left + ((a - a0) / (a1 - a0)) * w;
    const py = (x) => PLOT.top + ((x1 - x) / (x1 - x0)) * h;
    for (const wire of map.wires) {
      g.strokeStyle = wire.earth ? '#ffffff' : '#111111';
      g.lineWidth = wire.earth ? 1 : 1.5;
      g.setLineDash(wire.earth ? [4, 3] : []);
      g.beginPath();
      g.moveTo(PLOT.left, py(wire.x));
      g.lineTo(PLOT.left + w, py(wire.x));
      g.stroke();
    }
    g.setLineDash([]);
    const reach = map.wires.map((wire) => py(wire.x));
    const t0 = Math.min(...reach, PLOT.top + h / 2) - 8, t1 = Math.max(...reach, PLOT.top + h / 2) + 8;
    g.fillStyle = '#444444';
    g.strokeStyle = '#ffffff';
    for (const tower of map.towers) {
      g.fillRect(px(tower) - 3, t0, 6, t1 - t0);
      g.strokeRect(px(tower) - 3, t0, 6, t1 - t0);
    }
    g.restore();
    // Frame, axes and the colour bar, each number with its unit.
    g.strokeStyle = '#98a2b3';
    g.strokeRect(PLOT.left, PLOT.top, w, h);
    g.fillStyle = '#344054';
    g.font = '12px system-ui, sans-serif';
    g.textAlign = 'center';
    const u = map.length_unit;
    for (const a of [0, map.length / 2, map.length]) g.fillText(`${rounded(a)} ${u}`, px(a), PLOT.top + h + 16);
    g.fillText(`along the line (${u}), from the first tower of the middle span`, PLOT.left + w / 2, PLOT.top + h + 33);
    g.textAlign = 'right';
    for (const x of [x0, 0, x1]) g.fillText(`${rounded(x)} ${u}`, PLOT.left - 6, py(x) + 4);
    const bx = PLOT.left + w + 24, bh = h;
    for (let k = 0; k < bh; k += 1) {
      const [r, gr, b] = ramp(1 - k / bh);
      g.fillStyle = `rgb(${r},${gr},${b})`;
      g.fillRect(bx, PLOT.top + k, 14, 1);
    }
    g.fillStyle = '#344054';
    g.textAlign = 'left';
    const unit = map.unitLabel;
    g.fillText(`${rounded(top)} ${unit}`, bx + 18, PLOT.top + 10);
    g.fillText(`0 ${unit}`, bx + 18, PLOT.top + bh);
    g.fillText(`${map.quantity} at 1 m`, bx + 18, PLOT.top + bh / 2);
  }
}
