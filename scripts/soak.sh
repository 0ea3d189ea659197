#!/usr/bin/env bash
# The long soak: 1,000 calls of mixed kinds in virtual time (the suite runs 100), first in the
# normal build, then in the AddressSanitizer + UndefinedBehaviorSanitizer build.
#   scripts/soak.sh [calls, default 1000] [presets, default: default asan]
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
calls=${1:-1000}
shift || true
presets=("$@")
[ ${#presets[@]} -eq 0 ] && presets=(default asan)

for preset in "${presets[@]}"; do
    echo "=== soak ${preset}: ${calls} calls"
    cmake --preset "$preset" >/dev/null
    # The whole build: the test runs on the application folder it lays out.
    cmake --build --preset "$preset" -j "$(nproc)"
    dir=build; [ "$preset" = default ] || dir=build-$preset
    start=$(date +%s)
    report="$dir/soak.xml"
    OSTRILAN_SOAK_CALLS=$calls "$dir/tests/integration/screens/integration_screens" --gtest_filter='SoakTest.*' \
        --gtest_output="xml:$report"
    # Resident memory at the first tenth of the calls and at the end (not checked under the sanitizers).
    grep -o 'rss_[a-z_]*kB" value="[0-9-]*"' "$report" | sed 's/" value="/ /; s/"$//' || true
    echo "=== soak ${preset}: $(($(date +%s) - start))s"
done
