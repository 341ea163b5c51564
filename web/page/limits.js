// Limits on the page: a limit set (shipped, or a TOML file of the user's)
// and the line's frequency chosen; each limit judged by the engine between
// the page's edges (the value that decides it, where, the margin, PASS,
// FAIL or n/a), shown in a table and as marks on the charts. Nothing is
// judged here: the rows are the engine's, as tesk31-study comply gives them.

import { formatValue, NOT_COMPUTED } from './charts.js';
import { plain } from './draw.js';

// A check costing more than this (ms: the cheapest of the last few, so that
// one slow check, the first or one a collection held up, does not decide)
// is made during a drag in the checker's Web Worker, as is every check of
// a set limiting the DC ion flow (a solve of the flow: a tenth of a second
// or more): the drag frames keep to their profiles' time. Measured again
// each time, a line that turns out cheap is judged in the page again.
export const DRAG_BUDGET = 6;

// The chart each limited quantity is drawn on (TV has none).
const CHART_OF = {
  E: 'e', 'E-RES': 'e', 'E-AC': 'e', 'E-AC-RES': 'e', 'E-DC': 'e',
  B: 'b', 'B-RES': 'b', 'B-AC': 'b', 'B-AC-RES': 'b', 'B-DC': 'b',
  AN: 'an', 'AN-FAIR': 'an', RI: 'ri', 'RI-FAIR': 'ri', OZ: 'ozone',
  'E-TOTAL': 'e_total', J: 'j',  // the ion flow panel's
};
export const chartOf = (quantity) => CHART_OF[quantity] ?? null;

// The units as the page writes them.
const UNIT_WORDS = { uT: 'µT', 'dB(uV/m)': 'dB µV/m' };
export const unitText = (unit) => UNIT_WORDS[unit] ?? unit;

const WHERE_WORDS = { edge: 'at the edges', row: 'within the right-of-way', anywhere: 'anywhere' };
export const whereText = (where) => WHERE_WORDS[where] ?? where;

// The quantities a chart draws as its curves under the view (those a
// deciding point may be marked on).
export function drawnQuantities(chart, profiles, view) {
  const res = view.measure[chart] === 'res';
  if (chart === 'e' || chart === 'b') {
    const name = chart.toUpperCase();
    if (profiles.hybrid) return [`${name}-AC${res ? '-RES' : ''}`, `${name}-DC`];
    return [res ? `${name}-RES` : name];
  }
  return { an: ['AN', 'AN-FAIR'], ri: ['RI', 'RI-FAIR'], ozone: ['OZ'] }[chart] ?? [];
}

// What a chart draws of the compliance: each limit that applies to the
// line on the chart of its quantity, its label with its value and unit;
// its deciding point marked where a curve of the chart shows the quantity
// judged.
export function limitMarks(compliance, chart, profiles, view) {
  if (!compliance) return [];
  const drawn = drawnQuantities(chart, profiles, view);
  return compliance.rows
    .filter((row) => row.result !== 'N/A' && chartOf(row.quantity) === chart)
    .map((row) => ({
      where: row.where,
      limit: row.limit,
      result: row.result,
      evaluated: row.evaluated,
      x: row.x,
      value: row.value,
      onCurve: drawn.includes(row.evaluated),
      label: `${row.quantity} ${plain(row.limit)} ${unitText(row.unit)} ${whereText(row.where)}: ${row.result}`,
    }));
}

// Where the deciding value stands: "at the right edge, 30 m", "within, at 14.2 m".
function atText(row, length) {
  const x = `${plain(Math.round(row.x * 100) / 100)} ${length}`;
  if (row.at.endsWith('edge') && !row.at.startsWith('beyond')) return `at the ${row.at}, ${x}`;
  if (row.at === 'both edges') return `at both edges`;
  return `${row.at}, at ${x}`;
}

const margin = (m) => (m === null ? NOT_COMPUTED : m.toFixed(3));
const valueText = (row) => (row.value === null ? NOT_COMPUTED : `${formatValue(row.quantity.toLowerCase(), row.value)} ${unitText(row.unit)}`);

