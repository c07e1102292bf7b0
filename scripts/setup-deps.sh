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
  desktop-file-utils appstream
  locales
  poppler-utils  # the print tests read their PDFs back (pdfinfo, pdftotext)
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

# The report tests run under a Japanese locale as well as C; a locale that is
# not generated falls back to C silently.
japanese_locale_missing() { ! locale -a 2>/dev/null | grep -qix 'ja_JP\.utf-\?8'; }

if [[ ${#missing[@]} -eq 0 ]] && ! japanese_locale_missing; then
  exit 0
fi

sudo=""
if [[ $(id -u) -ne 0 ]]; then
  sudo="sudo"
fi
if [[ ${#missing[@]} -ne 0 ]]; then
  echo "Installing: ${missing[*]}"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
if japanese_locale_missing; then
  echo "Generating the ja_JP.UTF-8 locale"
  $sudo localedef -i ja_JP -c -f UTF-8 -A /usr/share/locale/locale.alias ja_JP.UTF-8
fi
