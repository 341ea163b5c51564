// The explorer page: one cross section in the engine, its views kept in
// step after every change. A change the engine refuses shows its message
// and leaves everything as it was.

import { engineOf } from './engine.js';
import { SectionView } from './view.js';
import { Charts, edgeRows, formatValue, quantityOf, NOT_COMPUTED, defaultView, shownProfiles, unitOf, FIELD_MEASURES } from './charts.js';
import { GroupsTable, ConditionsForm } from './tables.js';
import { plain, trimName, groupLook, gradientBar } from './draw.js';
import { SpanPanel } from './span.js';
import { IonFlowPanel } from './ionflow.js';
import { SpanSolver } from './span-solver.js';
import { compileEngine, fileBytes, fileJson } from './files.js';
import { LimitsPanel, limitMarks } from './limits.js';

const POINTS = 200;
const $ = (id) => document.getElementById(id);
// Writes only a changed text: fewer layout invalidations during a drag.
const setText = (node, text) => { if (node.textContent !== text) node.textContent = text; };
const setHtml = (node, html) => { if (node.innerHTML !== html) node.innerHTML = html; };

const state = {
  engine: null,
  section: null,
  profiles: null,
  left: -50,
  right: 50,
  selected: null,
  fileName: '',
  example: '',  // the bundled example open, or '' for a file of the user's
  compliance: null,  // the engine's judgement of the limit set chosen, as shown
  view: { bUnit: 'uT', measure: { e: 'max', b: 'max' } },  // B's unit and each field's measure
};

// Drag timings, for the browser tests: event time to redrawn profiles, and
// the part of it spent in the engine (new position and profiles), ms.
const timings = [];
const engineTimings = [];
const complianceTimings = [];  // each compliance check of a limit set, ms
let profilesTime = 0;

let view;
let charts;
let groupsTable;
let conditionsForm;
let spanPanel;
let ionFlowPanel;
let limitsPanel;

function showMessage(text) {
  $('message-text').textContent = text;
  $('message').hidden = false;
}
function clearMessage() {
  if ($('message').hidden) return;  // no needless layout work during a drag
  $('message').hidden = true;
  $('message-text').textContent = '';
}

// Runs an engine call; a refusal shows its message and returns null.
function attempt(call) {
  try {
    const result = call();
    clearMessage();
    return result ?? true;
  } catch (error) {
    showMessage(error.message);
    return null;
  }
}

// The engine's message of a refused call, or null when it succeeded.
function refusal(call) {
  try {
    call();
    return null;
  } catch (error) {
    return error.message;
  }
}

function defaultEdges(section) {
  const lateral = section.lateral;
  if (lateral.length >= 2) {
    const low = Math.min(...lateral);
    const high = Math.max(...lateral);
    if (high > low) return [low, high];
  }
  const reach = Math.max(...section.groups.map((g) => Math.abs(g.x)), 10);
  const margin = section.english ? 100 : 30;
  return [-(reach + margin), reach + margin];
}

function recompute() {
  const started = performance.now();
  const profiles = attempt(() => state.engine.profiles(state.left, state.right, POINTS));
  if (!profiles) return false;
  const computed = performance.now() - started;
  profilesTime = computed;
  state.profiles = profiles;
  render();
  setText($('status'), `${state.section.groups.length} groups · ${POINTS} points · profiles in ${computed.toFixed(1)} ms`);
  return true;
}

// `replace`: a new line: every field shows its value, the focused one too.
function render(replace = false) {
  const { section, profiles } = state;
  view.render({ section, left: state.left, right: state.right, selected: state.selected });
  renderCharts();
  groupsTable.render(section, profiles.gradients, state.selected, replace);
  conditionsForm.render(section, profiles.notes, replace);
  renderEdges();
  renderGradients();
  renderSelection();
  renderWarnings();
  // The spans follow the line; while a group is dragged, only as far as their cost allows.
  spanPanel.setBUnit(state.view.bUnit);
  spanPanel.setSection(section, state.engine.line(), { settled: !view.drag, replace });
  ionFlowPanel.setSection(section, state.left, state.right);
  if ($('singular').hidden !== !profiles.singular) $('singular').hidden = !profiles.singular;
}

