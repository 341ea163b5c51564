// The cross section drawn to scale: ground, the right-of-way between its
// edges, every group as a labelled marker. Groups and edges are dragged with
// the mouse or moved with the arrow keys once selected.

import { svgElement, ticks, tickText, trimName, groupLook, plain } from './draw.js';

const MARGIN = { left: 46, right: 14, top: 34, bottom: 28 };

export class SectionView {
  // handlers: select(target), moveGroup(index, x, y, eventTime), moveEdge(side, x, eventTime),
  // nudgeGroup(index, dx, dy), nudgeEdge(side, dx), dragEnd()
  constructor(svg, handlers) {
    this.svg = svg;
    this.handlers = handlers;
    this.model = null;
    this.drag = null;
    this.frozen = null;
    svg.addEventListener('pointerdown', (e) => this.#pointerDown(e));
    svg.addEventListener('pointermove', (e) => this.#pointerMove(e));
    svg.addEventListener('pointerup', (e) => this.#pointerUp(e));
    svg.addEventListener('pointercancel', (e) => this.#pointerUp(e));
    svg.addEventListener('keydown', (e) => this.#keyDown(e));
    // A label that found no room is shown, above everything, while its
    // group is focused or under the pointer.
    this.tip = { focused: null, hovered: null };
    // (Focus listeners go on the groups: on the <svg> they would make the
    // drawing itself a stop of the Tab key.)
    const tipFor = (event) => event.target.closest?.('[data-group]')?.dataset.group ?? null;
    this.focusTip = (event) => { this.tip.focused = event.type === 'focus' ? tipFor(event) : null; this.#showTip(); };
    svg.addEventListener('pointerover', (e) => { this.tip.hovered = tipFor(e); this.#showTip(); });
    svg.addEventListener('pointerleave', () => { this.tip.hovered = null; this.#showTip(); });
    // The size is kept from the observer: reading it while drawing would
    // force a layout of the whole page on every frame of a drag.
    this.width = 0;
    this.height = 0;
    new ResizeObserver((entries) => {
      const box = entries[entries.length - 1].contentRect;
      if (Math.round(box.width) === this.width && Math.round(box.height) === this.height) return;
      this.width = Math.round(box.width);
      this.height = Math.round(box.height);
      if (this.model) this.render(this.model);
    }).observe(svg);
  }

  // model: { section, left, right, selected } (selected: a group index, 'left', 'right' or null)
  render(model) {
    this.model = model;
    if (!this.width) {
      this.width = this.svg.clientWidth;
      this.height = this.svg.clientHeight;
    }
    const width = Math.max(this.width, 200);
    const extents = this.frozen ?? this.#extents(model);
    if (!this.frozen) {
      const wanted = width * (extents.yTop - extents.yBottom) / (extents.xMax - extents.xMin) + MARGIN.top + MARGIN.bottom;
      const fitted = Math.round(Math.min(Math.max(wanted, 200), window.innerWidth < 600 ? 300 : 440));
      if (fitted !== this.height) {
        this.svg.style.height = `${fitted}px`;
        this.height = fitted;
      }
    }
    const height = Math.max(this.height, 150);
    const plotW = width - MARGIN.left - MARGIN.right;
    const plotH = height - MARGIN.top - MARGIN.bottom;
    const scale = Math.min(plotW / (extents.xMax - extents.xMin), plotH / (extents.yTop - extents.yBottom));
    const x0 = MARGIN.left + (plotW - scale * (extents.xMax - extents.xMin)) / 2;
    const yBase = height - MARGIN.bottom;  // pixel row of extents.yBottom
    const map = {
      scale,
      px: (x) => x0 + (x - extents.xMin) * scale,
      py: (y) => yBase - (y - extents.yBottom) * scale,
      x: (px) => extents.xMin + (px - x0) / scale,
      y: (py) => extents.yBottom + (yBase - py) / scale,
    };
    this.map = map;
    this.svg.setAttribute('viewBox', `0 0 ${width} ${height}`);
    // Three layers; the edge and group nodes persist between drawings so
    // that the one focused keeps the focus (and no layout is forced).
    if (!this.layers) {
      this.svg.replaceChildren();
      this.layers = {
        back: svgElement('g', {}, this.svg), edges: svgElement('g', {}, this.svg), groups: svgElement('g', {}, this.svg),
        tip: svgElement('g', { class: 'tip', 'aria-hidden': 'true' }, this.svg),
      };
      this.edgeNodes = {};
      this.groupNodes = [];
    }
    const { section, left, right, selected } = model;
    const unit = section.units.length;
    const xLow = map.x(MARGIN.left);
    const xHigh = map.x(width - MARGIN.right);
    const yHigh = map.y(MARGIN.top - 10);

    // Grid, ticks, right-of-way band, ground
    // Each layer and node is drawn again only when what it shows changed:
    // a drag changes one group and the labels near it.
    const g = this.layers.back;
    const backKey = JSON.stringify([width, height, extents, left, right, unit]);
    if (g.dataset.key !== backKey) {
    g.dataset.key = backKey;
    g.replaceChildren();
    const xt = ticks(xLow, xHigh, Math.max(3, Math.floor(plotW / 80)));
    for (const v of xt.values) {
      svgElement('line', { class: 'grid', x1: map.px(v), x2: map.px(v), y1: map.py(0), y2: MARGIN.top - 10 }, g);
      svgElement('text', { class: 'tick', x: map.px(v), y: height - 8, 'text-anchor': 'middle' }, g, tickText(v, xt.step));
    }
    const yt = ticks(0, yHigh, Math.max(2, Math.floor((map.py(0) - MARGIN.top) / 40)));
    for (const v of yt.values) {
      if (v <= 0) continue;
      svgElement('line', { class: 'grid', x1: MARGIN.left, x2: width - MARGIN.right, y1: map.py(v), y2: map.py(v) }, g);
      svgElement('text', { class: 'tick', x: MARGIN.left - 6, y: map.py(v) + 4, 'text-anchor': 'end' }, g, tickText(v, yt.step));
    }
    svgElement('rect', {
      class: 'row-band', x: map.px(left), y: MARGIN.top - 10, width: Math.max(0, map.px(right) - map.px(left)),
      height: map.py(0) - MARGIN.top + 10,
    }, g);
    svgElement('rect', { class: 'ground', x: 0, y: map.py(0), width, height: Math.max(0, height - map.py(0) - 20) }, g);
    svgElement('line', { class: 'ground-line', x1: 0, x2: width, y1: map.py(0), y2: map.py(0) }, g);
    svgElement('text', { class: 'tick', x: MARGIN.left - 6, y: map.py(0) + 14, 'text-anchor': 'end' }, g, unit);
    }

    // Edges
    for (const side of ['left', 'right']) {
      const x = side === 'left' ? left : right;
      const edge = this.edgeNodes[side] ??= svgElement('g', {
        tabindex: 0, role: 'slider', 'data-key': `edge-${side}`, 'data-edge': side,
        'aria-label': `${side} edge of the right-of-way`,
      }, this.layers.edges);
      const edgeKey = JSON.stringify([backKey, selected === side]);
      if (edge.dataset.drawn === edgeKey) continue;
      edge.dataset.drawn = edgeKey;
      edge.setAttribute('class', `edge${selected === side ? ' selected' : ''}`);
      edge.setAttribute('aria-valuenow', plain(x));
      edge.setAttribute('aria-valuetext', `${plain(x)} ${unit}`);
      edge.replaceChildren();
      svgElement('line', { class: 'edge-line', x1: map.px(x), x2: map.px(x), y1: map.py(0), y2: MARGIN.top - 6 }, edge);
      svgElement('line', { class: 'edge-hit', x1: map.px(x), x2: map.px(x), y1: map.py(0), y2: MARGIN.top - 6 }, edge);
      const handle = svgElement('g', { class: 'edge-handle' }, edge);
      const text = `${side === 'left' ? 'L' : 'R'} ${plain(Math.round(x * 100) / 100)} ${unit}`;
      const w = 12 + text.length * 6.3;
      const hx = Math.min(Math.max(map.px(x) - w / 2, 2), width - w - 2);
      svgElement('rect', { x: hx, y: 4, width: w, height: 20, rx: 5 }, handle);
      svgElement('text', { x: hx + w / 2, y: 18, 'text-anchor': 'middle' }, handle, text);
    }

    // Groups, each labelled with its name and phase where the label finds
    // room (above, then below the marker; the name alone when crowded).
    const nodes = this.groupNodes;
    while (nodes.length > section.groups.length) nodes.pop().remove();
    for (let index = nodes.length; index < section.groups.length; ++index) {
      const node = svgElement('g', { tabindex: 0, role: 'button', 'data-key': `group-${index}`, 'data-group': index }, this.layers.groups);
      node.addEventListener('focus', this.focusTip);
      node.addEventListener('blur', this.focusTip);
      nodes.push(node);
    }
    const placed = [];
    const fits = (box) => box.x0 >= 0 && box.x1 <= width && !placed.some((b) => box.x0 < b.x1 && box.x1 > b.x0 && box.y0 < b.y1 && box.y1 > b.y0);
    const order = section.groups.map((_, i) => i).sort((a, b) => (a === selected ? -1 : b === selected ? 1 : a - b));
    const shapes = order.map((index) => {
      const group = section.groups[index];
      const look = groupLook(group, index, section.energized);
      const cx = map.px(group.x);
      const cy = map.py(group.y);
      const r = look.earth ? 4.5 : section.groups.length > 12 ? 5.5 : 7.5;
      placed.push({ x0: cx - r, x1: cx + r, y0: cy - r, y1: cy + r });
      return { index, group, look, name: trimName(group.name) || `group ${index + 1}`, cx, cy, r };
    });
    // Every group its name first (above, else below), then, when every
    // group has its name, the phase beside it where that still fits.
    const labelAt = (shape, both, above) => {
      const { cx, cy, r, name, look } = shape;
      const size = (both ? 11 : 10) - (width < 500 ? 1 : 0);
      const w = (both ? `${name} ${look.detail}` : name).length * size * 0.6 + 8;
      const box = above ? { x0: cx - w / 2, x1: cx + w / 2, y0: cy - r - 6 - size, y1: cy - r - 3 }
        : { x0: cx - w / 2, x1: cx + w / 2, y0: cy + r + 3, y1: cy + r + 6 + size };
      return { both, size, above, box, y: above ? cy - r - 6 : cy + r + 4 + size };
    };
    for (const shape of shapes) {
      const candidates = [labelAt(shape, false, true), labelAt(shape, false, false)];
      shape.label = candidates.find((c) => fits(c.box)) ?? (selected === shape.index ? candidates[0] : null);
      if (shape.label) placed.push(shape.label.box);
    }
    const crowded = shapes.some((shape) => !shape.label);  // then names only: no phase beside a neighbour's marker
    for (const shape of shapes) {
      if (!shape.label || crowded) continue;
      const wider = labelAt(shape, true, shape.label.above);
      const own = shape.label.box;
      const others = placed.filter((b) => b !== own);
      const clear = wider.box.x0 >= 0 && wider.box.x1 <= width &&
        !others.some((b) => wider.box.x0 < b.x1 && wider.box.x1 > b.x0 && wider.box.y0 < b.y1 && wider.box.y1 > b.y0);
      if (clear) {
        placed[placed.indexOf(own)] = wider.box;
        shape.label = wider;
      }
    }
    for (const shape of shapes) {
      const { index, group, look, name, cx, cy, r, label } = shape;
      const node = nodes[index];
      const isSelected = selected === index;
      const key = JSON.stringify([width, cx, cy, r, look, name, isSelected, label && [label.y, label.size, label.both], group.x, group.y, unit]);
      if (node.dataset.drawn === key) continue;
      node.dataset.drawn = key;
      node.setAttribute('class', `group${isSelected ? ' selected' : ''}`);
      node.setAttribute('aria-label', `${name}, ${look.detail}, at ${plain(group.x)} ${unit}, height ${plain(group.y)} ${unit}`);
      node.setAttribute('aria-pressed', isSelected ? 'true' : 'false');
      node.replaceChildren();
      svgElement('title', {}, node, `${name} · ${look.detail}`);
      svgElement('circle', { class: 'halo', cx, cy, r: r + 4 }, node);
      if (look.pole) {  // a DC pole: a square with its sign
        svgElement('rect', { class: 'marker', x: cx - r, y: cy - r, width: 2 * r, height: 2 * r, rx: 2, fill: look.colour }, node);
        svgElement('path', { class: 'sign', d: look.pole > 0 ? `M${cx - r / 2},${cy}h${r}M${cx},${cy - r / 2}v${r}` : `M${cx - r / 2},${cy}h${r}` }, node);
      } else {
        svgElement('circle', { class: 'marker', cx, cy, r, fill: look.colour }, node);
      }
      svgElement('circle', { cx, cy, r: r + 9, fill: 'transparent' }, node);  // easier to grab
      if (label) {
        const text = svgElement('text', { class: `label${label.both ? '' : ' short'}`, x: cx, y: label.y, 'text-anchor': 'middle', 'font-size': label.size }, node);
        svgElement('tspan', {}, text, name);
        if (label.both) svgElement('tspan', { class: 'sub', dx: 4 }, text, look.detail);
      }
      // What found no room (the whole label, or the phase beside the name)
      // is shown while the group is hovered or focused, in place of its
      // short label; never dropped without a way to read it.
      if (!label?.both) {
        const full = labelAt(shape, true, label?.above ?? true);
        const x = Math.min(Math.max(cx, (full.box.x1 - full.box.x0) / 2), width - (full.box.x1 - full.box.x0) / 2);
        const w = full.box.x1 - full.box.x0;
        const text = svgElement('text', {
          class: 'label tucked', x, y: full.y, 'text-anchor': 'middle', 'font-size': full.size,
          'data-box': [x - w / 2, full.y - full.size, w, full.size + 4].join(' '),  // its ground, without a layout read
        }, node);
        svgElement('tspan', {}, text, name);
        svgElement('tspan', { class: 'sub', dx: 4 }, text, look.detail);
      }
    }
    this.#showTip();
  }

  // The tucked label of the group hovered (else the one focused), drawn
  // on a white ground over its neighbours' labels.
  #showTip() {
    const layer = this.layers?.tip;
    if (!layer) return;
    const index = this.tip.hovered ?? this.tip.focused;
    const label = index === null ? null : this.layers.groups.querySelector(`[data-group="${index}"] .label.tucked`);
    const key = label ? `${index} ${label.dataset.box} ${label.textContent}` : '';
    if (layer.dataset.key === key) return;
    layer.dataset.key = key;
    layer.replaceChildren();
    if (!label) return;
    const [x, y, width, height] = label.dataset.box.split(' ').map(Number);
    svgElement('rect', { x, y, width, height, rx: 4 }, layer);
    const text = label.cloneNode(true);
    text.setAttribute('class', 'label shown');
    layer.append(text);
  }

  #extents({ section, left, right }) {
    const xs = [left, right, ...section.groups.map((g) => g.x)];
    const ys = section.groups.map((g) => g.y);
    let xMin = Math.min(...xs);
    let xMax = Math.max(...xs);
    const pad = Math.max((xMax - xMin) * 0.06, 2);
    xMin -= pad;
    xMax += pad;
    const yTop = Math.max(...ys, 1) * 1.18 + 2;
    return { xMin, xMax, yTop, yBottom: -yTop * 0.08 };
  }

  #worldPoint(event) {
    const box = this.svg.getBoundingClientRect();
    const vb = this.svg.viewBox.baseVal;
    const px = (event.clientX - box.left) * (vb.width / box.width);
    const py = (event.clientY - box.top) * (vb.height / box.height);
    return { x: this.map.x(px), y: this.map.y(py) };
  }

  #pointerDown(event) {
    if (!this.model || event.button !== 0) return;
    const target = event.target.closest('[data-group], [data-edge]');
    if (!target) return;
    event.preventDefault();
    const at = this.#worldPoint(event);
    if (target.dataset.group !== undefined) {
      const index = Number(target.dataset.group);
      const group = this.model.section.groups[index];
      this.drag = { kind: 'group', index, dx: group.x - at.x, dy: group.y - at.y };
      this.handlers.select(index);
    } else {
      const side = target.dataset.edge;
      const x = side === 'left' ? this.model.left : this.model.right;
      this.drag = { kind: 'edge', side, dx: x - at.x };
      this.handlers.select(side);
    }
    this.frozen = this.#extents(this.model);
    this.svg.setPointerCapture(event.pointerId);
    const focus = this.svg.querySelector(`[data-key="${target.dataset.key}"]`);
    if (focus) focus.focus({ preventScroll: true });
  }

  #pointerMove(event) {
    if (!this.drag) return;
    const at = this.#worldPoint(event);
    if (this.drag.kind === 'group') {
      this.handlers.moveGroup(this.drag.index, at.x + this.drag.dx, at.y + this.drag.dy, event.timeStamp);
    } else {
      this.handlers.moveEdge(this.drag.side, at.x + this.drag.dx, event.timeStamp);
    }
  }

  #pointerUp(event) {
    if (!this.drag) return;
    this.drag = null;
    this.frozen = null;
    if (this.svg.hasPointerCapture(event.pointerId)) this.svg.releasePointerCapture(event.pointerId);
    this.handlers.dragEnd();
  }

  #keyDown(event) {
    const target = event.target.closest('[data-group], [data-edge]');
    if (!target) return;
    const step = event.shiftKey ? 5 : 0.5;
    const moves = { ArrowLeft: [-step, 0], ArrowRight: [step, 0], ArrowUp: [0, step], ArrowDown: [0, -step] };
    if (event.key === 'Enter' || event.key === ' ') {
      event.preventDefault();
      this.handlers.select(target.dataset.group !== undefined ? Number(target.dataset.group) : target.dataset.edge);
      return;
    }
    const move = moves[event.key];
    if (!move) return;
    event.preventDefault();
    if (target.dataset.group !== undefined) {
      const index = Number(target.dataset.group);
      this.handlers.select(index);
      this.handlers.nudgeGroup(index, move[0], move[1]);
    } else if (move[0] !== 0) {
      this.handlers.select(target.dataset.edge);
      this.handlers.nudgeEdge(target.dataset.edge, move[0]);
    }
  }
}
