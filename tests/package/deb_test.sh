#!/usr/bin/env bash
# The Debian package unpacked into a fresh root: its files where a user
# looks for them, its dependencies computed from the programs, its version
# the one the programs print, and the packaged tesk31 writing, on the
# example, the print and DIF files the build's tesk31 writes (the run's
# date line aside).
#   deb_test.sh PACKAGE.deb BUILD_FOLDER EXAMPLE.dat
set -uo pipefail
deb=$(realpath "$1") build=$(realpath "$2") example=$(realpath "$3")
root=$(mktemp -d "${TMPDIR:-/tmp}/brenlow-deb-XXXXXX")
trap 'rm -rf "$root"' EXIT
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

dpkg-deb -x "$deb" "$root/unpacked" || { echo "FAIL: dpkg-deb cannot unpack $deb" >&2; exit 1; }
doc=usr/share/doc/brenlow
for file in usr/bin/tesk31 usr/bin/tesk31-plot usr/bin/tesk31-study $doc/README.md \
            $doc/examples/$(basename "$example"); do
  [ -f "$root/unpacked/$file" ] || fail "the package lacks /$file"
done
[ -x "$root/unpacked/usr/bin/tesk31" ] || fail "/usr/bin/tesk31 is not executable"

version=$(dpkg-deb -f "$deb" Version)
depends=$(dpkg-deb -f "$deb" Depends)
[ "$(dpkg-deb -f "$deb" Package)" = brenlow ] || fail "the package is not named brenlow"
# The dependencies are the shared libraries the programs load: none when
# they are linked statically (as the release build links them), else each
# library's package.
needed=$(for program in tesk31 tesk31-plot tesk31-study; do
           readelf -d "$root/unpacked/usr/bin/$program" | sed -n 's/.*Shared library: \[\(.*\)\]/\1/p'
         done | sort -u)
if [ -z "$needed" ]; then
  [ -z "$depends" ] || fail "the programs load no shared library, yet Depends is \"$depends\""
else
  for library in $needed; do
    package=$(dpkg -S "*/$library" 2>/dev/null | head -n 1 | cut -d: -f1)
    [ -n "$package" ] && [[ "$depends" == *"$package"* ]] || fail "Depends ($depends) does not name the package of $library"
  done
fi
for program in tesk31 tesk31-plot tesk31-study; do
  shown=$("$root/unpacked/usr/bin/$program" --version)
  [ "$shown" = "$program (Brenlow) ${version%-*}" ] || fail "$program --version says \"$shown\", the package $version"
done
[[ "$(basename "$deb")" == "brenlow_${version}_"*.deb ]] || fail "the file name $(basename "$deb") lacks version $version"

# The run's date and time: the one line that may differ between two runs.
undated() { sed -E 's#^ {17}[ 0-9]{2}/[ 0-9]{2}/[0-9]{4} {10}[0-9]{2}:[0-9]{2}:[0-9]{2}\r$#(the date line)\r#' "$1"; }
for side in packaged built; do
  mkdir "$root/$side"
  cp "$example" "$root/$side/line.dat"
done
run() {  # side, program
  (cd "$root/$1" && "$2" line.dat run.prt run.dif > console.txt 2>&1 < /dev/null) ||
    fail "the $1 tesk31 failed: $(cat "$root/$1/console.txt")"
}
run packaged "$root/unpacked/usr/bin/tesk31"
run built "$build/tesk31"
for file in run.prt run.dif console.txt; do
  [ -s "$root/packaged/$file" ] || fail "the packaged tesk31 wrote no $file"
  cmp -s <(undated "$root/packaged/$file") <(undated "$root/built/$file") || fail "$file differs from the build's"
done

[ "$failures" -eq 0 ] && echo "$(basename "$deb"): installs and runs ($depends)"
exit $((failures > 0))