// The charts with the limits the engine judged between the edges (in its
// worker when costly: the charts are drawn again when it answers).
function renderCharts() {
  const { section, profiles, view: choices } = state;
  const compliance = state.compliance = limitsPanel.update(section, state.left, state.right, choices.bUnit, { dragging: Boolean(view.drag) });
  const marks = Object.fromEntries(['e', 'b', 'an', 'ri', 'ozone'].map((key) => [key, limitMarks(compliance, key, profiles, choices)]));
  charts.render(shownProfiles(profiles, choices), section, choices, marks);
  ionFlowPanel.setLimits({ e_total: limitMarks(compliance, 'e_total', profiles, choices), j: limitMarks(compliance, 'j', profiles, choices) });
}

// The engine's warnings (what is legal but probably not meant), in view
// above the tables; each also stands beside its value in the groups table.
function renderWarnings() {
  const box = $('warnings');
  const texts = state.section.warnings.map((w) => w.text);
  const key = JSON.stringify(texts);
  if (box.dataset.key === key) return;
  box.dataset.key = key;
  box.replaceChildren(...state.section.warnings.map((w) => {
    const item = document.createElement('li');
    item.textContent = w.text;
    if (w.group >= 0) item.addEventListener('click', () => select(w.group));
    return item;
  }));
  box.hidden = texts.length === 0;
}

function renderEdges() {
  const { section, view } = state;
  const profiles = shownProfiles(state.profiles, view);
  const unit = section.units.length;
  const n = profiles.x.length;
  setHtml($('left-edge-head'), `Left <span class="unit">${plain(Math.round(state.left * 100) / 100)} ${unit}</span>`);
  setHtml($('right-edge-head'), `Right <span class="unit">${plain(Math.round(state.right * 100) / 100)} ${unit}</span>`);
  const body = $('edge-table').tBodies[0];
  const rows = edgeRows(profiles);
  if (body.dataset.rows !== rows.map((row) => row.key).join()) {
    body.dataset.rows = rows.map((row) => row.key).join();
    body.replaceChildren();
    for (const row of rows) {
      const tr = body.insertRow();
      tr.innerHTML = `<th scope="row"></th>` +
        `<td id="edge-${row.key}-left"></td><td id="edge-${row.key}-right"></td><td id="edge-${row.key}-max"></td>`;
    }
  }
  rows.forEach((row, index) => {
    // A field says which measure it is (the resultant; the ellipse maximum
    // unsaid; a static field has one magnitude).
    const measure = view.measure[row.field ?? row.key] === 'res' && !row.key.endsWith('_dc') ? ` (${FIELD_MEASURES.res})` : '';
    setHtml(body.rows[index].cells[0], `${row.label}${measure} <span class="unit">${unitOf(row.key, view)}</span>`);
  });
  for (const row of rows) {
    const values = profiles[row.key];
    setText($(`edge-${row.key}-left`), formatValue(row.key, values[0]));
    setText($(`edge-${row.key}-right`), formatValue(row.key, values[n - 1]));
    const finite = values.filter((v) => v !== null);
    setText($(`edge-${row.key}-max`), finite.length ? formatValue(row.key, Math.max(...finite)) : NOT_COMPUTED);
    // A quantity not computed at all says why.
    const why = profiles.notes[quantityOf(row.key)] ?? '';
    const head = $(`edge-${row.key}-left`).parentElement;
    if (head.title !== why) head.title = why;
  }
  const c = section.conditions;
  const u = section.units.length;
  setText($('heights-note'), `E at ${plain(c.ef_height)} ${u}, B at ${plain(c.mf_height)} ${u}, audible noise at ${plain(c.an_height)} ${u}, ` +
    `radio at ${plain(c.ri_height)} ${u} and ${plain(c.ri_frequency)} MHz, ozone at ${plain(c.oz_height)} ${u} above ground` +
    ` (wind ${plain(c.wind)} ${section.units.wind} towards the right)`);
  const notes = Object.values(profiles.notes).join('; ');
  setText($('edge-notes'), notes ? `${notes.charAt(0).toUpperCase()}${notes.slice(1)}.` : '');
  if ($('edge-notes').hidden !== !notes) $('edge-notes').hidden = !notes;
}

