#!/usr/bin/env bash
# Installs the Debian packages of a list (default tools/packages.txt; one per
# line, # comments) as root when any is missing. Quick when all are there.
# usage: setup.sh [LIST]
set -euo pipefail
cd "$(dirname "$0")/.."
list=${1:-tools/packages.txt}
mapfile -t pkgs < <(grep -v '^\s*#' "$list" | grep -v '^\s*$')
missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  SUDO=""; [ "$(id -u)" = 0 ] || SUDO=sudo
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
