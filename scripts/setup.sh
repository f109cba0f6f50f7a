#!/usr/bin/env bash
# Installs the Debian packages, configures and builds Jyx into build/.
# The program directory (executable, pictures, fonts, database) is build/bin.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
build=${JYX_BUILD_DIR:-$root/build}
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=${JYX_BUILD_TYPE:-Release}
cmake --build "$build" --parallel "$(nproc)"
