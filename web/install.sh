#!/usr/bin/env bash
# Installs what the explorer's build and tests need, when it is missing:
# Debian's emscripten and chromium (node and npm too on a machine without
# them), the source of this machine's C library (glibc-source: the module
# takes its float functions from it, third_party/glibc-float), and the
# pinned npm packages of web/package-lock.json. Quiet when everything is
# there.
set -euo pipefail
cd "$(dirname "$0")"

need=()
command -v em++ >/dev/null 2>&1 || need+=(emscripten)
command -v chromium >/dev/null 2>&1 || need+=(chromium)
command -v node >/dev/null 2>&1 || need+=(nodejs)
command -v npm >/dev/null 2>&1 || need+=(npm)
libc=$(getconf GNU_LIBC_VERSION)
[ -e "/usr/src/glibc/glibc-${libc#glibc }.tar.xz" ] || need+=(glibc-source)
if [ ${#need[@]} -gt 0 ]; then
  echo "Installing ${need[*]} ..."
  sudo_cmd=""
  [ "$(id -u)" -eq 0 ] || sudo_cmd="sudo"
  # Another apt-get may hold the lock for a while: wait for it.
  for attempt in 1 2 3 4 5 6 7 8 9 10; do
    if $sudo_cmd apt-get update -q >/dev/null &&
       DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -q "${need[@]}" >/dev/null; then
      break
    fi
    [ "$attempt" -lt 10 ] || { echo "install.sh: apt-get failed" >&2; exit 1; }
    sleep 15
  done
fi

# The npm packages exactly as locked; the browser is Debian's, never a download.
if ! [ node_modules/.package-lock.json -nt package-lock.json ]; then
  echo "Installing the npm packages of web/package-lock.json ..."
  PUPPETEER_SKIP_DOWNLOAD=1 npm ci --no-audit --no-fund --loglevel=error >/dev/null
fi