const formatGradient = (value) => (Number.isFinite(value) ? value.toFixed(2) : NOT_COMPUTED);

function renderGradients() {
  const { section, profiles, selected } = state;
  const box = $('gradients');
  if (box.children.length !== section.groups.length) {
    box.replaceChildren(...section.groups.map((_, index) => {
      const row = document.createElement('div');
      row.className = 'gradient-bar';
      row.dataset.group = index;
      row.innerHTML = '<span class="name"></span><span class="track"><span class="zero"></span><span class="fill"></span></span><span class="value"></span>';
      row.addEventListener('click', () => select(index));
      return row;
    }));
  }
  section.groups.forEach((group, index) => {
    const row = box.children[index];
    const value = profiles.gradients[index];
    const name = trimName(group.name) || `group ${index + 1}`;
    setText(row.children[0], name);
    // The name may be cut short: the whole of it on hover.
    if (row.children[0].title !== name) row.children[0].title = name;
    const [zero, fill] = row.children[1].children;
    const bar = gradientBar(value, profiles.gradients);
    const place = { left: `${bar.start.toFixed(1)}%`, width: `${bar.width.toFixed(1)}%` };
    if (fill.style.left !== place.left) fill.style.left = place.left;
    if (fill.style.width !== place.width) fill.style.width = place.width;
    const zeroAt = `${bar.zero.toFixed(1)}%`;
    if (zero.style.left !== zeroAt) zero.style.left = zeroAt;
    if (zero.hidden !== !(bar.zero > 0)) zero.hidden = !(bar.zero > 0);
    const colour = groupLook(group, index, section.energized).colour;
    if (fill.dataset.colour !== colour) {
      fill.style.background = colour;
      fill.dataset.colour = colour;
    }
    setText(row.children[2], formatGradient(value));
    if (row.classList.contains('selected') !== (selected === index)) row.classList.toggle('selected', selected === index);
  });
}

function renderSelection() {
  const { section, selected, profiles } = state;
  const unit = section.units.length;
  let text = 'Select a conductor or an edge to see its values.';
  if (typeof selected === 'number' && section.groups[selected]) {
    const g = section.groups[selected];
    const look = groupLook(g, selected, section.energized);
    text = `${trimName(g.name) || `Group ${selected + 1}`} (${look.detail}): x ${plain(g.x)} ${unit}, height ${plain(g.y)} ${unit}, ` +
      `maximum surface gradient ${formatGradient(profiles.gradients[selected])} kV/cm`;
  } else if (selected === 'left' || selected === 'right') {
    text = `${selected === 'left' ? 'Left' : 'Right'} edge at ${plain(selected === 'left' ? state.left : state.right)} ${unit}`;
  }
  setText($('selection'), text);
}

// A new line, shown whole: its profiles are computed before anything on
// the page changes, and every field takes the new line's value.
function showSection(section, fileName) {
  const [left, right] = defaultEdges(section);
  const started = performance.now();
  const profiles = state.engine.profiles(left, right, POINTS);
  Object.assign(state, { section, fileName, left, right, profiles, selected: null, view: defaultView(section) });
  $('layout').hidden = false;
  $('titles').textContent = section.titles.map((t) => t.trim()).filter(Boolean).join('\n');
  $('file-name').textContent = `· ${fileName}`;
  clearFieldNotes();
  render(true);
  setText($('status'), `${section.groups.length} groups · ${POINTS} points · profiles in ${(performance.now() - started).toFixed(1)} ms`);
}

// Nothing of an earlier line stays on the page under a new name: a line
// the engine took but the page could not show leaves the page empty.
function showNothing(name, text) {
  Object.assign(state, { section: null, profiles: null, fileName: name, selected: null, example: '' });
  $('layout').hidden = true;
  $('titles').textContent = '';
  $('file-name').textContent = '';
  showMessage(`${name} cannot be shown: ${text}`);
}

