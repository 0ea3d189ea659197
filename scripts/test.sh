#!/usr/bin/env bash
# Builds everything and runs the whole suite: the normal build, then the AddressSanitizer +
# UndefinedBehaviorSanitizer build and the ThreadSanitizer build.
#   scripts/test.sh            all three
#   scripts/test.sh default    only the named presets (default, asan, tsan)
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh

presets=("$@")
[ ${#presets[@]} -eq 0 ] && presets=(default asan tsan)

jobs=$(nproc)
for preset in "${presets[@]}"; do
    echo "=== ${preset}: build"
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset" -j "$jobs"
    echo "=== ${preset}: test"
    ctest --preset "$preset" -j "$jobs"
done
