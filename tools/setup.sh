#!/usr/bin/env bash
# Installs what the build needs on Debian (only what is missing), then configures and builds.
#   tools/setup.sh deps            install the Debian packages
#   tools/setup.sh build DIR [SAN] configure and build into DIR (SAN=1: sanitizers)
set -euo pipefail
cd "$(dirname "$0")/.."

PACKAGES=(cmake ninja-build g++ make python3 qt6-base-dev libgl-dev libgtest-dev libgmock-dev
          libbenchmark-dev fonts-dejavu-core)

deps() {
  local missing=()
  for p in "${PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  if [ ${#missing[@]} -eq 0 ]; then return; fi
  echo "Installing: ${missing[*]}"
  local sudo=""
  if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

build() {
  local dir="$1" san="${2:-0}" extra=()
  if [ "$san" = "1" ]; then extra+=(-DXO_SANITIZE=ON -DXO_BUILD_BENCH=OFF -DCMAKE_BUILD_TYPE=Debug); fi
  cmake -S . -B "$dir" -G Ninja "${extra[@]}" >/dev/null
  cmake --build "$dir" -j "$(nproc)"
}

case "${1:-}" in
  deps) deps ;;
  build) shift; build "$@" ;;
  *) echo "usage: $0 deps | build DIR [SAN]" >&2; exit 2 ;;
esac
