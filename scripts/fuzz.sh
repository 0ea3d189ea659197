#!/usr/bin/env bash
# Builds the libFuzzer programs with clang and runs each from its seed corpus.
#   scripts/fuzz.sh [seconds per target, default 60]
# New inputs go to a scratch folder, never into the seed corpus kept in the repository. A crash
# leaves its input in build-fuzz/findings/ and fails the run.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
seconds=${1:-60}
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "$(nproc)"
mkdir -p build-fuzz/findings
status=0
for fuzzer in build-fuzz/fuzz/fuzz_*; do
    name=$(basename "$fuzzer"); name=${name#fuzz_}
    scratch=$(mktemp -d)
    echo "=== fuzz ${name}: ${seconds}s"
    if ! "$fuzzer" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
        -artifact_prefix="build-fuzz/findings/${name}-" "$scratch" "fuzz/corpus/${name}" 2>"build-fuzz/${name}.log"; then
        echo "fuzz ${name}: FAILED (see build-fuzz/${name}.log and build-fuzz/findings/)"
        tail -n 30 "build-fuzz/${name}.log"
        status=1
    else
        grep -E '^stat::number_of_executed_units' "build-fuzz/${name}.log" || true
    fi
    rm -rf "$scratch"
done
exit $status
