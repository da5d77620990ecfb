#!/usr/bin/env bash
# Installs the packages that building and testing ZEK2 need on Debian (run as root or with sudo).
set -euo pipefail
# zenity shows the editor's questions, file choosers and messages.
packages=(cmake ninja-build g++ libgtest-dev libbenchmark-dev clang-format locales pkg-config
  libcairo2-dev libpango1.0-dev libx11-dev libxtst-dev fonts-dejavu-core xvfb xauth zenity)
missing=()
for p in "${packages[@]}"; do
  dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  $SUDO apt-get update -q
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -q "${missing[@]}"
fi

# A comma-decimal locale, so the tests can show that numbers are formatted without the locale.
if ! locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$'; then
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  $SUDO localedef -i de_DE -f UTF-8 de_DE.UTF-8 || echo "note: could not generate de_DE.UTF-8"
fi
