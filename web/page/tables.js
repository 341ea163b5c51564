// The groups table and the conditions form: every value of the cross
// section, in the units of its file, edited in place.

import { plain, groupLook } from './draw.js';

const GROUP_COLUMNS = [
  { field: 'name', head: 'Name', kind: 'name' },
  { field: 'type', head: 'Type', kind: 'type' },
  { field: 'x', head: 'x', unit: 'length' },
  { field: 'y', head: 'Height', unit: 'length' },
  { field: 'subconductors', head: 'Subcond.' },
  { field: 'diameter', head: 'Diameter', unit: 'diameter' },
  { field: 'spacing', head: 'Spacing', unit: 'spacing' },
  { field: 'kv', head: 'Voltage', fixedUnit: 'kV' },
  { field: 'phase', head: 'Phase', fixedUnit: '°' },
  { field: 'ka', head: 'Current', fixedUnit: 'kA' },
  { field: 'gradient', head: 'Given gradient', fixedUnit: 'kV/cm' },
];

const CONDITION_FIELDS = [
  { field: 'wind', label: 'Wind', unit: 'wind' },
  { field: 'rain', label: 'Rain rate', unit: 'rain' },
  { field: 'altitude', label: 'Altitude', unit: 'length' },
  { field: 'conductivity', label: 'Ground conductivity', fixedUnit: 'mmhos/m' },
  { field: 'ef_height', label: 'Electric field sensor height', unit: 'length' },
  { field: 'mf_height', label: 'Magnetic field sensor height', unit: 'length' },
  { field: 'an_height', label: 'Microphone height (audible noise)', unit: 'length' },
  { field: 'ri_height', label: 'Antenna height (radio)', unit: 'length' },
  { field: 'ri_frequency', label: 'Radio frequency', fixedUnit: 'MHz' },
  { field: 'tv_height', label: 'Antenna height (TV)', unit: 'length' },
  { field: 'tv_frequency', label: 'TV frequency', fixedUnit: 'MHz' },
  { field: 'oz_height', label: 'Ozone sensor height', unit: 'length' },
];

function unitOf(column, units) {
  return column.unit ? units[column.unit] : column.fixedUnit ?? '';
}

// Commits a text input on Enter or when it loses focus with a changed value.
function onCommit(input, commit) {
  input.addEventListener('change', () => commit(input.value));
  input.addEventListener('keydown', (e) => {
    if (e.key === 'Enter') {
      e.preventDefault();
      commit(input.value);
    } else if (e.key === 'Escape') {
      input.value = input.dataset.shown ?? input.value;
      input.blur();
    }
  });
}

// Shows a value unless the user is typing in the field; writes only what
// changed (a drag updates two fields of fifty rows). `replace` (a new line
// opened): the value of the new line, whatever was typed, focused or not.
function show(input, text, replace = false) {
  const committed = input.dataset.committed === '1';
  if (input.dataset.shown === text && !committed && !replace) return;
  input.dataset.shown = text;
  if (committed || replace || document.activeElement !== input) input.value = text;
  if (committed) input.dataset.committed = '';
}

// A note beside a field: the message of a value refused (role alert), or
// what the engine says of the value. Kept in `holder`, an element made for it.
function setNote(holder, text) {
  if (holder.textContent !== text) holder.textContent = text;
  if (holder.hidden !== !text) holder.hidden = !text;
}

// A refused value: its message beside the field, scrolled into view.
function showRefusal(input, holder, message) {
  input.setAttribute('aria-invalid', 'true');
  setNote(holder, message);
  holder.scrollIntoView({ block: 'nearest', inline: 'nearest' });
  // Typing again in the field takes the message away.
  input.addEventListener('input', () => clearRefusal(input, holder), { once: true });
}

function clearRefusal(input, holder) {
  input.removeAttribute('aria-invalid');
  setNote(holder, '');
}

// The notes a field may have, made hidden: what the engine says of its
// value, and the message of a value refused.
function makeNotes(tag) {
  const warning = document.createElement(tag);
  warning.className = 'field-warning';
  warning.hidden = true;
  const refused = document.createElement(tag);
  refused.className = 'field-refusal';
  refused.setAttribute('role', 'alert');
  refused.hidden = true;
  return { warning, refused };
}

