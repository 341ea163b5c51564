#!/usr/bin/env bash
# Whole runs of the programs, as a user starts them (make bench runs this
# after the benchmark programs):
#  - instructions of one whole tesk31 process (callgrind, start-up
#    included) on the small field-only data file and the 50-group line;
#  - 300 varied data files: one tesk31 process per file against one
#    `tesk31-study run` of them all, in the same run, and every print and
#    DIF file compared (the date line aside).
# Usage: bench/whole_runs.sh BUILD-DIR
set -euo pipefail

build=$(cd "${1:-build}" && pwd)
root=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

echo "== whole tesk31 process (callgrind instructions, start-up included)"
if command -v valgrind >/dev/null 2>&1; then
  for deck in example_english hybrid_line; do
    (cd "$work" && valgrind --tool=callgrind --callgrind-out-file=cg.out "$build/tesk31" \
      "$root/tests/data/e2e/$deck.dat" "$deck.prt" "$deck.dif" >/dev/null 2>cg.log)
    printf '%-18s %12s instructions\n' "$deck.dat" "$(sed -n 's/.*Collected : //p' "$work/cg.log")"
  done
else
  echo "(valgrind is not installed: no instruction counts)"
fi

echo "== 300 varied data files: a tesk31 process each, and one tesk31-study run"
# The bundled files in turn, each copy's conductor heights raised a little
# (field 4 of a conductor record), so that no two runs are alike.
mkdir -p "$work/data" "$work/single" "$work/study"
bases=("$root"/examples/*.dat "$root"/tests/data/e2e/*.dat "$root"/tests/data/engine/*.dat "$root"/tests/data/study/*.dat)
for i in $(seq 1 300); do
  base=${bases[$(( (i - 1) % ${#bases[@]} ))]}
  awk -v raise="$(awk -v i="$i" 'BEGIN { printf "%.2f", (i % 37) * 0.05 }')" -F, -v OFS=, '
    /^ *\047/ && NF >= 5 { $4 = sprintf("%8.2f", $4 + raise) } { print }' "$base" >"$work/data/line$i.dat"
done
ls "$work"/data/*.dat >"$work/list.txt"

start=$(date +%s.%N)
while read -r file; do
  name=$(basename "$file" .dat)
  "$build/tesk31" "$file" "$work/single/$name.prt" "$work/single/$name.dif" >/dev/null 2>&1 || true
done <"$work/list.txt"
middle=$(date +%s.%N)
"$build/tesk31-study" run --list "$work/list.txt" --out "$work/study" >/dev/null 2>"$work/study.err" || true
end=$(date +%s.%N)

different=0
for file in "$work"/single/*; do
  other="$work/study/$(basename "$file")"
  if ! cmp -s <(grep -av '^ *[0-9]*/ *[0-9]*/[0-9]* *[0-9][0-9]:[0-9][0-9]:[0-9][0-9].$' "$file") \
              <(grep -av '^ *[0-9]*/ *[0-9]*/[0-9]* *[0-9][0-9]:[0-9][0-9]:[0-9][0-9].$' "$other" 2>/dev/null); then
    different=$((different + 1))
  fi
done
count_single=$(ls "$work/single" | wc -l)
count_study=$(ls "$work/study" | wc -l)
awk -v a="$start" -v b="$middle" -v c="$end" -v cores="$(nproc)" 'BEGIN {
  printf "one tesk31 per file  %7.3f s  (%.2f ms a file)\n", b - a, (b - a) * 1000 / 300
  printf "tesk31-study run     %7.3f s  (%.2f ms a file, %d cores): %.2f of the time\n", c - b, (c - b) * 1000 / 300, cores, (c - b) / (b - a)
}'
echo "files: $count_single from tesk31, $count_study from tesk31-study run, $different differing (date line aside)"
[ "$different" -eq 0 ] && [ "$count_single" -eq "$count_study" ]
