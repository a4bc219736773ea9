#!/usr/bin/env bash
# Installs the Debian packages the build needs, when any is missing.
set -eu
pkgs=(build-essential cmake ninja-build pkg-config python3
      libsdl2-dev libsdl2-mixer-dev libstb-dev libvorbis-dev libogg-dev
      libgl1-mesa-dri libgl1-mesa-dev libegl-dev libfreetype-dev fonts-dejavu-core
      xvfb xauth libgtest-dev libgmock-dev libbenchmark-dev
      clang libclang-rt-14-dev lld)
missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo_cmd=()
  [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
  export DEBIAN_FRONTEND=noninteractive
  "${sudo_cmd[@]}" apt-get install -y -q "${missing[@]}" || {
    "${sudo_cmd[@]}" apt-get update -q
    "${sudo_cmd[@]}" apt-get install -y -q "${missing[@]}"
  }
fi
