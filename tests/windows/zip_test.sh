#!/usr/bin/env bash
# The Windows zip holds, beside the three programs, the licence of every
# library they hold: each file there, and each the licence of what it is
# named after (a phrase only that licence has).
#   zip_test.sh ZIP
set -uo pipefail
zip=$1
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
[ -f "$zip" ] || { echo "FAIL: no zip at $zip (make windows makes it)" >&2; exit 1; }
listing=$(unzip -Z1 "$zip") || { echo "FAIL: unzip cannot read $zip" >&2; exit 1; }
top=$(head -n 1 <<< "$listing" | cut -d/ -f1)

for program in tesk31.exe tesk31-plot.exe tesk31-study.exe; do
  grep -qx "$top/$program" <<< "$listing" || fail "the zip lacks $program"
done
while IFS='|' read -r file phrase; do
  if ! grep -qx "$top/$file" <<< "$listing"; then
    fail "the zip lacks $file"
  elif ! grep -qF "$phrase" <<< "$(unzip -p "$zip" "$top/$file")"; then
    fail "$file does not hold \"$phrase\""
  fi
done <<'LICENCES'
COPYING.glibc.txt|GNU LESSER GENERAL PUBLIC LICENSE
COPYING.libstdc++.txt|GCC RUNTIME LIBRARY EXCEPTION
COPYING.libstdc++.txt|TERMS AND CONDITIONS
COPYING.mingw-w64.txt|mingw-w64-crt
COPYING.mingw-w64.txt|mingw-w64-libraries/winpthreads
COPYING.fmt.txt|Victor Zverovich
COPYING.fast_float.txt|Daniel Lemire
LICENCES

[ "$failures" -eq 0 ] || exit 1
echo "the zip holds the programs and the licences of the libraries in them"
