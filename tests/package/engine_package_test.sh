#!/usr/bin/env bash
# The engine's package as docs/engine.md shows it: installed into a fresh
# prefix by the page's own install commands, then the page's program built
# with the page's CMakeLists.txt (find_package) and with the page's
# pkg-config command, each run on the bundled example and printing the
# lines the page shows. HOME is the temporary folder, so "$HOME/brenlow"
# on the page is a prefix that goes away with it.
#   engine_package_test.sh REPOSITORY BUILD_FOLDER
set -uo pipefail
root=$(realpath "$1") build=$(realpath "$2")
work=$(mktemp -d "${TMPDIR:-/tmp}/brenlow-engine-package-XXXXXX")
trap 'rm -rf "$work"' EXIT
failures=0
fail() { printf 'FAIL: %b\n' "$*" >&2; failures=$((failures + 1)); }

# The fenced blocks of the page, one file each: block-N.LANGUAGE.
python3 - "$root/docs/engine.md" "$work/blocks" <<'PYTHON' || exit 1
import pathlib, re, sys
text = pathlib.Path(sys.argv[1]).read_text(encoding="utf-8")
out = pathlib.Path(sys.argv[2])
out.mkdir()
for n, (language, body) in enumerate(re.findall(r"^```(\w*)\n(.*?)^```", text, re.S | re.M)):
    (out / f"block-{n:02d}.{language or 'none'}").write_text(body)
PYTHON
# The block of `language` holding `words` (exactly one).
block() {
  local found
  found=$(grep -l -F -- "$2" "$work"/blocks/*."$1")
  [ "$(printf '%s\n' "$found" | grep -c .)" = 1 ] || { echo "FAIL: no one $1 block of the page holds \"$2\"" >&2; exit 1; }
  echo "$found"
}
install_commands=$(block sh "cmake --install")
program=$(block cpp "int main(")
cmake_lists=$(block cmake "find_package(Brenlow")
cmake_commands=$(block sh "cmake -S . -B build")
pkg_config_commands=$(block sh "pkg-config")
expected=$(block text "E at 30 m")

export HOME="$work/home"
mkdir -p "$HOME/repository" "$work/cmake" "$work/pkg-config"
# The page's install commands run where `build` is this build folder.
ln -s "$build" "$HOME/repository/build"
(cd "$HOME/repository" && bash -e "$install_commands") > "$work/install.log" 2>&1 ||
  { fail "the page's install commands failed:"; cat "$work/install.log" >&2; exit 1; }
for file in lib/libbrenlow.a include/brenlow/engine.hpp lib/cmake/Brenlow/BrenlowConfig.cmake lib/pkgconfig/brenlow.pc; do
  [ -f "$HOME/brenlow/$file" ] || fail "the install lacks $file"
done

for way in cmake pkg-config; do
  dir="$work/$way"
  cp "$program" "$dir/line.cpp"
  cp "$cmake_lists" "$dir/CMakeLists.txt"
  ln -s "$root/examples" "$dir/examples"
  commands=$([ "$way" = cmake ] && echo "$cmake_commands" || echo "$pkg_config_commands")
  if (cd "$dir" && bash -e "$commands") > "$dir/output.txt" 2> "$dir/errors.txt"; then
    # What the program printed: the build tools' lines come first.
    tail -n "$(wc -l < "$expected")" "$dir/output.txt" | cmp -s - "$expected" ||
      fail "with $way the program printed:\n$(cat "$dir/output.txt")\nnot:\n$(cat "$expected")"
    [ -f "$dir/raised.dat" ] || fail "with $way the program wrote no raised.dat"
  else
    fail "building and running with $way failed:\n$(cat "$dir/output.txt" "$dir/errors.txt")"
  fi
done
[ "$failures" = 0 ] && echo "engine package: installed, built with CMake and pkg-config, run: as the page shows"
exit $((failures > 0))
