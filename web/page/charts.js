// The profiles across the right-of-way: one chart per quantity, the values
// at the two edges printed above it. The engine gives B in gauss and each
// field both as its ellipse maximum and as its resultant; what is shown is
// chosen on the page (see shownProfiles).

import { svgElement, ticks, tickText } from './draw.js';

// B in the unit a person reads: µT for a line in metric units, mG for one
// in English units, or gauss, as chosen.
export const B_UNITS = { uT: { label: 'µT', perGauss: 100 }, mG: { label: 'mG', perGauss: 1000 }, G: { label: 'G', perGauss: 1 } };
export const defaultBUnit = (section) => (section.english ? 'mG' : 'uT');

// A field as the ellipse maximum (the default) or the resultant, the root
// of the sum of its squared rms components (what a three-axis meter reads).
export const FIELD_MEASURES = { max: 'ellipse maximum', res: 'resultant' };

export const QUANTITIES = [
  { key: 'e', title: 'Electric field', unit: 'kV/m', series: [['e', 'one']], fromZero: true, measured: true },
  { key: 'b', title: 'Magnetic field', unit: 'G', series: [['b', 'one']], fromZero: true, measured: true },
  { key: 'an', title: 'Audible noise L50', unit: 'dB(A)', series: [['an_rain', 'rain'], ['an_fair', 'fair']] },
  { key: 'ri', title: 'Radio interference L50', unit: 'dB above 1 µV/m', axisUnit: 'dB µV/m', series: [['ri_rain', 'rain'], ['ri_fair', 'fair']] },
  { key: 'ozone', title: 'Ozone', unit: 'ppb', series: [['ozone', 'one']], fromZero: true },
];

// A hybrid line's fields apart: each field's chart draws the AC phases'
// field and the DC poles' static one, never their phasor sum.
const FIELD_PARTS = { ac: 'AC phases', dc: 'DC poles (static)' };
export function seriesOf(q, profiles) {
  return profiles.hybrid && q.measured ? [[`${q.key}_ac`, 'ac'], [`${q.key}_dc`, 'dc']] : q.series;
}

// The rows of the edge table: one per series.
export const EDGE_ROWS = [
  { key: 'e', label: 'Electric field', unit: 'kV/m' },
  { key: 'b', label: 'Magnetic field', unit: 'G' },
  { key: 'an_rain', label: 'Noise, rain', unit: 'dB(A)' },
  { key: 'an_fair', label: 'Noise, fair', unit: 'dB(A)' },
  { key: 'ri_rain', label: 'Radio, rain', unit: 'dB µV/m' },
  { key: 'ri_fair', label: 'Radio, fair', unit: 'dB µV/m' },
  { key: 'ozone', label: 'Ozone', unit: 'ppb' },
];

// The edge table's rows for the profiles: a hybrid line's fields in parts.
export function edgeRows(profiles) {
  if (!profiles.hybrid) return EDGE_ROWS;
  return EDGE_ROWS.flatMap((row) => (row.key === 'e' || row.key === 'b'
    ? Object.entries(FIELD_PARTS).map(([part, words]) => ({ ...row, key: `${row.key}_${part}`, field: row.key, label: `${row.label}, ${words}` }))
    : [row]));
}

// The choices of the page: B's unit and each field's measure.
export const defaultView = (section) => ({ bUnit: defaultBUnit(section), measure: { e: 'max', b: 'max' } });

// The profiles as shown: under `e` and `b` the chosen measure of each
// field, B in the chosen unit; everything else as the engine gave it.
export function shownProfiles(profiles, view) {
  const perGauss = B_UNITS[view.bUnit].perGauss;
  const inB = (values) => values.map((v) => (v === null ? null : v * perGauss));
  if (profiles.hybrid) {
    // The measure is the AC field's: a static field's resultant is its magnitude.
    const pick = (key) => profiles[view.measure[key] === 'res' ? `${key}_ac_res` : `${key}_ac`];
    return { ...profiles, e_ac: pick('e'), b_ac: inB(pick('b')), b_dc: inB(profiles.b_dc) };
  }
  const pick = (key) => profiles[view.measure[key] === 'res' ? `${key}_res` : key];
  return { ...profiles, e: pick('e'), b: inB(pick('b')) };
}

// The unit and the words of a quantity (or an edge row) under the view.
export function unitOf(key, view) {
  key = key.replace(/_(ac|dc)$/, '');
  if (key === 'b') return B_UNITS[view.bUnit].label;
  return (QUANTITIES.find((q) => q.key === key) ?? EDGE_ROWS.find((r) => r.key === key)).unit;
}
export function titleOf(q, view) {
  return q.measured ? `${q.title}, ${FIELD_MEASURES[view.measure[q.key]]}` : q.title;
}