function openBytes(bytes, name) {
  const section = attempt(() => state.engine.load(bytes, name));
  if (!section) return false;
  try {
    showSection(section, name);
    clearMessage();
    return true;
  } catch (error) {
    showNothing(name, error.message);
    return false;
  }
}

// The example list shows the example open, or nothing for a file of the user's.
function showChoice(name) {
  $('example').value = name;
  if ($('example').value !== name) $('example').value = '';
}

async function openExample(name) {
  let bytes;
  try {
    bytes = await fileBytes(`examples/${encodeURIComponent(name)}`);
  } catch (error) {
    showMessage(`The example ${name} ${error.message}.`);
    showChoice(state.example);
    return false;
  }
  const opened = openBytes(bytes, name);
  if (opened) state.example = name;
  showChoice(state.example);
  return opened;
}

async function openFile(file) {
  if (!file) return;
  if (openBytes(new Uint8Array(await file.arrayBuffer()), file.name)) state.example = '';
  showChoice(state.example);
}

// Edits -------------------------------------------------------------------

// A value typed in the tables: null when taken, else the engine's message
// (which the table shows beside the value, and the banner at the top).
function edit(call) {
  let section;
  const refused = refusal(() => { section = call(); });
  if (refused) {
    showMessage(refused);
    return refused;
  }
  clearMessage();
  state.section = section;
  return recompute() ? null : $('message-text').textContent;
}

const editGroup = (index, field, text) => edit(() => state.engine.setGroup(index, field, text));
const editCondition = (field, text) => edit(() => state.engine.setCondition(field, text));

function clearFieldNotes() {
  groupsTable.clearNotes();
  conditionsForm.clearNotes();
}

// A drag is applied at once when nothing was applied in the last few
// milliseconds, otherwise at the next frame, the latest position winning.
let pending = null;
let frameRequested = false;
let lastApplied = -Infinity;

function applyPending() {
  frameRequested = false;
  lastApplied = performance.now();
  const move = pending;
  pending = null;
  if (!move) return;
  let engineTime = 0;
  if (move.kind === 'group') {
    const started = performance.now();
    const section = attempt(() => state.engine.moveGroup(move.index, move.x.toFixed(2), move.y.toFixed(2)));
    engineTime = performance.now() - started;
    if (section) {
      state.section = section;
      recompute();
    }
  } else {
    setEdge(move.side, move.x);
  }
  timings.push(performance.now() - move.time);
  engineTimings.push(engineTime + profilesTime);
}

function schedule(move) {
  pending = move;
  if (frameRequested) return;
  if (performance.now() - lastApplied > 12) {
    applyPending();
  } else {
    frameRequested = true;
    requestAnimationFrame(applyPending);
  }
}

function setEdge(side, x) {
  const gap = state.section.english ? 1 : 0.5;
  const value = Math.round(x * 100) / 100;
  if (side === 'left') state.left = Math.min(value, state.right - gap);
  else state.right = Math.max(value, state.left + gap);
  recompute();
}

// Selecting never scrolls the page: a drag holds on to where it started.
function select(target) {
  if (state.selected === target) return;
  state.selected = target;
  view.render({ section: state.section, left: state.left, right: state.right, selected: target });
  groupsTable.render(state.section, state.profiles.gradients, target);
  renderGradients();
  renderSelection();
}

// Downloads ---------------------------------------------------------------

function download(bytes, name) {
  const url = URL.createObjectURL(new Blob([bytes], { type: 'application/octet-stream' }));
  const a = document.createElement('a');
  a.href = url;
  a.download = name;
  document.body.append(a);
  a.click();
  a.remove();
  setTimeout(() => URL.revokeObjectURL(url), 10000);
}

function baseName() {
  return (state.fileName || 'line').replace(/\.[^.]*$/, '') || 'line';
}

// Start -------------------------------------------------------------------

