#!/usr/bin/env bash
# Installs what the Python module and its tests need on a Debian machine,
# for Debian's own Python: pybind11 and the headers to build the module,
# numpy, pytest, and matplotlib and pandas for the notebook-style example
# and the DataFrame tests (the module itself runs without pandas), and
# setuptools, wheel, venv and pip for pip install . (make pip-test). Silent when
# everything is there already.
set -euo pipefail

packages=(pybind11-dev python3-dev python3-numpy python3-pytest python3-matplotlib python3-pandas
          python3-setuptools python3-wheel python3-venv python3-pip)

need=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || need+=("$p")
done
[ ${#need[@]} -eq 0 ] && exit 0

sudo_cmd=""
[ "$(id -u)" -eq 0 ] || sudo_cmd="sudo"
echo "Installing ${need[*]}"
# Another apt-get may hold the lock: wait for it rather than fail.
apt_get() { $sudo_cmd env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=600 "$@"; }
apt_get update -q >/dev/null
apt_get install -y -q --no-install-recommends "${need[@]}" >/dev/null
