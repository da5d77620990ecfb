#!/usr/bin/env bash
# Installs the dependencies, builds the Release plug-in in build/ (configured as the test script
# configures it, so the README's commands that build more there work at once) and installs it
# as ~/.vst/ZEK2.so and as /usr/local/lib/lxvst/ZEK2.so.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DZEK2_BUILD_TESTS=ON -DZEK2_BUILD_BENCH=ON
cmake --build build --target ZEK2
mkdir -p "$HOME/.vst"
install -m 0644 build/ZEK2.so "$HOME/.vst/ZEK2.so"
echo "Installed $HOME/.vst/ZEK2.so"
# Ardour does not scan ~/.vst unless told to: it looks in system folders such as
# /usr/local/lib/lxvst. The copy there is installed with the rights the packages were.
SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
if $SUDO install -D -m 0644 build/ZEK2.so /usr/local/lib/lxvst/ZEK2.so; then
  echo "Installed /usr/local/lib/lxvst/ZEK2.so"
else
  echo "note: could not install /usr/local/lib/lxvst/ZEK2.so; for Ardour, add $HOME/.vst to its" \
    "Linux VST folders (or start it once with LXVST_PATH=$HOME/.vst)" >&2
fi
