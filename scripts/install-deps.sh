#!/usr/bin/env bash
# Installs what building, running and testing Dorsena needs on Debian 12.
set -euo pipefail
SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
PKGS=(build-essential cmake ccache clang libclang-rt-14-dev qt6-base-dev libcurl4-openssl-dev
      libbenchmark-dev xvfb xdotool x11-utils python3)
missing=()
for p in "${PKGS[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  $SUDO apt-get update
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y "${missing[@]}"
fi
