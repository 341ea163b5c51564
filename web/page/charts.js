// The profiles across the right-of-way: one chart per quantity, the values
// at the two edges printed above it.

import { svgElement, ticks, tickText } from './draw.js';

export const QUANTITIES = [
  { key: 'e', title: 'Electric field', unit: 'kV/m', series: [['e', 'one']], fromZero: true },
  { key: 'b', title: 'Magnetic field', unit: 'G', series: [['b', 'one']], fromZero: true },
  { key: 'an', title: 'Audible noise L50', unit: 'dB(A)', series: [['an_rain', 'rain'], ['an_fair', 'fair']] },
  { key: 'ri', title: 'Radio interference L50', unit: 'dB above 1 µV/m', series: [['ri_rain', 'rain'], ['ri_fair', 'fair']] },
  { key: 'ozone', title: 'Ozone', unit: 'ppb', series: [['ozone', 'one']], fromZero: true },
];

// The rows of the edge table: one per series.
export const EDGE_ROWS = [
  { key: 'e', label: 'Electric field', unit: 'kV/m' },
  { key: 'b', label: 'Magnetic field', unit: 'G' },
  { key: 'an_rain', label: 'Noise, rain', unit: 'dB(A)' },
  { key: 'an_fair', label: 'Noise, fair', unit: 'dB(A)' },
  { key: 'ri_rain', label: 'Radio, rain', unit: 'dB' },
  { key: 'ri_fair', label: 'Radio, fair', unit: 'dB' },
  { key: 'ozone', label: 'Ozone', unit: 'ppb' },
];

// The quantity (chart and notes key) of a series.
export function quantityOf(key) {
  return QUANTITIES.find((q) => q.series.some(([k]) => k === key)).key;
}

// A value not computed (null from the engine) reads "n/a", never a number.
export const NOT_COMPUTED = 'n/a';

export function formatValue(key, value) {
  if (value === null || value === undefined || !Number.isFinite(value)) return NOT_COMPUTED;
  if (key.startsWith('an') || key.startsWith('ri')) return value.toFixed(1);
  if (value === 0) return '0';
  const digits = Math.abs(value) >= 100 ? 4 : 3;
  return Number.parseFloat(value.toPrecision(digits)).toString();
}

const PAD = { left: 40, right: 10, top: 10, bottom: 22 };

export class Charts {
  constructor(container) {
    this.container = container;
    this.charts = QUANTITIES.map((q) => {
      const box = document.createElement('figure');
      box.className = 'chart';
      box.style.margin = '0';
      box.dataset.quantity = q.key;
      const head = document.createElement('div');
      head.className = 'chart-head';
      const title = document.createElement('h3');
      title.innerHTML = `${q.title} <span class="muted">${q.unit}</span>`;
      const edges = document.createElement('div');
      edges.className = 'chart-edges';
      head.append(title, edges);
      const svg = document.createElementNS('http://www.w3.org/2000/svg', 'svg');
      svg.setAttribute('role', 'img');
      svg.setAttribute('aria-label', `${q.title} across the right-of-way`);
      // Said instead of the chart when the quantity is not computed at all.
      const note = document.createElement('p');
      note.className = 'chart-note';
      note.hidden = true;
      box.append(head, svg, note);
      if (q.series.length > 1) {
        const legend = document.createElement('div');
        legend.className = 'legend';
        legend.innerHTML = '<span class="rain"><i></i>rain</span><span class="fair"><i></i>fair weather</span>';
        box.append(legend);
      }
      container.append(box);
      return { q, box, edges, svg, note };
    });
    // Sizes kept from the observer, never read while drawing (see view.js).
    const observer = new ResizeObserver((entries) => {
      let changed = false;
      for (const entry of entries) {
        const chart = this.charts.find((c) => c.svg === entry.target);
        const width = Math.round(entry.contentRect.width);
        const height = Math.round(entry.contentRect.height);
        if (chart && (chart.width !== width || chart.height !== height)) {
          Object.assign(chart, { width, height });
          changed = true;
        }
      }
      if (changed && this.last) this.render(...this.last);
    });
    for (const chart of this.charts) observer.observe(chart.svg);
  }