// Hands the typed value to edit (null when taken, else the message): a
// value refused goes back to the one shown before, its message in holder.
function commitTyped(input, holder, edit) {
  input.dataset.committed = '1';
  const refused = edit(input.value);
  if (refused) {
    const typed = input.value;
    input.value = input.dataset.shown;
    input.dataset.committed = '';
    showRefusal(input, holder, `"${typed}" refused: ${refused}`);
  } else {
    clearRefusal(input, holder);
  }
}

export class GroupsTable {
  // handlers: edit(index, field, text) -> null when taken, else the message; select(index)
  constructor(table, handlers) {
    this.table = table;
    this.handlers = handlers;
    this.shape = '';
    this.generation = 0;
  }

  #build(section) {
    const units = section.units;
    // The fields of an earlier line commit nothing: a value typed there and
    // never entered (the browser may commit it as the field goes) belongs to
    // a line no longer open.
    const generation = ++this.generation;
    this.table.replaceChildren();
    const head = this.table.createTHead().insertRow();
    const th = (text) => {
      const cell = document.createElement('th');
      cell.scope = 'col';
      cell.innerHTML = text;
      head.append(cell);
    };
    th('#');
    for (const c of GROUP_COLUMNS) {
      const unit = unitOf(c, units);
      th(unit ? `${c.head} <span class="muted">${unit}</span>` : c.head);
    }
    th('Max gradient <span class="muted">kV/cm</span>');
    const body = this.table.createTBody();
    this.rows = section.groups.map((group, index) => {
      const row = body.insertRow();
      row.dataset.group = index;
      const number = row.insertCell();
      number.className = 'index';
      number.innerHTML = `<span class="swatch"></span>${index + 1}`;
      number.addEventListener('click', () => this.handlers.select(index));
      const inputs = {};
      for (const c of GROUP_COLUMNS) {
        const cell = row.insertCell();
        let input;
        if (c.kind === 'type') {
          input = document.createElement('select');
          input.innerHTML = '<option value="A">AC</option><option value="D">DC</option>';
          input.addEventListener('change', () => this.#commit(index, c.field, input, generation));
        } else {
          input = document.createElement('input');
          input.type = 'text';
          if (c.kind === 'name') {
            input.className = 'name';
            input.maxLength = 8;
          } else {
            input.inputMode = c.field === 'subconductors' ? 'numeric' : 'decimal';
          }
          onCommit(input, () => this.#commit(index, c.field, input, generation));
        }
        input.dataset.field = c.field;
        input.setAttribute('aria-label', `${c.head} of group ${index + 1}`);
        input.addEventListener('focus', () => this.handlers.select(index));
        cell.append(input);
        inputs[c.field] = input;
      }
      const computed = row.insertCell();
      computed.className = 'computed';
      computed.dataset.gradient = index;
      // Under the row: a warning on its values and the message of a value
      // refused, beside the values they concern.
      const notesRow = body.insertRow();
      notesRow.className = 'group-notes';
      notesRow.dataset.notes = index;
      notesRow.hidden = true;
      notesRow.insertCell();
      const cell = notesRow.insertCell();
      cell.colSpan = GROUP_COLUMNS.length + 1;
      const { warning, refused } = makeNotes('div');
      cell.append(warning, refused);
      return { row, inputs, computed, swatch: number.firstChild, notesRow, warning, refused };
    });
  }

  #commit(index, field, input, generation) {
    if (generation !== this.generation || input.value === input.dataset.shown) return;
    const entry = this.rows[index];
    commitTyped(input, entry.refused, (text) => this.handlers.edit(index, field, text));
    this.#showNotesRow(entry);
  }

