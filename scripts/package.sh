#!/usr/bin/env bash
# Builds the Debian packages kelvane_VERSION_amd64.deb (the window) and kelvane-tools_VERSION_amd64.deb (kelvane-cli,
# kxrsim and the watcher's units, rules and dashboard; no Qt) into build/ from a release build with the window.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKELVANE_WITH_QT=ON >/dev/null
cmake --build build -j "$(nproc 2>/dev/null || echo 2)"
(cd build && cpack -G DEB >/dev/null)
ls build/kelvane_*_amd64.deb build/kelvane-tools_*_amd64.deb
