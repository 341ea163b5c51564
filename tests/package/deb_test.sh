#!/usr/bin/env bash
# The Debian package unpacked into a fresh root: its files where a user
# looks for them, its dependencies computed from the programs, its version
# the one the programs print, the explorer's page and the command
# brenlow-explorer that opens it in a browser, and the packaged tesk31 writing, on the
# example, the print and DIF files the build's tesk31 writes (the run's
# date line aside). What Debian expects is there: the copyright file with
# the licences of the libraries the programs hold, the changelog of this
# version, a manual page for each program; lintian finds no error.
# With WEB_BUILD (the explorer's build folder), the packaged page is opened
# in headless chromium from the disk and checked against the served page's
# numbers (web/test/file-page.test.mjs).
#   deb_test.sh PACKAGE.deb BUILD_FOLDER EXAMPLE.dat [WEB_BUILD]
set -uo pipefail
deb=$(realpath "$1") build=$(realpath "$2") example=$(realpath "$3") web_build=${4:+$(realpath "$4")}
repo=$(cd "$(dirname "$0")/../.." && pwd)
root=$(mktemp -d "${TMPDIR:-/tmp}/brenlow-deb-XXXXXX")
trap 'rm -rf "$root"' EXIT
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

dpkg-deb -x "$deb" "$root/unpacked" || { echo "FAIL: dpkg-deb cannot unpack $deb" >&2; exit 1; }
doc=usr/share/doc/brenlow
page=usr/share/brenlow/explorer.html
for file in usr/bin/tesk31 usr/bin/tesk31-plot usr/bin/tesk31-study usr/bin/brenlow-explorer $page $doc/README.md \
            $doc/examples/$(basename "$example"); do
  [ -f "$root/unpacked/$file" ] || fail "the package lacks /$file"
done
for program in tesk31 brenlow-explorer; do
  [ -x "$root/unpacked/usr/bin/$program" ] || fail "/usr/bin/$program is not executable"
done

