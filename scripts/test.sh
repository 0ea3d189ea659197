#!/usr/bin/env bash
# Builds everything and runs the whole suite: the normal build, the AddressSanitizer +
# UndefinedBehaviorSanitizer build and the ThreadSanitizer build, then a short run of every
# libFuzzer program from its seed corpus (OSTRILAN_FUZZ_SECONDS each, default 30, two at a time
# on two cores). The normal build runs every test; each sanitizer build only the test programs it
# has something to find in (tests/CMakeLists.txt lists them). Each stage says how long it took.
#   scripts/test.sh            all of it
#   scripts/test.sh default    only the named presets (default, asan, tsan, fuzz)
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh

presets=("$@")
[ ${#presets[@]} -eq 0 ] && presets=(default asan tsan fuzz)

jobs=$(nproc)
began=$(date +%s)
for preset in "${presets[@]}"; do
    start=$(date +%s)
    if [ "$preset" = fuzz ]; then
        scripts/fuzz.sh "${OSTRILAN_FUZZ_SECONDS:-30}"
    else
        echo "=== ${preset}: build"
        cmake --preset "$preset" >/dev/null
        cmake --build --preset "$preset" -j "$jobs"
        echo "=== ${preset}: test"
        ctest --preset "$preset" -j "$jobs"
    fi
    echo "=== ${preset}: done in $(($(date +%s) - start))s"
done
echo "=== all passed in $(($(date +%s) - began))s"
