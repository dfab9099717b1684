#!/usr/bin/env bash
# Installs what building, running and testing need on a Debian machine.
# Does nothing when everything is already there.
set -euo pipefail
pkgs=(cmake g++ make ccache pkg-config
      qt6-base-dev qt6-base-dev-tools zlib1g-dev libpng-dev libdeflate-dev libzip-dev qt6-image-formats-plugins libgl-dev
      opencl-headers ocl-icd-opencl-dev ocl-icd-libopencl1 pocl-opencl-icd clinfo
      xvfb xauth fonts-dejavu-core)
if [ "${CQ_WANT_FUZZ:-0}" = 1 ]; then pkgs+=(clang libclang-rt-14-dev); fi
if [ "${CQ_WANT_BENCH:-0}" = 1 ]; then pkgs+=(libbenchmark-dev imagemagick python3-pil libopencv-dev); fi
missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
