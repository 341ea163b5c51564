// The ion flow panel: under a line's DC poles in corona, the total field at
// the ground beside the nominal one and the ion current density, across
// the profiles' range, with Peek's roughness as a field. Redrawn at the next
// frame after every change of the line; hidden for a line without DC poles.

const POINTS = 121;
const WIDTH = 900;
const HEIGHT = 180;
const PLOT = { left: 70, top: 14, right: 40, bottom: 34 };

function rounded(v) {
  return Math.abs(v) >= 100 ? v.toFixed(0) : Math.abs(v) >= 10 ? v.toFixed(1) : v.toFixed(2);
}

export class IonFlowPanel {
  // root: the panel's element; engine: the Engine; report(message) shows a refusal.
  constructor(root, engine, report) {
    this.root = root;
    this.engine = engine;
    this.report = report;
    this.frame = 0;
    this.range = null;
    root.hidden = true;
    root.innerHTML = `
      <div class="panel-head">
        <h2 id="ionflow-heading">Ion flow under the DC poles</h2>
        <p class="hint">The DC poles in corona fill the air with ions: the field at the ground with their space charge
          (total) beside the conductors' field alone (nominal), and the ion current into the ground.
          Flux tracing under Deutsch's assumption; see the manual's ion flow page.</p>
      </div>
      <div class="ionflow-controls">
        <label>Roughness m <input id="ionflow-roughness" type="number" min="0.05" max="1" step="0.05" value="0.45"></label>
      </div>
      <canvas id="ionflow-e" class="ionflow-chart" width="${WIDTH}" height="${HEIGHT}"
              aria-label="Nominal and total electric field at the ground across the right-of-way"></canvas>
      <canvas id="ionflow-j" class="ionflow-chart" width="${WIDTH}" height="${HEIGHT}"
              aria-label="Ion current density at the ground across the right-of-way"></canvas>
      <p id="ionflow-note" class="hint" aria-live="polite"></p>`;
    this.$ = (id) => root.querySelector(`#${id}`);
    this.$('ionflow-roughness').addEventListener('change', () => this.schedule());
  }

  // The limits on E-TOTAL and J to draw ({ e_total: [...], j: [...] }, as
  // limitMarks in limits.js gives them): the charts drawn again, the flow not
  // computed again.
  setLimits(marks) {
    const key = JSON.stringify(marks);
    if (key === this.marksKey) return;
    this.marksKey = key;
    this.marks = marks;
    if (this.flow && !this.root.hidden) this.#charts(this.flow);
  }

  // A new or edited line, or new edges (file units).
  setSection(section, left, right) {
    this.range = [left, right];
    this.section = section;
    this.schedule();
  }

  schedule() {
    if (this.frame || !this.section) return;
    this.frame = requestAnimationFrame(() => {
      this.frame = 0;
      this.draw();
    });
  }

  draw() {
    const roughness = Number(this.$('ionflow-roughness').value);
    const started = performance.now();
    let flow;
    try {
      flow = this.engine.ionFlow(roughness, this.range[0], this.range[1], POINTS);
    } catch (error) {
      this.report(error.message);
      return;
    }
    this.time = performance.now() - started;
    this.root.hidden = !flow.dc;
    this.flow = flow;
    if (!flow.dc) return;
    this.#charts(flow);
    const poles = flow.poles.map((p) => `${p.name.trim()} ${rounded(p.kv)} kV: onset ${rounded(p.onset_voltage)} kV` +
      (p.corona ? `, current ${p.current.toFixed(3)} mA/km` : ', below onset: no ions')).join('; ');
    const said = flow.notes.concat(flow.warnings).map((n) => `${n[0].toUpperCase()}${n.slice(1)}. `).join('');
    this.$('ionflow-note').textContent = `${poles}. ${said}${this.time.toFixed(0)} ms`;
  }

  #charts(flow) {
    const u = flow.length_unit;
    this.chart(this.$('ionflow-e'), flow.x, [[flow.e_nominal, '#1f5fa8', 'nominal'], [flow.e_total, '#d9730d', 'total']],
      'E at the ground, kV/m', u, this.marks?.e_total);
    this.chart(this.$('ionflow-j'), flow.x, [[flow.j, '#d9730d', 'J']], 'J at the ground, nA/m² (positive ions +)', u, this.marks?.j);
  }

  // marks: limits on the magnitude, drawn at +limit and, where the values
  // run below zero, at -limit too (dashed; red when failing).
  chart(canvas, xs, series, label, unit, marks = []) {
    const g = canvas.getContext('2d');
    const w = WIDTH - PLOT.left - PLOT.right;
    const h = HEIGHT - PLOT.top - PLOT.bottom;
    g.clearRect(0, 0, WIDTH, HEIGHT);
    let lo = 0, hi = 0;
    for (const [values] of series) for (const v of values) if (Number.isFinite(v)) { lo = Math.min(lo, v); hi = Math.max(hi, v); }
    if (hi === lo) hi = lo + 1;
    const levels = marks.flatMap((mark) => (lo < 0 ? [mark.limit, -mark.limit] : [mark.limit]).map((v) => [v, mark]));
    for (const [v] of levels) { hi = Math.max(hi, v); lo = Math.min(lo, v); }
    const x0 = xs[0], x1 = xs[xs.length - 1];
    const px = (x) => PLOT.left + ((x - x0) / (x1 - x0 || 1)) * w;
    const py = (v) => PLOT.top + ((hi - v) / (hi - lo)) * h;
    g.strokeStyle = '#98a2b3';
    g.strokeRect(PLOT.left, PLOT.top, w, h);
    if (lo < 0) {
      g.beginPath();
      g.moveTo(PLOT.left, py(0));
      g.lineTo(PLOT.left + w, py(0));
      g.stroke();
    }
    g.lineWidth = 2;
    for (const [values, colour] of series) {
      g.strokeStyle = colour;
      g.beginPath();
      values.forEach((v, i) => (i ? g.lineTo(px(xs[i]), py(v)) : g.moveTo(px(xs[i]), py(v))));
      g.stroke();
    }
    g.lineWidth = 1.5;
    g.font = '11px system-ui, sans-serif';
    g.textAlign = 'left';
    g.setLineDash([6, 3]);
    for (const [v, mark] of levels) {
      const colour = mark.result === 'FAIL' ? '#b42318' : '#1d6b34';
      g.strokeStyle = colour;
      g.beginPath();
      g.moveTo(PLOT.left, py(v));
      g.lineTo(PLOT.left + w, py(v));
      g.stroke();
      g.fillStyle = colour;
      g.fillText(v < 0 ? `−${mark.limit}: the same limit on the magnitude` : mark.label, PLOT.left + w * 0.55, py(v) + (v < 0 ? 13 : -4));
    }
    g.setLineDash([]);
    g.lineWidth = 1;
    g.fillStyle = '#344054';
    g.font = '12px system-ui, sans-serif';
    g.textAlign = 'right';
    for (const v of [lo, hi]) g.fillText(rounded(v), PLOT.left - 6, py(v) + 4);
    g.textAlign = 'center';
    for (const x of [x0, (x0 + x1) / 2, x1]) g.fillText(`${rounded(x)} ${unit}`, px(x), PLOT.top + h + 16);
    g.textAlign = 'left';
    g.fillText(label, PLOT.left + 6, PLOT.top + 12);
    let at = PLOT.left + w - 150;
    for (const [, colour, name] of series) {
      g.fillStyle = colour;
      g.fillRect(at, PLOT.top + 6, 14, 3);
      g.fillStyle = '#344054';
      g.fillText(name, at + 18, PLOT.top + 12);
      at += 70;
    }
  }
}
