#!/usr/bin/env python3
"""Whether two outputs of a program hold the same text but for the last
digits of numbers: the same records (CR LF and all), the same words and
blanks between them, and numbers whose values differ by at most three units
of the last digit written, or by one part in 10^5 (a DIF file's sixteen
digits). Two builds whose math libraries round transcendental
functions differently produce such outputs.
    same_text.py NATIVE WINDOWS    exit status 0 when alike; the first
                                   difference beyond that on stderr"""
import re
import sys

NUMBER = re.compile(rb"^[-+]?(\d*)\.?(\d*)(?:[EeDd]([-+]?\d+))?$")


def last_unit(token):
    match = NUMBER.match(token)
    exponent = int(match.group(3)) if match.group(3) else 0
    return 10.0 ** (exponent - len(match.group(2)))


def alike(a, b):
    if a == b:
        return True
    if not (NUMBER.match(a) and NUMBER.match(b) and re.search(rb"\d", a) and re.search(rb"\d", b)):
        return False
    try:
        x, y = float(a.replace(b"D", b"E")), float(b.replace(b"D", b"E"))
    except ValueError:
        return False
    return abs(x - y) <= 3 * max(last_unit(a), last_unit(b)) or abs(x - y) <= 1e-5 * max(abs(x), abs(y))


def main(native, windows):
    a, b = open(native, "rb").read().split(b"\n"), open(windows, "rb").read().split(b"\n")
    if len(a) != len(b):
        return f"{len(b)} records, the native build's {len(a)}"
    for number, (x, y) in enumerate(zip(a, b), 1):
        if x == y:
            continue
        # Words end at blanks and commas, and in a picture at the quotes and
        # brackets around attribute values and texts.
        wx, wy = re.split(rb'(\s+|,|"|=|<|>)', x), re.split(rb'(\s+|,|"|=|<|>)', y)
        if len(wx) != len(wy) or not all(alike(p, q) for p, q in zip(wx, wy)):
            return f"record {number}:\n  native:  {x!r}\n  windows: {y!r}"
    return None


if __name__ == "__main__":
    difference = main(sys.argv[1], sys.argv[2])
    if difference:
        print(difference, file=sys.stderr)
    sys.exit(1 if difference else 0)
