#!/usr/bin/env bash
# Installs what building, running and testing Zelkora needs, from Debian's
# packages. Safe to run again: it installs only what is missing.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config clang clang-tidy ccache llvm lld
  qt6-base-dev qt6-base-dev-tools libgl-dev
  nlohmann-json3-dev libcli11-dev libgtest-dev libgmock-dev googletest libbenchmark-dev
  hwdata pciutils
  libxcb1-dev xvfb xauth openbox x11-utils imagemagick fonts-noto-cjk fonts-wqy-microhei fonts-dejavu-core locales
  desktop-file-utils appstream mandoc librsvg2-bin file lintian
  python3-jsonschema ansible-core
)

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$package")
  fi
done

if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  sudo_cmd=()
  if [[ $(id -u) -ne 0 ]]; then sudo_cmd=(sudo); fi
  "${sudo_cmd[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
