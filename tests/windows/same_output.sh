#!/usr/bin/env bash
# Two programs, the native one and the Windows one under wine, must print
# the same lines (line ends aside).
#   same_output.sh NATIVE_PROGRAM WINDOWS_PROGRAM ARGUMENTS -- WINE...
set -uo pipefail
native=$1 windows=$2
shift 2
arguments=()
while [ $# -gt 0 ] && [ "$1" != -- ]; do arguments+=("$1"); shift; done
shift
diff <("$native" "${arguments[@]}") <("$@" "$windows" "${arguments[@]}" | tr -d '\r')