export class LimitsPanel {
  // root: the panel's element; engine: the Engine;
  // handlers: changed() (the set or frequency chosen: the page redraws),
  // checked() (a check of the worker came back: the charts redraw),
  // report(message); timings: where the time of every check (ms) is kept,
  // for the browser tests; makeChecker(done): a SpanSolver running
  // limits-worker.js, or null (every check is then made in the page).
  constructor(root, engine, handlers, timings = [], makeChecker = () => null) {
    this.root = root;
    this.timings = timings;
    this.checker = makeChecker((request, answer) => this.#checked(request, answer));
    this.engine = engine;
    this.handlers = handlers;
    this.compliance = null;
    this.key = null;
    this.costs = [];  // of the last few checks, ms
    this.source = null;  // the set as the worker chooses it: { name } or { text, name }
    this.ionFlow = false;  // the set limits the DC ion flow
    this.stale = false;
    root.innerHTML = `
      <div class="limits-head">
        <h3 id="limits-heading">Limits</h3>
        <label class="field-inline">set <select id="limit-set" aria-label="Limit set"><option value="">none</option></select></label>
        <button id="limit-open" type="button" class="secondary">Open limit file…</button>
        <input id="limit-file" type="file" accept=".toml,text/plain" hidden>
        <label class="field-inline">frequency <select id="limit-frequency" aria-label="The line's frequency">
          <option value="60">60 Hz</option><option value="50">50 Hz</option></select></label>
      </div>
      <p id="limit-title" class="hint" hidden></p>
      <table id="compliance-table" class="edge-table compliance-table" hidden>
        <thead><tr><th scope="col">Limit</th><th scope="col">Deciding value</th><th scope="col">Margin</th><th scope="col">Result</th></tr></thead>
        <tbody></tbody>
      </table>
      <p id="limit-note" class="hint" aria-live="polite" hidden></p>`;
    this.$ = (id) => root.querySelector(`#${id}`);
    for (const set of engine.limitSets()) this.$('limit-set').add(new Option(set.name, set.name));
    this.chosen = '';
    this.$('limit-set').addEventListener('change', () => this.#choose(this.$('limit-set').value));
    this.$('limit-open').addEventListener('click', () => this.$('limit-file').click());
    this.$('limit-file').addEventListener('change', async () => {
      const file = this.$('limit-file').files[0];
      this.$('limit-file').value = '';
      if (file) this.#read(await file.text(), file.name);
    });
    this.$('limit-frequency').addEventListener('change', () => this.handlers.changed());
  }

  get frequency() {
    return Number(this.$('limit-frequency').value);
  }

  // A shipped set by its name ('' for none).
  #choose(name) {
    try {
      this.#chosen(this.engine.chooseLimits(name), name, { name });
    } catch (error) {
      this.handlers.report(error.message);
      this.$('limit-set').value = this.chosen;
    }
  }

  // A set of the user's from its text: a set refused leaves the one chosen before.
  #read(text, name) {
    try {
      const set = this.engine.readLimits(text, name);
      const select = this.$('limit-set');
      select.querySelector('option[data-file]')?.remove();
      const option = new Option(`${name} (file)`, `file:${name}`);
      option.dataset.file = '';
      select.add(option);
      this.#chosen(set, option.value, { text, name });
    } catch (error) {
      this.handlers.report(error.message);
    }
  }

