#!/usr/bin/env bash
# The long soak: 1,000 calls of mixed kinds through the tour in virtual time (the suite runs 20),
# first in the normal build, then in the AddressSanitizer + UndefinedBehaviorSanitizer build.
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
    # The whole build: the tour runs the application folder it lays out.
    cmake --build --preset "$preset" -j "$(nproc)"
    dir=build; [ "$preset" = default ] || dir=build-$preset
    start=$(date +%s)
    # Prints the application's resident memory at the first tenth of the calls and at the end
    # (checked only outside the sanitizers).
    "$dir/app/ostrilan-tour" --soak "$calls" --out "$dir/soak"
    echo "=== soak ${preset}: $(($(date +%s) - start))s"
done
