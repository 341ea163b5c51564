// Small helpers shared by the cross-section view and the charts.

export const SVG_NS = 'http://www.w3.org/2000/svg';

export function svgElement(name, attributes = {}, parent = null, text = null) {
  const node = document.createElementNS(SVG_NS, name);
  for (const [key, value] of Object.entries(attributes)) node.setAttribute(key, value);
  if (text !== null) node.textContent = text;
  if (parent) parent.appendChild(node);
  return node;
}

// A step of 1, 2 or 5 times a power of ten giving about `count` intervals.
export function niceStep(span, count) {
  if (!(span > 0)) return 1;
  const raw = span / count;
  const power = 10 ** Math.floor(Math.log10(raw));
  const fraction = raw / power;
  return (fraction < 1.5 ? 1 : fraction < 3.5 ? 2 : fraction < 7.5 ? 5 : 10) * power;
}

export function ticks(low, high, count) {
  const step = niceStep(high - low, count);
  const first = Math.ceil(low / step - 1e-9) * step;
  const values = [];
  for (let v = first; v <= high + step * 1e-9; v += step) values.push(Math.abs(v) < step * 1e-9 ? 0 : v);
  return { step, values };
}

export function tickText(value, step) {
  const decimals = Math.max(0, -Math.floor(Math.log10(step) + 1e-9));
  return value.toFixed(Math.min(decimals, 6));
}

// A value for a table cell or an input: at most seven significant digits,
// no trailing zeros.
export function plain(value) {
  if (value === null || value === undefined || Number.isNaN(value)) return '';
  if (Number.isInteger(value)) return String(value);
  return String(Number.parseFloat(value.toPrecision(7)));
}

export function trimName(name) {
  return name.replace(/\s+$/, '').replace(/^\s+/, '');
}

// How a group is shown: colour and the words of its label.
export function groupLook(group, index, energized) {
  if (index >= energized) return { colour: 'var(--earth)', detail: 'earth wire', earth: true };
  if (group.type === 'D') {
    return group.kv >= 0
      ? { colour: 'var(--dc-plus)', detail: `+ pole ${plain(group.kv)} kV`, pole: 1 }
      : { colour: 'var(--dc-minus)', detail: `− pole ${plain(-group.kv)} kV`, pole: -1 };
  }
  const angle = ((group.phase % 360) + 360) % 360;
  const nearest = [0, 120, 240, 360].reduce((a, b) => (Math.abs(b - angle) < Math.abs(a - angle) ? b : a));
  const colour = { 0: 'var(--phase-a)', 120: 'var(--phase-b)', 240: 'var(--phase-c)', 360: 'var(--phase-a)' }[nearest];
  return { colour, detail: `${plain(group.phase)}°` };
}

// Where a gradient's bar lies on its track, in percent of the track: from
// the zero line to the value. With a negative pole among the groups the
// zero line moves right, and a negative gradient runs left of it.
export function gradientBar(value, gradients) {
  const finite = gradients.filter(Number.isFinite);
  const high = Math.max(0, ...finite);
  const low = Math.min(0, ...finite);
  const span = Math.max(high - low, 1e-9);
  const zero = (-low / span) * 100;
  if (!Number.isFinite(value)) return { zero, start: zero, width: 0 };
  const length = (Math.abs(value) / span) * 100;
  return { zero, start: value < 0 ? zero - length : zero, width: length };
}
