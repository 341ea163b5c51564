#!/usr/bin/env bash
# The Windows programs run under wine against the native build's: on every
# bundled example tesk31.exe writes the print file, the DIF file and the
# console lines as tesk31 does (the run's date line aside), tesk31-plot.exe
# draws the same picture from that DIF file, and tesk31-study.exe prints and
# draws the same edge table; then the names only Windows has: drive letters
# and backslashes, names equal but for case, NUL; names outside the code
# page (an e acute, Cyrillic) taken by every program, on the command line
# and at tesk31's prompts; and the device names of Windows, refused by
# every program. Outputs are equal byte for byte.
#   programs_test.sh NATIVE_BUILD WINDOWS_BUILD EXAMPLES WINE...
set -uo pipefail
native=$1 windows=$2 examples=$3
shift 3
wine=("$@")
work=$(mktemp -d "${TMPDIR:-/tmp}/brenlow-windows-XXXXXX")
trap 'rm -rf "$work"' EXIT
failures=0 n=0

fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

# Wine's own lines (its error channel, its loader's messages) are no part
# of a program's output: on_windows moves them from OUTPUT to OUTPUT.wine,
# and said_by shows them with what the program wrote when it failed.
wine_lines='^([0-9a-f]{4}:)?(err|fixme|warn|trace):|^wine: '
on_windows() {  # folder, output file, program, arguments...
  local dir=$1 output=$2 status
  shift 2
  (cd "$dir" && "${wine[@]}" "$@" > "$output" 2>&1 </dev/null)
  status=$?
  grep -E "$wine_lines" "$dir/$output" > "$dir/$output.wine"
  sed -i -E "/$wine_lines/d" "$dir/$output"
  return $status
}
said_by() {  # folder, output file
  echo " (it wrote: $(head -c 600 "$1/$2" | tr -d '\r'); wine said: $(head -c 1500 "$1/$2.wine"))"
}

# The run's date and time: the one line that may differ between two runs.
undated() { sed -E 's#^ {17}[ 0-9]{2}/[ 0-9]{2}/[0-9]{4} {10}[0-9]{2}:[0-9]{2}:[0-9]{2}\r$#(the date line)\r#' "$1"; }

equal=0
same_bytes() {  # what, native file, windows file
  if cmp -s <(undated "$2") <(undated "$3"); then
    equal=$((equal + 1))
  else
    fail "$1 differs from the native build's"
    diff <(undated "$2") <(undated "$3") | head -6 >&2
  fi
}