  #chosen(set, value, source) {
    this.chosen = value;
    this.source = source;
    this.ionFlow = Boolean(set.ion_flow);
    this.$('limit-set').value = value;
    const title = set.name === null ? '' : `${set.title || set.name}${set.source ? ` · ${set.source}` : ''}`;
    this.$('limit-title').textContent = title;
    this.$('limit-title').hidden = !title;
    this.key = null;
    this.costs = [];
    this.handlers.changed();
  }

  // The compliance of the engine's section between the edges (file units),
  // B in `bUnit`, judged again when any of them changed: in the page, or in
  // the checker's worker when it costs more than a frame (see DRAG_BUDGET),
  // the rows shown until it comes back saying so. Returns what the charts draw.
  update(section, left, right, bUnit, { dragging = false } = {}) {
    const key = [section, left, right, bUnit, this.frequency, this.chosen];
    if (this.key && key.every((v, i) => v === this.key[i])) return this.compliance;
    this.key = key;
    if (this.chosen !== '' && this.checker && (this.ionFlow || (dragging && Math.min(...this.costs) > DRAG_BUDGET))) {
      this.stale = true;
      this.checker.solve({ key, line: this.engine.line(), set: this.source, left, right, frequency: this.frequency, bUnit, overtakes: false });
      this.#render(section);
      return this.compliance;
    }
    const started = performance.now();
    let answer;
    try {
      answer = { compliance: this.chosen === '' ? null : this.engine.comply(left, right, this.frequency, bUnit) };
    } catch (error) {
      answer = { error: error.message };
    }
    this.#take(answer, performance.now() - started, true);
    this.#render(section);
    return this.compliance;
  }

  // A check's answer ({ compliance } or { error }) and its time; `current`:
  // of the section and edges shown.
  #take(answer, time, current) {
    this.compliance = answer.error === undefined ? answer.compliance : null;
    this.error = answer.error ?? '';
    this.stale = !current;
    if (this.compliance) {
      this.timings.push(time);
      this.costs = [...this.costs.slice(-2), time];
    }
  }

  // The worker's answer: shown (an earlier request's too, while the drag
  // goes on, unless the page has judged the line since), the latest one's
  // as current.
  #checked(request, answer) {
    if (request.key[5] !== this.chosen || request.key[4] !== this.frequency) return;  // of a set no longer chosen
    if (request.key !== this.key && !this.stale) return;  // older than what the page judged since
    this.#take(answer, answer.time ?? 0, request.key === this.key);
    this.#render(this.key[0]);
    this.handlers.checked();
  }

  #render(section) {
    const table = this.$('compliance-table');
    const rows = this.compliance?.rows ?? [];
    table.hidden = rows.length === 0;
    table.classList.toggle('stale', this.stale);
    const body = table.tBodies[0];
    while (body.rows.length > rows.length) body.deleteRow(-1);
    while (body.rows.length < rows.length) body.insertRow().innerHTML = '<th scope="row"></th><td></td><td></td><td><span class="verdict"></span></td>';
    const length = section.units.length;
    rows.forEach((row, index) => {
      const tr = body.rows[index];
      tr.dataset.quantity = row.quantity;
      tr.dataset.where = row.where;
      tr.dataset.result = row.result;
      // The limit, where it holds, and where it is decided (or why it does not apply).
      const judged = row.evaluated !== row.quantity ? ` (judged on ${row.evaluated})` : '';
      const at = row.result === 'N/A' ? `n/a: ${row.reason}` : `decided ${atText(row, length)}`;
      const kind = row.voltage_class ? `<span class="where">${escape(row.voltage_class)}</span>` : '';
      setHtml(tr.cells[0], `${row.quantity} ≤ ${plain(row.limit)} <span class="unit">${escape(unitText(row.unit))}</span>` +
        `<span class="where">${whereText(row.where)}${judged}</span>${kind}<span class="where">${escape(at)}</span>`);
      setText(tr.cells[1], valueText(row));
      setText(tr.cells[2], margin(row.margin));
      const verdict = tr.cells[3].firstChild;
      setText(verdict, row.result === 'N/A' ? NOT_COMPUTED : row.result);
      verdict.className = `verdict ${row.result === 'N/A' ? 'na' : row.result.toLowerCase()}`;
      if (tr.title !== row.source) tr.title = row.source;
    });
    const c = this.compliance;
    let note = this.error;
    if (!note && !c && this.stale) note = 'Being judged…';
    if (!note && c) {
      const failing = rows.filter((r) => r.result === 'FAIL').length;
      const judged = rows.filter((r) => r.result !== 'N/A').length;
      note = `${judged ? `${failing ? `${failing} of ${judged} limits fail` : `all ${judged} limits that apply hold`}` : 'no limit of the set applies to this line'}` +
        ` · line at ${c.frequency_hz} Hz, ${c.line_kv.toFixed(1)} kV (the largest line-to-line or pole voltage, which picks a voltage class)` +
        `; margin: value / limit`;
      if (this.stale) note = `Values of a moment ago, being judged again. ${note}`;
    }
    setText(this.$('limit-note'), note);
    this.$('limit-note').hidden = !note;
    this.$('limit-note').classList.toggle('warning', Boolean(this.error));
  }
}

function escape(text) {
  return text.replace(/[&<>"]/g, (c) => ({ '&': '&amp;', '<': '&lt;', '>': '&gt;', '"': '&quot;' })[c]);
}
const setText = (node, text) => { if (node.textContent !== text) node.textContent = text; };
const setHtml = (node, html) => { if (node.innerHTML !== html) node.innerHTML = html; };
