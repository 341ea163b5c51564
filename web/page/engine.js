// The engine's WebAssembly module behind a small interface. Every call
// either succeeds or leaves the cross section as it was and reports the
// engine's message.

export class EngineError extends Error {}

// An engine made from the compiled module (the page's, or a Web Worker's own
// instance); createExplorer: brenlow-explorer.js's.
export async function engineOf(createExplorer, compiled) {
  const instance = await createExplorer({
    instantiateWasm(imports, done) {
      WebAssembly.instantiate(compiled, imports).then((made) => done(made, compiled));
      return {};
    },
  });
  return new Engine(instance);
}

export class Engine {
  // `module`: an instance made by createExplorer (brenlow-explorer.js).
  constructor(module) {
    this.m = module;
  }

  // The result text of the last call, or throws its message.
  #outcome(status) {
    if (status !== 0) throw new EngineError(this.m.UTF8ToString(this.m._explorer_message()));
    return this.m.UTF8ToString(this.m._explorer_result());
  }

  #bytes(status) {
    if (status !== 0) throw new EngineError(this.m.UTF8ToString(this.m._explorer_message()));
    const start = this.m._explorer_result();
    return this.m.HEAPU8.slice(start, start + this.m._explorer_result_length());
  }

  // Runs `call` with each string argument copied into the module's memory.
  #withStrings(strings, call) {
    const pointers = strings.map((s) => {
      const size = this.m.lengthBytesUTF8(s) + 1;
      const p = this.m._malloc(size);
      this.m.stringToUTF8(s, p, size);
      return p;
    });
    try {
      return call(...pointers);
    } finally {
      pointers.forEach((p) => this.m._free(p));
    }
  }

  // Reads a data file (its bytes, a Uint8Array); returns the section.
  load(bytes, name) {
    const p = this.m._malloc(Math.max(bytes.length, 1));
    try {
      this.m.HEAPU8.set(bytes, p);
      return JSON.parse(this.#withStrings([name], (n) => this.#outcome(this.m._explorer_load(p, bytes.length, n))));
    } finally {
      this.m._free(p);
    }
  }

  section() {
    return JSON.parse(this.#outcome(this.m._explorer_section()));
  }

  // One group value from the text typed, in the file's units; returns the section.
  setGroup(index, field, text) {
    return JSON.parse(this.#withStrings([field, String(text)], (f, t) =>
      this.#outcome(this.m._explorer_set_group(index, f, t))));
  }

  // Both coordinates of a group at once (file units).
  moveGroup(index, x, y) {
    return JSON.parse(this.#withStrings([String(x), String(y)], (px, py) =>
      this.#outcome(this.m._explorer_move_group(index, px, py))));
  }

  setCondition(field, text) {
    return JSON.parse(this.#withStrings([field, String(text)], (f, t) =>
      this.#outcome(this.m._explorer_set_condition(f, t))));
  }

  // Profiles at `count` points from `left` to `right` (file units).
  profiles(left, right, count) {
    return JSON.parse(this.#outcome(this.m._explorer_profiles(left, right, count)));
  }

  // E (kV/m) or B (uT) at 1 m around the middle of 3 sagging spans of
  // `length` hanging by `sag` (file units), on a grid of columns by rows.
  span(length, sag, quantity, columns, rows) {
    return JSON.parse(this.#outcome(this.m._explorer_span(length, sag, quantity === 'B' ? 1 : 0, columns, rows)));
  }

  // The section as text that another instance of the module reads back to
  // the very same section (for the span solver's Web Worker).
  line() {
    return this.#outcome(this.m._explorer_line());
  }

  // span() for a line of line(), in this instance; the solve is kept for the
  // next map of the same line, length and sag.
  spanOfLine(line, length, sag, quantity, columns, rows) {
    return JSON.parse(this.#withStrings([line], (l) =>
      this.#outcome(this.m._explorer_span_line(l, length, sag, quantity === 'B' ? 1 : 0, columns, rows))));
  }

  // The unknown charges of the span solve of the section (its time grows as their cube).
  spanUnknowns(length, sag) {
    return JSON.parse(this.#outcome(this.m._explorer_span_unknowns(length, sag))).unknowns;
  }

  // Under DC poles in corona: the nominal and total field and the ion
  // current at the ground at `count` points from `left` to `right` (file
  // units), with Peek's roughness m; {dc: false} for a line without DC poles.
  ionFlow(roughness, left, right, count) {
    return JSON.parse(this.#outcome(this.m._explorer_ion_flow(roughness, left, right, count)));
  }

  // Every number with 17 significant digits (its every bit), or as shown.
  exactNumbers(on) {
    this.m._explorer_exact_numbers(on ? 1 : 0);
  }

  // The shipped limit sets: [{name, title}].
  limitSets() {
    return JSON.parse(this.#outcome(this.m._explorer_limit_sets()));
  }

  // Chooses a shipped limit set by its name ('' for none); returns {name, title, ...}.
  chooseLimits(name) {
    return JSON.parse(this.#withStrings([name], (n) => this.#outcome(this.m._explorer_choose_limits(n))));
  }

  // Chooses a set of the user's from its TOML text; returns {name, title, ...}.
  readLimits(text, name) {
    return JSON.parse(this.#withStrings([text, name], (t, n) => this.#outcome(this.m._explorer_read_limits(t, n))));
  }

  // The chosen set judged on the section between the edges (file units),
  // at `frequency` Hz, B in `bUnit` ('uT', 'mG', 'G'): {set, rows: [...]}.
  comply(left, right, frequency, bUnit) {
    return JSON.parse(this.#withStrings([bUnit], (b) => this.#outcome(this.m._explorer_comply(left, right, frequency, b))));
  }

  // comply() for a line of line(), in this instance, with its own set chosen.
  complyLine(line, left, right, frequency, bUnit) {
    return JSON.parse(this.#withStrings([line, bUnit], (l, b) =>
      this.#outcome(this.m._explorer_comply_line(l, left, right, frequency, b))));
  }

  dataFile() {
    return this.#bytes(this.m._explorer_data_file());
  }

  printFile() {
    return this.#bytes(this.m._explorer_print_file());
  }
}
