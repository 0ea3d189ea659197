#!/usr/bin/env bash
# Builds everything and runs the whole suite: the normal build, the AddressSanitizer +
# UndefinedBehaviorSanitizer build and the ThreadSanitizer build, then a short run of every
# libFuzzer program from its seed corpus (OSTRILAN_FUZZ_SECONDS each, default 60, two at a time
# on two cores).
#   scripts/test.sh            all of it
#   scripts/test.sh default    only the named presets (default, asan, tsan, fuzz)
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh

presets=("$@")
[ ${#presets[@]} -eq 0 ] && presets=(default asan tsan fuzz)

jobs=$(nproc)
for preset in "${presets[@]}"; do
    if [ "$preset" = fuzz ]; then
        scripts/fuzz.sh "${OSTRILAN_FUZZ_SECONDS:-60}"
        continue
    fi
    echo "=== ${preset}: build"
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset" -j "$jobs"
    echo "=== ${preset}: test"
    ctest --preset "$preset" -j "$jobs"
done