async function start() {
  if (typeof createExplorer !== 'function') throw new Error('The engine module (brenlow-explorer.js) did not load.');
  // Compiled once: the page's engine and the span solver's worker each make
  // an instance of it.
  const compiled = await compileEngine();
  state.engine = await engineOf(createExplorer, compiled);

  view = new SectionView($('cross-section'), {
    select,
    moveGroup: (index, x, y, time) => schedule({ kind: 'group', index, x, y: Math.max(y, 0.1), time }),
    moveEdge: (side, x, time) => schedule({ kind: 'edge', side, x, time }),
    nudgeGroup: (index, dx, dy) => {
      const g = state.section.groups[index];
      const y = Math.max(Math.round((g.y + dy) * 100) / 100, 0.1);
      const section = attempt(() => state.engine.moveGroup(index, (g.x + dx).toFixed(2), y.toFixed(2)));
      if (section) {
        state.section = section;
        recompute();
      }
    },
    nudgeEdge: (side, dx) => setEdge(side, (side === 'left' ? state.left : state.right) + dx),
    dragEnd: () => render(),
  });
  charts = new Charts($('charts'), {
    measure: (key, value) => { state.view = { ...state.view, measure: { ...state.view.measure, [key]: value } }; render(); },
    bUnit: (unit) => { state.view = { ...state.view, bUnit: unit }; render(); },
  });
  groupsTable = new GroupsTable($('groups-table'), { edit: editGroup, select });
  conditionsForm = new ConditionsForm($('conditions'), { edit: editCondition });
  spanPanel = new SpanPanel($('span-panel'), state.engine, (done) => new SpanSolver(compiled, done));
  ionFlowPanel = new IonFlowPanel($('ionflow-panel'), state.engine, showMessage);
  limitsPanel = new LimitsPanel($('limits-panel'), state.engine,
    { changed: () => state.section && render(), checked: () => state.section && renderCharts(), report: showMessage }, complianceTimings,
    (done) => new SpanSolver(compiled, done, { script: 'limits-worker.js', fields: ['line', 'set', 'left', 'right', 'frequency', 'bUnit'], name: 'the limits\' checker' }));

  $('message-close').addEventListener('click', clearMessage);
  $('open').addEventListener('click', () => $('file').click());
  $('file').addEventListener('change', async () => {
    await openFile($('file').files[0]);
    $('file').value = '';
  });
  $('example').addEventListener('change', () => openExample($('example').value));
  $('download-data').addEventListener('click', () => {
    if (!state.section) return;
    const bytes = attempt(() => state.engine.dataFile());
    if (bytes) download(bytes, `${baseName()}-explorer.dat`);
  });
  $('download-print').addEventListener('click', () => {
    if (!state.section) return;
    const bytes = attempt(() => state.engine.printFile());
    if (bytes) download(bytes, `${baseName()}-explorer.prt`);
  });

  // A file dropped anywhere on the page
  let depth = 0;
  window.addEventListener('dragenter', (e) => {
    if (!e.dataTransfer?.types.includes('Files')) return;
    depth += 1;
    $('drop').hidden = false;
  });
  window.addEventListener('dragleave', () => {
    depth = Math.max(0, depth - 1);
    if (depth === 0) $('drop').hidden = true;
  });
  window.addEventListener('dragover', (e) => e.preventDefault());
  window.addEventListener('drop', (e) => {
    e.preventDefault();
    depth = 0;
    $('drop').hidden = true;
    openFile(e.dataTransfer?.files[0]);
  });

  const examples = await fileJson('examples/index.json').catch(() => []);
  for (const name of examples) $('example').add(new Option(name.replace(/\.dat$/i, ''), name));
  const first = examples.includes('example.dat') ? 'example.dat' : examples[0];
  if (first) {
    $('example').value = first;
    await openExample(first);
  }
}

window.explorer = {
  state,
  timings,
  engineTimings,
  complianceTimings,
  // The labels of the limits the ion flow panel draws, for the browser tests.
  ionFlowLimits: () => Object.fromEntries(Object.entries(ionFlowPanel.marks ?? {}).map(([k, marks]) => [k, marks.map((m) => m.label)])),
  ready: start().catch((error) => {
    showMessage(error.message);
    throw error;
  }),
};