# In a fresh folder holding the example as LINE.DAT: native program and
# Windows program, the same arguments.
for example in "$examples"/*.dat; do
  name=$(basename "$example" .dat)
  for side in native windows; do
    mkdir -p "$work/$name/$side"
    cp "$example" "$work/$name/$side/LINE.DAT"
  done
  (cd "$work/$name/native" && "$native/tesk31" LINE.DAT RUN.PRT RUN.DIF > console.txt 2>&1 </dev/null)
  status_native=$?
  on_windows "$work/$name/windows" console.txt "$windows/tesk31.exe" LINE.DAT RUN.PRT RUN.DIF
  status_windows=$?
  [ "$status_native" -eq 0 ] || fail "$name: native tesk31 exit status $status_native"
  [ "$status_windows" -eq 0 ] ||
    fail "$name: tesk31.exe exit status $status_windows$(said_by "$work/$name/windows" console.txt)"
  # A file without the combined report has no DIF file, on either side.
  outputs=(RUN.PRT console.txt)
  [ -s "$work/$name/native/RUN.DIF" ] && outputs+=(RUN.DIF)
  for file in "${outputs[@]}"; do
    [ -s "$work/$name/windows/$file" ] || fail "$name: tesk31.exe wrote no $file$(said_by "$work/$name/windows" console.txt)"
    same_bytes "$name: $file" "$work/$name/native/$file" "$work/$name/windows/$file"
  done
  if [ -s "$work/$name/native/RUN.DIF" ]; then
    (cd "$work/$name/native" && "$native/tesk31-plot" RUN.DIF -o RUN.SVG > /dev/null 2>&1)
    on_windows "$work/$name/windows" plot.txt "$windows/tesk31-plot.exe" RUN.DIF -o RUN.SVG
    status_windows=$?
    [ "$status_windows" -eq 0 ] && [ -s "$work/$name/windows/RUN.SVG" ] ||
      fail "$name: tesk31-plot.exe drew no picture, status $status_windows$(said_by "$work/$name/windows" plot.txt)"
    same_bytes "$name: RUN.SVG" "$work/$name/native/RUN.SVG" "$work/$name/windows/RUN.SVG"
  else
    [ ! -e "$work/$name/windows/RUN.DIF" ] || [ ! -s "$work/$name/windows/RUN.DIF" ] ||
      fail "$name: tesk31.exe wrote a DIF file the native build did not"
  fi
  (cd "$work/$name/native" && "$native/tesk31-study" edges LINE.DAT --at 30 --svg EDGES.SVG > edges.txt 2>&1)
  on_windows "$work/$name/windows" edges.txt "$windows/tesk31-study.exe" edges LINE.DAT --at 30 --svg EDGES.SVG
  status_windows=$?
  sed -i 's/\r$//' "$work/$name/windows/edges.txt"
  [ "$status_windows" -eq 0 ] && [ -s "$work/$name/windows/edges.txt" ] ||
    fail "$name: tesk31-study.exe printed no edge table, status $status_windows$(said_by "$work/$name/windows" edges.txt)"
  same_bytes "$name: edge table" "$work/$name/native/edges.txt" "$work/$name/windows/edges.txt"
  same_bytes "$name: EDGES.SVG" "$work/$name/native/EDGES.SVG" "$work/$name/windows/EDGES.SVG"
done

# Names only Windows has. Each case: the arguments, the exit status, and the
# file that must then hold the native print file ("-" for none).
first=$(ls "$examples"/*.dat | head -1)
reference="$work/$(basename "$first" .dat)/native/RUN.PRT"
cases=(
  "LINE.DAT|sub\\RUN.PRT|0|sub/RUN.PRT"
  "@DIR@\\LINE.DAT|@DIR@\\sub\\Out.Prt|0|sub/Out.Prt"
  "line.dat|nul|0|-"
  "LINE.DAT|Nul|0|-"
  "LINE.DAT|PRN|2|-"  # the printer device, which wine lacks: a clear failure
  "LINE.DAT|line.dat|2|-"
  "LINE.DAT|.\\Line.Dat|2|-"
)
for case in "${cases[@]}"; do
  IFS='|' read -r data print status expected <<< "$case"
  dir="$work/names-$((++n))"
  mkdir -p "$dir/sub"
  cp "$first" "$dir/LINE.DAT"
  windows_dir=$("${wine[@]}" winepath -w "$dir" 2>/dev/null | tr -d '\r')
  data=${data//@DIR@/$windows_dir} print=${print//@DIR@/$windows_dir}
  on_windows "$dir" console.txt "$windows/tesk31.exe" "$data" "$print"
  got=$?
  [ "$got" -eq "$status" ] || fail "tesk31.exe $data $print: exit status $got, not $status$(said_by "$dir" console.txt)"
  cmp -s "$first" "$dir/LINE.DAT" || fail "tesk31.exe $data $print: the data file was changed"
  if [ "$expected" != - ]; then
    same_bytes "tesk31.exe $data $print: $expected" "$reference" "$dir/$expected"
  fi
  leftover=$(cd "$dir" && ls -A | grep -v -x -e LINE.DAT -e sub -e console.txt -e console.txt.wine -e "$expected")
  [ -z "$leftover" ] || fail "tesk31.exe $data $print: left $leftover"
done

# Names outside the code page, from the command line and typed at the
# prompts: each output is found on the disk under its name and holds what
# the native program writes under the same names.
accent=ligne_é cyrillic=линия
native_dif="$work/$(basename "$first" .dat)/native/RUN.DIF"
for side in native windows; do
  mkdir -p "$work/unicode/$side/u"
  cp "$first" "$work/unicode/$side/u/$accent.dat"
  cp "$first" "$work/unicode/$side/$cyrillic.dat"
done
unicode_run() {  # side, what, program, arguments...: the status in $got
  local side=$1 what=$2 program=$3
  shift 3
  if [ "$side" = native ]; then
    (cd "$work/unicode/native" && "$native/$program" "$@" 2> "$what.err" < "${answers:-/dev/null}" |
      tr -d '\r' > "$what.out"; exit "${PIPESTATUS[0]}")
  else
    (cd "$work/unicode/windows" && "${wine[@]}" "$windows/$program.exe" "$@" 2> "$what.err" < "${answers:-/dev/null}" |
      tr -d '\r' > "$what.out"; exit "${PIPESTATUS[0]}")
  fi
  got=$?
  [ "$got" -eq 0 ] || fail "$program $* ($side): exit status $got ($(cat "$work/unicode/$side/$what.err"))"
}
# The print file, the data file menu's 1, the data file, keep its report
# options, the DIF file.
printf '%s\n' "отчёт.prt" 1 "$cyrillic.dat" N "отчёт.dif" > "$work/unicode/answers.txt"
for side in native windows; do
  slash=/
  [ "$side" = windows ] && slash='\'
  unicode_run "$side" tesk31-accent tesk31 "u$slash$accent.dat" "$accent.prt" "$accent.dif"
  unicode_run "$side" tesk31-cyrillic tesk31 "$cyrillic.dat" "$cyrillic.prt" "$cyrillic.dif"
  answers="$work/unicode/answers.txt" unicode_run "$side" tesk31-prompts tesk31
  unicode_run "$side" plot tesk31-plot "$cyrillic.dif" -o "профиль.svg" --csv "таблица.csv"
  unicode_run "$side" plot-beside tesk31-plot "$accent.dif"
  unicode_run "$side" edges tesk31-study edges "$cyrillic.dat" --at 30 --svg "края.svg" --csv "края.csv"
  unicode_run "$side" run tesk31-study run "u$slash$accent.dat" "$cyrillic.dat" --out "вывод"
done
for file in "$accent.prt" "$accent.dif" "$cyrillic.prt" "$cyrillic.dif" "отчёт.prt" "отчёт.dif" "профиль.svg" "таблица.csv" \
            "$accent.svg" "края.svg" "края.csv" "вывод/$accent.prt" "вывод/$cyrillic.prt" "вывод/$cyrillic.dif"; do
  if [ -s "$work/unicode/windows/$file" ]; then
    same_bytes "unicode: $file" "$work/unicode/native/$file" "$work/unicode/windows/$file"
  else
    fail "unicode: no $file on the disk: $(cd "$work/unicode/windows" && ls -R | tr '\n' ' ')"
  fi
done
# What the programs print of the names, to a pipe: the same bytes as the
# native programs print (tesk31's echo of its files, the files written).
for what in tesk31-cyrillic tesk31-prompts plot edges run; do
  same_bytes "unicode: $what console" "$work/unicode/native/$what.out" "$work/unicode/windows/$what.out"
done
grep -q "Using input file: $cyrillic.dat" "$work/unicode/windows/tesk31-cyrillic.out" ||
  fail "unicode: tesk31.exe did not show $cyrillic.dat"

# The device names of Windows: every program refuses them with status 2 and
# a message, and makes no file. NUL and PRN alone stay tesk31's devices
# (above).
device_cases=(
  "tesk31|LINE.DAT|com1.prt"
  "tesk31|LINE.DAT|CON"
  "tesk31|LINE.DAT|RUN.PRT|aux.dif"
  "tesk31|lpt1|RUN.PRT"
  "tesk31|Nul|RUN.PRT"  # NUL is tesk31's device for outputs only
  "tesk31|LINE.DAT|sub\\Nul.prt"
  "tesk31|LINE.DAT|CONOUT\$.prt"
  "tesk31|LINE.DAT|COM¹.prt"
  "tesk31-plot|RUN.DIF|--csv|aux.csv"
  "tesk31-plot|RUN.DIF|-o|Con.svg"
  "tesk31-plot|lpt9.dif"
  "tesk31-study|edges|LINE.DAT|--at|30|--csv|AUX.CSV"
  "tesk31-study|edges|LINE.DAT|--at|30|--svg|conin\$.svg"
  "tesk31-study|edges|nul.dat|--at|30"
  "tesk31-study|run|aux.dat|--out|out"
  "tesk31-study|run|LINE.DAT|--out|com2"
  "tesk31|-|aux.prt"  # the print file typed at the prompt
)
for case in "${device_cases[@]}"; do
  IFS='|' read -r -a words <<< "$case"
  program=${words[0]} arguments=("${words[@]:1}")
  dir="$work/devices-$((++n))"
  mkdir -p "$dir/sub"
  cp "$first" "$dir/LINE.DAT"
  cp "$native_dif" "$dir/RUN.DIF"
  answers=/dev/null
  if [ "${arguments[0]}" = - ]; then
    printf '%s\n' "${arguments[1]}" > "$dir/answers.txt"
    answers="$dir/answers.txt" arguments=()
  fi
  (cd "$dir" && "${wine[@]}" "$windows/$program.exe" "${arguments[@]}" > console.txt 2> errors.txt < "$answers")
  got=$?
  [ "$got" -eq 2 ] || fail "$program.exe ${arguments[*]}: exit status $got, not 2"
  grep -q "names a device of Windows, not a file" "$dir/errors.txt" ||
    fail "$program.exe ${arguments[*]}: no message naming the device: $(cat "$dir/errors.txt")"
  leftover=$(cd "$dir" && ls -A | grep -v -x -e LINE.DAT -e RUN.DIF -e sub -e console.txt -e errors.txt -e answers.txt)
  [ -z "$leftover" ] || fail "$program.exe ${arguments[*]}: left $leftover"
done

echo "$equal outputs equal to the native build's byte for byte"
exit $((failures > 0))
