#!/usr/bin/env bash
# Makes the build's wine prefix whole before any Windows program runs in
# it. A new prefix is filled by wineboot, whose services go on writing it
# after the program that started them has returned; a program started
# meanwhile may end at once, having written nothing. So: wineboot, then
# wineserver -w, which returns when the prefix's last process has ended and
# the server has saved the registry; then the program's --version, and the
# server awaited again.
#   wine_prefix.sh PROGRAM.exe WINESERVER -- ENV... WINE
# (ENV... WINE: the build's emulator, `cmake -E env WINEPREFIX=... wine`;
# wineserver runs in the same environment.)
set -uo pipefail
program=$1 wineserver=$2
shift 3
wine=("$@")
environment=("${wine[@]:0:$((${#wine[@]} - 1))}")

said=$("${wine[@]}" wineboot --init 2>&1)
status=$?
"${environment[@]}" "$wineserver" -w
if [ "$status" -ne 0 ]; then
  echo "FAIL: wineboot --init ended with status $status: $said" >&2
  exit 1
fi
shown=$("${wine[@]}" "$program" --version 2>&1)
status=$?
"${environment[@]}" "$wineserver" -w
version=$(grep '(Brenlow) ' <<< "$shown")
if [ "$status" -ne 0 ] || [ -z "$version" ]; then
  echo "FAIL: $(basename "$program") --version under wine: status $status, it and wine said: $shown" >&2
  exit 1
fi
echo "wine prefix ready: $version"
