#!/usr/bin/env bash
# Configures and builds Vantra into build/ (or $VANTRA_BUILD_DIR).
#   scripts/build.sh [extra cmake -D options]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${VANTRA_BUILD_DIR:-$root/build}"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
cmake --build "$build" -j"$(nproc)"
