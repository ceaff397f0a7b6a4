#!/usr/bin/env bash
# Installs the Debian 12 packages needed to build, run and test sonvik+.
set -euo pipefail

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"

PACKAGES=(
  # build
  cmake g++ make pkg-config
  qtbase5-dev libqt5opengl5-dev libqwt-qt5-dev libqwtplot3d-qt5-dev
  libfftw3-dev portaudio19-dev libsndfile1-dev libpoppler-qt5-dev
  # tests and benchmarks
  libgtest-dev libbenchmark-dev xvfb xauth libgl1-mesa-dri fonts-dejavu-core
)
if [ "${SONVIK_WITH_FUZZ:-0}" = 1 ]; then
  PACKAGES+=(clang libclang-rt-14-dev)
fi

missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  $SUDO apt-get update -q
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -q "${missing[@]}"
fi
