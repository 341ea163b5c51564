#!/usr/bin/env bash
# make test runs every suite though one fails before the others, lists each
# suite's result, and fails; with every suite passing it passes.
#   suites_test.sh SOURCE_FOLDER
set -uo pipefail
source=$1
here=$(cd "$(dirname "$0")" && pwd)
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
# A make of its own, not one of the make that may run these tests.
run() { env -u MAKEFLAGS -u MFLAGS -u MAKELEVEL make -s -C "$source" -f Makefile -f "$here/suites.mk" test TEST_SUITES="$1" 2>&1; }

out=$(run "suite-passes suite-fails suite-after")
status=$?
[ "$status" -ne 0 ] || fail "a failed suite, yet make test ended with status 0"
for suite in suite-passes suite-fails suite-after; do
  grep -q "^ran $suite\$" <<< "$out" || fail "$suite did not run"
done
grep -Eq '^  suite-passes +passed +[0-9]+ min [0-9]{2} s$' <<< "$out" || fail "no passed line for suite-passes"
grep -Eq '^  suite-fails +FAILED ' <<< "$out" || fail "no FAILED line for suite-fails"
grep -Eq '^  suite-after +passed ' <<< "$out" || fail "no passed line for suite-after"
grep -q '^make test: failed: suite-fails$' <<< "$out" || fail "the failed suites are not named"

out=$(run "suite-passes suite-after")
[ $? -eq 0 ] || fail "every suite passed, yet make test failed: $out"
grep -q '^make test: every suite passed$' <<< "$out" || fail "no closing line when every suite passed"

[ "$failures" -eq 0 ] || { echo "$out" >&2; exit 1; }
echo "make test runs every suite and lists each"
