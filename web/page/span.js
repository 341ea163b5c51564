// The span panel: the cross section hung in three sagging level spans, E or
// B at 1 m over the ground around the middle span (the engine's 3-D line),
// redrawn as the span length or the sag is typed or dragged.

const COLUMNS = 33;  // along the line: a coarse grid, drawn smoothed, keeps a drag quick
// Up to this many groups the spans are solved again after every edit; the
// solve grows with the cube of the groups, so a larger line (50 groups take
// seconds) is solved when asked, and a drag never waits for it.
const AUTOMATIC_GROUPS = 12;
const ROWS = 15;     // across it
const WIDTH = 900;
const HEIGHT = 270;
const PLOT = { left: 70, top: 14, right: 110, bottom: 40 };

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

export class SpanPanel {
  // root: the panel's element; engine: the Engine; report(message) shows a refusal.
  constructor(root, engine, report) {
    this.engine = engine;
    this.report = report;
    this.section = null;
    this.units = null;
    this.frame = 0;
    root.innerHTML = `
      <div class="panel-head">
        <h2 id="span-heading">Along the spans</h2>
        <p class="hint">Three level spans, each conductor sagging between towers from its height at mid-span;
          the field at 1 m over the ground (3-D). Tower steel and insulators are not modelled.</p>
      </div>
      <div class="span-controls">
        <label>Span length <input id="span-length" type="number" min="10" step="10"> <span class="span-unit"></span></label>
        <input id="span-length-drag" type="range" aria-label="Span length">
        <label>Sag <input id="span-sag" type="number" min="0" step="0.5"> <span class="span-unit"></span></label>
        <input id="span-sag-drag" type="range" aria-label="Sag">
        <label>Field <select id="span-quantity"><option value="E">E, kV/m</option><option value="B">B, µT</option></select></label>
      </div>
      <canvas id="span-map" class="span-map" width="${WIDTH}" height="${HEIGHT}"
              aria-label="Field at 1 m over the ground along the middle span, seen from above"></canvas>
      <p id="span-note" class="hint" aria-live="polite"></p>
      <button id="span-compute" type="button" hidden>Solve the spans</button>`;
    this.$ = (id) => root.querySelector(`#${id}`);
    const pair = (field, drag) => {
      this.$(field).addEventListener('change', () => { this.$(drag).value = this.$(field).value; this.schedule(); });
      this.$(drag).addEventListener('input', () => { this.$(field).value = this.$(drag).value; this.schedule(); });
    };
    pair('span-length', 'span-length-drag');
    pair('span-sag', 'span-sag-drag');
    this.$('span-compute').addEventListener('click', () => this.draw());
    this.$('span-quantity').addEventListener('change', () => this.schedule());
  }

  // A new or edited section: redrawn at the next frame, in its units.
  setSection(section) {
    this.section = section;
    const units = section.units.length;
    if (units !== this.units) {
      this.units = units;
      const feet = units === 'ft';
      const set = (id, value, min, max, step) => Object.assign(this.$(id), { min, max, step, value });
      set('span-length', feet ? 1300 : 400, 10, '', 10);
      set('span-length-drag', feet ? 1300 : 400, feet ? 300 : 100, feet ? 3300 : 1000, 10);
      set('span-sag', feet ? 40 : 12, 0, '', 0.5);
      set('span-sag-drag', feet ? 40 : 12, 0, feet ? 100 : 30, 0.5);
      for (const node of this.$('span-length').closest('.span-controls').querySelectorAll('.span-unit')) node.textContent = units;
    }
    this.automatic = section.groups.length <= AUTOMATIC_GROUPS;
    this.$('span-compute').hidden = this.automatic;
    if (!this.automatic) {
      // Nothing of an earlier line stays on show while this one waits.
      this.$('span-map').getContext('2d').clearRect(0, 0, WIDTH, HEIGHT);
      this.map = null;
      this.$('span-note').textContent = `${section.groups.length} groups: the spans are solved when you ask ` +
        `(Solve the spans), not after every edit.`;
      return;
    }
    this.schedule();
  }

  schedule() {
    if (this.frame || !this.section) return;
    if (!this.automatic) {
      this.$('span-note').textContent = 'Solve the spans to draw this length and sag.';
      return;
    }
    this.frame = requestAnimationFrame(() => {
      this.frame = 0;
      this.draw();
    });
  }

  draw() {
    const length = Number(this.$('span-length').value);
    const sag = Number(this.$('span-sag').value);
    const quantity = this.$('span-quantity').value;
    const started = performance.now();
    let map;
    try {
      map = this.engine.span(length, sag, quantity, COLUMNS, ROWS);
    } catch (error) {
      this.report(error.message);
      return;
    }
    this.time = performance.now() - started;
    this.map = map;
    this.paint(map);
    const unit = map.unit === 'uT' ? 'µT' : map.unit;
    this.$('span-note').textContent =
      `Largest ${map.quantity} on the map ${rounded(map.largest)} ${unit}; the cross section's ` +
      `(infinite conductors at their mid-span heights) ${rounded(map.cross_section_largest)} ${unit}. ` +
      `${map.elements} elements per span · ${this.time.toFixed(0)} ms`;
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
        const [r, gr, b] = ramp(map.values[j * map.along.length + i] / top);
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
    const unit = map.unit === 'uT' ? 'µT' : map.unit;
    g.fillText(`${rounded(top)} ${unit}`, bx + 18, PLOT.top + 10);
    g.fillText(`0 ${unit}`, bx + 18, PLOT.top + bh);
    g.fillText(`${map.quantity} at 1 m`, bx + 18, PLOT.top + bh / 2);
  }
}
