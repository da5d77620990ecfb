#!/usr/bin/env bash
# Installs the dependencies, builds the Release plug-in and installs it as ~/.vst/ZEK2.so.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/deps.sh
cmake -S . -B build-install -G Ninja -DCMAKE_BUILD_TYPE=Release -DZEK2_BUILD_TESTS=OFF -DZEK2_BUILD_BENCH=OFF
cmake --build build-install --target ZEK2
mkdir -p "$HOME/.vst"
install -m 0644 build-install/ZEK2.so "$HOME/.vst/ZEK2.so"
echo "Installed $HOME/.vst/ZEK2.so"
