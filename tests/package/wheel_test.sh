#!/usr/bin/env bash
# The wheel installed into a fresh virtual environment, offline: its name
# carries the interpreter's tag (an extension module, not a pure-Python
# wheel); the module imports from the environment; the three programs are
# on the environment's PATH, print the release, run the bundled example
# and keep their exit status; the Python tests pass against the installed
# module and programs; the licences of the libraries in the programs come
# along; uninstalling removes the programs too.
#   wheel_test.sh WHEEL PYTHON SCRATCH_FOLDER SOURCE_FOLDER
set -uo pipefail
wheel=$(realpath "$1") python=$2 scratch=$3 source=$(realpath "$4")
version=$(sed -n 's/^project.brenlow VERSION \([0-9.]*\).*/\1/p' "$source/CMakeLists.txt")
tag=$("$python" -c 'import sys; print("cp%d%d" % sys.version_info[:2])')
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

expected="brenlow-$version-$tag-$tag-linux_$(uname -m).whl"
[ "$(basename "$wheel")" = "$expected" ] || fail "the wheel is $(basename "$wheel"), not $expected"

rm -rf "$scratch" && mkdir -p "$scratch/run" && scratch=$(realpath "$scratch")
trap 'rm -rf "$scratch"' EXIT
venv=$scratch/venv
# Debian's numpy and pytest come from the system's packages; nothing is fetched.
"$python" -m venv --system-site-packages "$venv" || { echo "FAIL: no virtual environment" >&2; exit 1; }
"$venv/bin/pip" install -q --no-cache-dir --no-index "$wheel" || { echo "FAIL: pip cannot install $wheel" >&2; exit 1; }

cd "$scratch/run" || exit 1
export PATH="$venv/bin:$PATH"
"$venv/bin/python" -c 'import brenlow, pathlib, sys
module = pathlib.Path(brenlow.__file__)
assert module.is_relative_to(sys.prefix), module
assert (module.parent / "brenlow.pyi").is_file(), "no type stub beside " + str(module)
assert brenlow.__version__ == sys.argv[1], brenlow.__version__' "$version" || fail "brenlow is not the wheel's module"

# The programs hold the C and C++ libraries statically: their licences come along.
licences=$(find "$venv" -path "*brenlow-$version.dist-info/*copyright" | head -n 1)
[ -n "$licences" ] && grep -q "GCC Runtime Library Exception" "$licences" \
  || fail "the wheel's metadata holds no copyright file with the licences of the libraries in the programs"

for program in tesk31 tesk31-plot tesk31-study; do
  [ "$(command -v "$program")" = "$venv/bin/$program" ] || fail "$program on the PATH is $(command -v "$program"), not the environment's"
  shown=$("$program" --version 2>&1)
  [ "$shown" = "$program (Brenlow) $version" ] || fail "$program --version shows \"$shown\""
done

tesk31 "$source/examples/500kv_flat.dat" out.prt out.dif >console.txt 2>&1 || fail "tesk31 failed on the example: $(cat console.txt)"
grep -aq "500 KV SINGLE CIRCUIT FLAT LINE" out.prt || fail "tesk31 wrote no print file of the example"
tesk31-plot out.dif -o out.svg >/dev/null 2>&1 && grep -q "<svg" out.svg || fail "tesk31-plot drew no profile of the example's run"
tesk31 missing.dat missing.prt missing.dif >/dev/null 2>&1
status=$?
[ "$status" -eq 2 ] || fail "tesk31 on a missing data file ended with status $status, not 2"

TESK31=$venv/bin/tesk31 TESK31_STUDY=$venv/bin/tesk31-study PYTHONDONTWRITEBYTECODE=1 \
  "$venv/bin/python" -m pytest -q -p no:cacheprovider --basetemp="$scratch/pytest-tmp" "$source/python/tests" ${PYTEST_ARGS:-} \
  || fail "the Python tests fail against the installed wheel"

"$venv/bin/pip" uninstall -q -y brenlow || fail "pip cannot uninstall brenlow"
for program in tesk31 tesk31-plot tesk31-study; do
  [ ! -e "$venv/bin/$program" ] || fail "pip uninstall left $program in the environment"
done

[ "$failures" -eq 0 ] || exit 1
echo "the wheel installs, its programs run from the environment's PATH, the Python tests pass against it"