  #showNotesRow({ notesRow, warning, refused }) {
    const hidden = warning.hidden && refused.hidden;
    if (notesRow.hidden !== hidden) notesRow.hidden = hidden;
  }

  // Takes away every refusal message (a new line opened).
  clearNotes() {
    for (const entry of this.rows ?? []) {
      for (const input of Object.values(entry.inputs)) input.removeAttribute('aria-invalid');
      setNote(entry.refused, '');
      this.#showNotesRow(entry);
    }
  }

  render(section, gradients, selected, replace = false) {
    const shape = `${section.groups.length}|${section.units.length}|${section.energized}`;
    if (shape !== this.shape) {
      this.#build(section);
      this.shape = shape;
    }
    section.groups.forEach((group, index) => {
      const entry = this.rows[index];
      const { row, inputs, computed, swatch } = entry;
      for (const c of GROUP_COLUMNS) {
        const value = group[c.field];
        const text = c.kind === 'name' ? value.replace(/\s+$/, '') : c.kind === 'type' ? value : plain(value);
        if (c.kind === 'type') {
          if (inputs.type.dataset.shown !== text || replace) inputs.type.value = text;
          inputs.type.dataset.shown = text;
        } else {
          show(inputs[c.field], text, replace);
        }
      }
      // The engine's warnings on this group, beside the value they concern.
      const warnings = section.warnings.filter((w) => w.group === index);
      setNote(entry.warning, warnings.map((w) => w.text).join(' '));
      for (const c of GROUP_COLUMNS) {
        const warned = warnings.some((w) => w.field === c.field);
        if (inputs[c.field].classList.contains('warned') !== warned) inputs[c.field].classList.toggle('warned', warned);
      }
      this.#showNotesRow(entry);
      const value = gradients?.[index];
      // A gradient not computed reads n/a, as every value not computed does.
      const gradient = Number.isFinite(value) ? plain(Number.parseFloat(value.toFixed(3))) : gradients ? 'n/a' : '';
      if (computed.textContent !== gradient) computed.textContent = gradient;
      const colour = groupLook(group, index, section.energized).colour;
      if (swatch.dataset.colour !== colour) {
        swatch.style.background = colour;
        swatch.dataset.colour = colour;
      }
      if (row.classList.contains('selected') !== (selected === index)) row.classList.toggle('selected', selected === index);
    });
  }
}

export class ConditionsForm {
  // handlers: edit(field, text) -> null when taken, else the message
  constructor(form, handlers) {
    this.form = form;
    this.handlers = handlers;
    this.units = '';
    this.generation = 0;
    form.addEventListener('submit', (e) => e.preventDefault());
  }

  #build(section) {
    const units = section.units;
    const generation = ++this.generation;  // as in the groups table
    this.form.replaceChildren();
    this.inputs = {};
    this.notes = {};
    const add = (field, labelText, wide = false) => {
      const label = document.createElement('label');
      if (wide) label.className = 'wide';
      label.textContent = labelText;
      const input = document.createElement('input');
      input.type = 'text';
      input.name = field;
      if (!field.startsWith('title')) input.inputMode = 'decimal';
      else input.maxLength = 72;
      onCommit(input, () => this.#commit(field, input, generation));
      // Beside the field: what the engine says of its value (no wind), and
      // the message of a value refused.
      const { warning: note, refused } = makeNotes('span');
      label.append(input, note, refused);
      this.form.append(label);
      this.inputs[field] = input;
      this.notes[field] = { note, refused };
    };
    add('title1', 'Title', true);
    add('title2', 'Second title', true);
    for (const c of CONDITION_FIELDS) {
      const unit = unitOf(c, units);
      add(c.field, unit ? `${c.label} (${unit})` : c.label);
    }
    const label = document.createElement('label');
    label.className = 'check wide';
    const box = document.createElement('input');
    box.type = 'checkbox';
    box.name = 'given_gradients';
    box.addEventListener('change', () => {
      if (generation !== this.generation) return;
      if (this.handlers.edit('given_gradients', box.checked ? '1' : '0')) box.checked = !box.checked;
    });
    label.append(box, document.createTextNode('Use the given gradients of the groups instead of the computed ones'));
    this.form.append(label);
    this.inputs.given_gradients = box;
  }

  #commit(field, input, generation) {
    if (generation !== this.generation || input.value === input.dataset.shown) return;
    commitTyped(input, this.notes[field].refused, (text) => this.handlers.edit(field, text));
  }

  clearNotes() {
    for (const [field, { refused }] of Object.entries(this.notes ?? {})) clearRefusal(this.inputs[field], refused);
  }

  // notes: the engine's reasons for a quantity not computed ({ozone, ri}),
  // shown beside the condition that causes them.
  render(section, notes = {}, replace = false) {
    const units = JSON.stringify(section.units);
    if (units !== this.units) {
      this.#build(section);
      this.units = units;
    }
    show(this.inputs.title1, section.titles[0].replace(/\s+$/, ''), replace);
    show(this.inputs.title2, section.titles[1].replace(/\s+$/, ''), replace);
    for (const c of CONDITION_FIELDS) show(this.inputs[c.field], plain(section.conditions[c.field]), replace);
    this.inputs.given_gradients.checked = section.conditions.given_gradients === 1;
    setNote(this.notes.wind.note, notes.ozone ?? '');
    setNote(this.notes.ri_frequency.note, notes.ri ?? '');
  }
}