  render(profiles, section) {
    this.last = [profiles, section];
    const n = profiles.x.length;
    for (const chart of this.charts) {
      if (!chart.width) Object.assign(chart, { width: chart.svg.clientWidth, height: chart.svg.clientHeight });
    }
    for (const chart of this.charts) {
      const { q, edges, svg, note } = chart;
      const left = q.series.map(([key]) => formatValue(key, profiles[key][0])).join(' / ');
      const right = q.series.map(([key]) => formatValue(key, profiles[key][n - 1])).join(' / ');
      const text = `left <b data-edge-value="${q.key}-left">${left}</b> · right <b data-edge-value="${q.key}-right">${right}</b>`;
      if (edges.innerHTML !== text) edges.innerHTML = text;
      // Nothing computed: the reason instead of an empty axis.
      const reason = profiles.notes?.[q.key] ??
        (q.series.every(([key]) => profiles[key].every((v) => v === null)) ? 'not computed at any point of the range' : null);
      if (note.textContent !== (reason ?? '')) note.textContent = reason ?? '';
      if (note.hidden !== !reason) note.hidden = !reason;
      if (svg.style.display !== (reason ? 'none' : '')) svg.style.display = reason ? 'none' : '';
      if (!reason) this.#plot(chart, profiles, section);
    }
  }

  // Three layers, each drawn again only when what it shows changed: the
  // axes with their ticks, the conductor positions, the series.
  #plot(chart, profiles, section) {
    const { svg, q } = chart;
    const width = Math.max(chart.width, 200);
    const height = Math.max(chart.height, 120);
    if (!chart.layers) {
      svg.replaceChildren();
      chart.layers = {
        axes: svgElement('g', {}, svg), conductors: svgElement('g', {}, svg), series: svgElement('g', {}, svg),
      };
    }
    svg.setAttribute('viewBox', `0 0 ${width} ${height}`);
    const xs = profiles.x;
    const x0 = xs[0];
    const x1 = xs[xs.length - 1];
    let low = Infinity;
    let high = -Infinity;
    for (const [key] of q.series) {
      for (const v of profiles[key]) {
        if (v === null) continue;
        low = Math.min(low, v);
        high = Math.max(high, v);
      }
    }
    if (!Number.isFinite(low)) { low = 0; high = 1; }
    if (q.fromZero) low = Math.min(0, low);
    if (high - low < 1e-9) { high += 1; low -= q.fromZero ? 0 : 1; }
    const yt = ticks(low, high, 4);
    low = Math.min(low, yt.values[0] ?? low);
    high = yt.values.length ? Math.max(high, yt.values[yt.values.length - 1]) : high;
    const plotW = width - PAD.left - PAD.right;
    const plotH = height - PAD.top - PAD.bottom;
    const px = (x) => PAD.left + ((x - x0) / (x1 - x0)) * plotW;
    const py = (y) => PAD.top + (1 - (y - low) / (high - low)) * plotH;

    const axes = chart.layers.axes;
    const axesKey = JSON.stringify([width, height, x0, x1, low, high]);
    if (axes.dataset.drawn !== axesKey) {
      axes.dataset.drawn = axesKey;
      axes.replaceChildren();
      for (const v of yt.values) {
        svgElement('line', { class: 'grid', x1: PAD.left, x2: width - PAD.right, y1: py(v), y2: py(v) }, axes);
        svgElement('text', { class: 'tick', x: PAD.left - 5, y: py(v) + 3, 'text-anchor': 'end' }, axes, tickText(v, yt.step));
      }
      const xt = ticks(x0, x1, Math.max(3, Math.floor(plotW / 70)));
      for (const v of xt.values) {
        svgElement('text', { class: 'tick', x: px(v), y: height - 6, 'text-anchor': 'middle' }, axes, tickText(v, xt.step));
      }
      svgElement('line', { class: 'axis', x1: PAD.left, x2: width - PAD.right, y1: PAD.top + plotH, y2: PAD.top + plotH }, axes);
    }

    const conductors = chart.layers.conductors;
    const inside = section.groups.map((g) => g.x).filter((x) => x > x0 && x < x1);
    const conductorsKey = JSON.stringify([width, height, x0, x1, inside]);
    if (conductors.dataset.drawn !== conductorsKey) {
      conductors.dataset.drawn = conductorsKey;
      conductors.replaceChildren();
      for (const x of inside) svgElement('line', { class: 'conductor', x1: px(x), x2: px(x), y1: PAD.top, y2: PAD.top + plotH }, conductors);
    }

    const series = chart.layers.series;
    series.replaceChildren();
    for (const [key, style] of q.series) {
      let d = '';
      let pen = false;
      profiles[key].forEach((v, i) => {
        if (v === null) { pen = false; return; }
        d += `${pen ? 'L' : 'M'}${px(xs[i]).toFixed(1)},${py(v).toFixed(1)}`;
        pen = true;
      });
      svgElement('path', { class: `series ${style}`, d }, series);
      for (const i of [0, xs.length - 1]) {
        if (profiles[key][i] !== null) svgElement('circle', { class: 'edge-dot', cx: px(xs[i]), cy: py(profiles[key][i]), r: 3 }, series);
      }
    }
  }
}
