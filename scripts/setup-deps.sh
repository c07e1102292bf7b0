#!/usr/bin/env bash
# Installs the Debian packages the build, the program and the tests need.
# Safe to run again: it installs only what is missing.
set -euo pipefail

packages=(
  cmake ninja-build g++ clang-format
  clang libclang-rt-dev
  qt6-base-dev qt6-charts-dev libqt6opengl6-dev qt6-translations-l10n
  fonts-noto-cjk
  xvfb xauth
  desktop-file-utils
)
if [[ "${1:-}" == "--bench" ]]; then
  packages+=(libbenchmark-dev)
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

sudo=""
if [[ $(id -u) -ne 0 ]]; then
  sudo="sudo"
fi
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
