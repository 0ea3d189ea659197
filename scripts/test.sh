#!/usr/bin/env bash
# Builds everything and runs the whole suite: the normal build, the AddressSanitizer +
# UndefinedBehaviorSanitizer build and the ThreadSanitizer build, then a short run of every
# libFuzzer program from its seed corpus (OSTRILAN_FUZZ_SECONDS each, default 30, two at a time
# on two cores). The normal build runs every test; each sanitizer build only the test programs it
# has something to find in (tests/CMakeLists.txt lists them). Each stage says how long it took.
#   scripts/test.sh            all of it
#   scripts/test.sh default    only the named presets (default, asan, tsan, fuzz)
#   scripts/test.sh package    the normal build's package installed on this machine (as root), run
#                              by an ordinary user and purged again. It changes the machine, so it
#                              is never part of the default list; CI (.ci/run) asks for it.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh

presets=("$@")
[ ${#presets[@]} -eq 0 ] && presets=(default asan tsan fuzz)

jobs=$(nproc)
began=$(date +%s)
# The suite keeps its files in its build folder (the test presets point TMPDIR there). As root,
# where a mount namespace is at hand, it runs with /tmp an empty read-only folder, so a test that
# writes there fails instead of leaving something behind.
sealed=()
if [ "$(id -u)" -eq 0 ] && unshare --mount --propagation private true 2>/dev/null; then
    sealed=(unshare --mount --propagation private sh -c 'mount -t tmpfs -o ro tmpfs /tmp && exec "$@"' sealed)
fi
for preset in "${presets[@]}"; do
    start=$(date +%s)
    if [ "$preset" = fuzz ]; then
        scripts/fuzz.sh "${OSTRILAN_FUZZ_SECONDS:-30}"
    elif [ "$preset" = package ]; then
        echo "=== package: build"
        cmake --preset default >/dev/null
        cmake --build --preset default -j "$jobs"
        echo "=== package: install, run, purge"
        OSTRILAN_PACKAGE_TEST=1 ctest --preset default -L package --output-on-failure
    else
        echo "=== ${preset}: build"
        cmake --preset "$preset" >/dev/null
        cmake --build --preset "$preset" -j "$jobs"
        echo "=== ${preset}: test"
        "${sealed[@]}" ctest --preset "$preset" -j "$jobs"
    fi
    echo "=== ${preset}: done in $(($(date +%s) - start))s"
done
echo "=== all passed in $(($(date +%s) - began))s"