// The quantity (chart and notes key) of a series.
export function quantityOf(key) {
  const base = key.replace(/_(ac|dc)$/, '');
  return QUANTITIES.find((q) => q.series.some(([k]) => k === base)).key;
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

const SERIES_WORDS = { rain: 'rain', fair: 'fair weather', one: '', ...FIELD_PARTS };

// What a chart drawn with gaps leaves out: each series with values not
// computed, said with how many of the points; '' when every value is there.
export function missingNote(q, profiles) {
  const n = profiles.x.length;
  return seriesOf(q, profiles).map(([key, style]) => {
    const missing = profiles[key].filter((v) => v === null || !Number.isFinite(v)).length;
    if (!missing) return '';
    const what = SERIES_WORDS[style] ? `${SERIES_WORDS[style]}: ` : '';
    return missing === n ? `${what}not computed, not drawn` : `${what}not computed at ${missing} of ${n} points, left out of the curve`;
  }).filter(Boolean).join('; ');
}

const PAD = { left: 40, right: 10, top: 18, bottom: 22 };

// A limit up to this many times the curves' span above their low end is
// drawn to scale.
const LIMIT_REACH = 2.5;

// The limits on a chart whose range runs from the left edge to the right:
// an edge limit as a mark at each edge, a limit within the right-of-way or
// anywhere as a line across (dashed, dotted), each labelled with its value
// and unit and coloured by its result; the deciding value as a ring where a
// curve shows it.
function drawLimits(layer, marks, frame) {
  layer.replaceChildren();
  const { px, py, x0, x1, high, left, right, top } = frame;
  const tick = Math.min(24, (right - left) / 6);
  const labels = [];  // the label lines taken, top down
  marks.forEach((mark) => {
    const above = mark.limit > high * (1 + 1e-9);
    const y = above ? top : py(mark.limit);
    const group = svgElement('g', { class: `limit ${mark.where} ${mark.result.toLowerCase()}${above ? ' above' : ''}`, 'data-limit': mark.where }, layer);
    if (mark.where === 'edge') {
      svgElement('line', { x1: left, x2: left + tick, y1: y, y2: y }, group);
      svgElement('line', { x1: right - tick, x2: right, y1: y, y2: y }, group);
    } else {
      svgElement('line', { x1: left, x2: right, y1: y, y2: y }, group);
    }
    // Its label just over the line, inside the plot, clear of the others.
    let labelY = Math.max(y - 3, top + 9);
    while (labels.some((taken) => Math.abs(taken - labelY) < 11)) labelY += 11;
    labels.push(labelY);
    const text = above ? `${mark.label} (above the chart)` : mark.label;
    svgElement('text', { x: mark.where === 'edge' ? left + tick + 3 : left + 3, y: labelY }, group, text);
    if (mark.onCurve && mark.value !== null && mark.x >= x0 && mark.x <= x1 && !above) {
      svgElement('circle', { class: 'decides', cx: px(mark.x), cy: py(mark.value), r: 4.5 }, group);
    }
  });
}

export class Charts {
  // handlers: measure(key, 'max' | 'res'), bUnit(unit)
  constructor(container, handlers) {
    this.container = container;
    this.charts = QUANTITIES.map((q) => {
      const box = document.createElement('figure');
      box.className = 'chart';
      box.style.margin = '0';
      box.dataset.quantity = q.key;
      const head = document.createElement('div');
      head.className = 'chart-head';
      const title = document.createElement('h3');
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
      // Said under the chart when some values are left out of it.
      const gaps = document.createElement('p');
      gaps.className = 'chart-gaps';
      gaps.hidden = true;
      box.append(head, svg, note, gaps);
      const controls = document.createElement('div');
      controls.className = 'chart-controls';
      const choice = (name, label, options, change, words = '') => {
        const select = document.createElement('select');
        select.name = name;
        select.setAttribute('aria-label', label);
        for (const [value, text] of options) select.add(new Option(text, value));
        select.addEventListener('change', () => change(select.value));
        if (words) {
          const named = document.createElement('label');
          named.className = 'choice';
          named.append(`${words} `, select);
          controls.append(named);
        } else {
          controls.append(select);
        }
        return select;
      };
      const selects = {};
      if (q.measured) {
        selects.measure = choice(`${q.key}-measure`, `${q.title}: ellipse maximum or resultant`,
          Object.entries(FIELD_MEASURES), (value) => handlers.measure(q.key, value));
      }
      if (q.key === 'b') {
        selects.unit = choice('b-unit', 'Unit of the magnetic field',
          Object.entries(B_UNITS).map(([value, u]) => [value, u.label]), (value) => handlers.bUnit(value), 'unit');
      }
      if (q.series.length > 1) {
        const legend = document.createElement('div');
        legend.className = 'legend';
        legend.innerHTML = '<span class="rain"><i></i>rain</span><span class="fair"><i></i>fair weather</span>';
        controls.append(legend);
      }
      // Shown for a hybrid line only: its two fields, drawn apart.
      let parts = null;
      if (q.measured) {
        parts = document.createElement('div');
        parts.className = 'legend parts';
        parts.hidden = true;
        parts.innerHTML = Object.entries(FIELD_PARTS).map(([k, words]) => `<span class="${k}"><i></i>${words}</span>`).join('');
        controls.append(parts);
      }
      if (controls.children.length) box.append(controls);
      container.append(box);
      return { q, box, title, edges, svg, note, gaps, selects, parts };
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

  // `profiles` as shown (shownProfiles), `view` the choices they were made
  // with; `marks`: each chart's limits (limitMarks in limits.js), by its key.
  render(profiles, section, view, marks = {}) {
    this.last = [profiles, section, view, marks];
    const n = profiles.x.length;
    for (const chart of this.charts) {
      if (!chart.width) Object.assign(chart, { width: chart.svg.clientWidth, height: chart.svg.clientHeight });
    }
    for (const chart of this.charts) {
      const { q, title, edges, svg, note, gaps, selects, parts } = chart;
      const series = seriesOf(q, profiles);
      if (parts && parts.hidden !== !profiles.hybrid) parts.hidden = !profiles.hybrid;
      const unit = unitOf(q.key, view);
      const heading = `${titleOf(q, view)} <span class="muted">${unit}</span>`;
      if (title.innerHTML !== heading) title.innerHTML = heading;
      if (selects.measure && selects.measure.value !== view.measure[q.key]) selects.measure.value = view.measure[q.key];
      if (selects.unit && selects.unit.value !== view.bUnit) selects.unit.value = view.bUnit;
      const side = (i) => series.map(([key]) => formatValue(key, profiles[key][i])).join(' / ');
      const left = side(0);
      const right = side(n - 1);
      const short = q.axisUnit ?? unit;  // the unit where room is short
      const text = `left <b data-edge-value="${q.key}-left">${left}</b> · right <b data-edge-value="${q.key}-right">${right}</b> ${short}`;
      if (edges.innerHTML !== text) edges.innerHTML = text;
      // Nothing computed: the reason instead of an empty axis.
      const reason = profiles.notes?.[q.key] ??
        (series.every(([key]) => profiles[key].every((v) => v === null)) ? 'not computed at any point of the range' : null);
      if (note.textContent !== (reason ?? '')) note.textContent = reason ?? '';
      if (note.hidden !== !reason) note.hidden = !reason;
      if (svg.style.display !== (reason ? 'none' : '')) svg.style.display = reason ? 'none' : '';
      const missing = reason ? '' : missingNote(q, profiles);
      if (gaps.textContent !== missing) gaps.textContent = missing;
      if (gaps.hidden !== !missing) gaps.hidden = !missing;
      if (!reason) this.#plot(chart, profiles, section, short, marks[q.key] ?? []);
      else {  // no curve of an earlier state left behind
        chart.layers?.series.replaceChildren();
        chart.layers?.limits.replaceChildren();
      }
    }
  }

  // Four layers, each drawn again only when what it shows changed: the
  // axes with their ticks, the conductor positions, the series, the limits.
  #plot(chart, profiles, section, unit, marks) {
    const { svg, q } = chart;
    const width = Math.max(chart.width, 200);
    const height = Math.max(chart.height, 120);
    if (!chart.layers) {
      svg.replaceChildren();
      chart.layers = {
        axes: svgElement('g', {}, svg), conductors: svgElement('g', {}, svg), series: svgElement('g', {}, svg),
        limits: svgElement('g', { class: 'limits' }, svg),
      };
    }
    svg.setAttribute('viewBox', `0 0 ${width} ${height}`);
    const xs = profiles.x;
    const x0 = xs[0];
    const x1 = xs[xs.length - 1];
    let low = Infinity;
    let high = -Infinity;
    const drawn = seriesOf(q, profiles);
    for (const [key] of drawn) {
      for (const v of profiles[key]) {
        if (v === null) continue;
        low = Math.min(low, v);
        high = Math.max(high, v);
      }
    }
    if (!Number.isFinite(low)) { low = 0; high = 1; }
    if (q.fromZero) low = Math.min(0, low);
    // A limit near the curves is taken into the range; one far above them
    // would flatten them, and stands at the top, said to be above the chart.
    const reach = high + (high - low) * (LIMIT_REACH - 1);
    for (const mark of marks) {
      if (mark.limit <= reach) high = Math.max(high, mark.limit);
      low = Math.min(low, mark.limit);
    }
    if (high - low < 1e-9) { high += 1; low -= q.fromZero ? 0 : 1; }
    const yt = ticks(low, high, 4);
    low = Math.min(low, yt.values[0] ?? low);
    high = yt.values.length ? Math.max(high, yt.values[yt.values.length - 1]) : high;
    const plotW = width - PAD.left - PAD.right;
    const plotH = height - PAD.top - PAD.bottom;
    const px = (x) => PAD.left + ((x - x0) / (x1 - x0)) * plotW;
    const py = (y) => PAD.top + (1 - (y - low) / (high - low)) * plotH;

    const axes = chart.layers.axes;
    const axesKey = JSON.stringify([width, height, x0, x1, low, high, unit, section.units.length]);
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
      // The units of both axes: the value's above its ticks, the distance's under them.
      svgElement('text', { class: 'tick unit', x: 2, y: 10 }, axes, unit);
      svgElement('text', { class: 'tick unit', x: 2, y: height - 6 }, axes, section.units.length);
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
    for (const [key, style] of drawn) {
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
    drawLimits(chart.layers.limits, marks, { px, py, x0, x1, high, left: PAD.left, right: width - PAD.right, top: PAD.top });
  }
}