version=$(dpkg-deb -f "$deb" Version)
depends=$(dpkg-deb -f "$deb" Depends)
[ "$(dpkg-deb -f "$deb" Package)" = brenlow ] || fail "the package is not named brenlow"
# The dependencies are sensible-utils (brenlow-explorer's sensible-browser)
# and the shared libraries the programs load: none when they are linked
# statically (as the release build links them), else each library's package.
[[ "$depends" == sensible-utils* ]] || fail "Depends ($depends) does not start with sensible-utils"
libraries=${depends#sensible-utils}
libraries=${libraries#, }
[ "$(dpkg-deb -f "$deb" Recommends)" = xdg-utils ] || fail "the package does not recommend xdg-utils"
needed=$(for program in tesk31 tesk31-plot tesk31-study; do
           readelf -d "$root/unpacked/usr/bin/$program" | sed -n 's/.*Shared library: \[\(.*\)\]/\1/p'
         done | sort -u)
if [ -z "$needed" ]; then
  [ -z "$libraries" ] || fail "the programs load no shared library, yet Depends is \"$depends\""
else
  for library in $needed; do
    package=$(dpkg -S "*/$library" 2>/dev/null | head -n 1 | cut -d: -f1)
    [ -n "$package" ] && [[ "$depends" == *"$package"* ]] || fail "Depends ($depends) does not name the package of $library"
  done
fi
for program in tesk31 tesk31-plot tesk31-study brenlow-explorer; do
  shown=$("$root/unpacked/usr/bin/$program" --version)
  [ "$shown" = "$program (Brenlow) ${version%-*}" ] || fail "$program --version says \"$shown\", the package $version"
done
[[ "$(basename "$deb")" == "brenlow_${version}_"*.deb ]] || fail "the file name $(basename "$deb") lacks version $version"

# The copyright file, machine-readable, names the licences of the libraries
# linked into the programs.
copyright="$root/unpacked/$doc/copyright"
if [ -f "$copyright" ]; then
  head -n 1 "$copyright" | grep -q '^Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' ||
    fail "/$doc/copyright is not in Debian's machine-readable format"
  for licence in 'LGPL-2.1+' 'GPL-3+ with GCC-exception-3.1 exception' 'Expat-with-fmt-exception' 'Apache-2.0'; do
    grep -q "^License: $licence\$" "$copyright" || fail "/$doc/copyright lacks the licence $licence"
  done
else
  fail "the package lacks /$doc/copyright"
fi
# The changelog: compressed without a name or a time (gzip -9n), its last
# entry this version.
changelog="$root/unpacked/$doc/changelog.Debian.gz"
if [ -f "$changelog" ]; then
  [ "$(od -An -tx1 -j3 -N5 "$changelog" | tr -d ' ')" = 0000000000 ] ||
    fail "/$doc/changelog.Debian.gz keeps a file name or a time (gzip -9n)"
  logged=$(gzip -dc "$changelog" | dpkg-parsechangelog -l- -SVersion 2>&1)
  [ "$logged" = "$version" ] || fail "the changelog's last entry is $logged, the package $version"
else
  fail "the package lacks /$doc/changelog.Debian.gz"
fi
# A manual page for each program, of this version; the pages of the
# programs that have --help show its usage line.
for program in tesk31 tesk31-plot tesk31-study brenlow-explorer; do
  man_page="$root/unpacked/usr/share/man/man1/$program.1.gz"
  if [ ! -f "$man_page" ]; then
    fail "the package lacks /usr/share/man/man1/$program.1.gz"
    continue
  fi
  text=$(gzip -dc "$man_page")
  grep -q "^\.TH ${program^^} \"1\" .* \"Brenlow ${version%-*}\" " <<< "$text" ||
    fail "$program.1 is not the page of $program ${version%-*}"
  grep -q -F "$program \\- " <<< "$text" || fail "$program.1 has no NAME line"
  if [ "$program" != tesk31 ]; then
    grep -q -F "usage: ${program//-/\\-} " <<< "$text" || fail "$program.1 does not hold $program --help"
  fi
done
if command -v lintian > /dev/null; then
  # lintian unpacks into the temporary folder: give it ours.
  found=$(TMPDIR="$root" lintian --fail-on error --tag-display-limit 0 "$deb" 2>&1)
  status=$?
  found=$(grep -v '^running with root privileges' <<< "$found")
  [ "$status" -eq 0 ] || fail "lintian finds errors (status $status):"$'\n'"$found"
  [ -z "$found" ] || echo "lintian: $found"
else
  fail "lintian is not installed (.ci/install-build-tools installs it)"
fi

# brenlow-explorer hands the page's file URL to the browser $BROWSER names
# (the first of a list found), else to xdg-open, else to sensible-browser;
# with none of them it says so and fails. The browsers here are stand-ins
# that write down what they were given, alone on the PATH (the command
# needs nothing else).
mkdir "$root/bin"
for opener in chosen xdg-open sensible-browser; do
  printf '#!/bin/sh\necho "%s $*" > "%s/opened"\n' "$opener" "$root" > "$root/bin/$opener"
  chmod +x "$root/bin/$opener"
done
url="file://$(cd "$root/unpacked/usr/share/brenlow" && pwd -P)/explorer.html"
opens() {  # BROWSER, PATH, the stand-in expected to open the page (none: none found)
  rm -f "$root/opened"
  local said status opened
  said=$(env -i PATH="$2" ${1:+BROWSER="$1"} "$root/unpacked/usr/bin/brenlow-explorer" 2>&1)
  status=$?
  opened=$(cat "$root/opened" 2>/dev/null)
  local case=" (BROWSER \"$1\", PATH $2)"
  if [ "$3" = none ]; then
    [ "$status" -eq 1 ] && [ -z "$opened" ] && [[ "$said" == *"no web browser found"*"$url"* ]] ||
      fail "brenlow-explorer, finding no browser, ended with status $status, opened \"$opened\", said: $said$case"
  else
    [ "$status" -eq 0 ] && [ "$opened" = "$3 $url" ] ||
      fail "brenlow-explorer ended with status $status, opened \"$opened\", not \"$3 $url\"$case: $said"
  fi
}
opens chosen "$root/bin" chosen
opens missing:chosen "$root/bin" chosen
opens missing "$root/bin" xdg-open
opens '' "$root/bin" xdg-open
opens '' "$root/none" none
rm "$root/bin/xdg-open"
opens '' "$root/bin" sensible-browser

if [ -n "$web_build" ]; then
  (cd "$repo/web" && BRENLOW_WEB="$web_build" BRENLOW_FILE_PAGE="$root/unpacked/$page" node --test test/file-page.test.mjs) ||
    fail "the packaged explorer's page does not show the served page's numbers"
fi

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
