#!/usr/bin/env bash
# Builds and runs every benchmark; each prints its figures beside the baseline measured in the
# same run (bench/README.md says what each one is). Arguments go to every benchmark program.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
cmake --preset default >/dev/null
cmake --build --preset default -j "$(nproc)"
for b in build/bench/bench_*; do
    echo "=== $(basename "$b")"
    "$b" "$@"
done
