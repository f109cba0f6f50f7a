#!/usr/bin/env bash
# Set-up, build, then every test.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
cd "${JYX_BUILD_DIR:-$root/build}"
ctest --output-on-failure --parallel "$(nproc)"
