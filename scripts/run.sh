#!/usr/bin/env bash
# Installs what is missing, builds the editor alone (scripts/test.sh builds the tests and the
# benchmark) and starts it. It needs a graphical session.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j"$(nproc)" --target velmora
exec build/src/velmora "$@"
