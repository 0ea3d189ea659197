#!/usr/bin/env bash
# Builds the libFuzzer programs with clang and runs each from its seed corpus.
#   scripts/fuzz.sh [seconds per target, default 60]
# The targets run side by side, one per core (OSTRILAN_FUZZ_PARALLEL, default nproc), so the whole
# run takes about targets x seconds / cores. New inputs go to a scratch folder, never into the seed
# corpus kept in the repository. A crash leaves its input in build-fuzz/findings/ and fails the run.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
seconds=${1:-60}
parallel=${OSTRILAN_FUZZ_PARALLEL:-$(nproc)}
[ "$parallel" -ge 1 ] 2>/dev/null || parallel=1
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "$(nproc)"
mkdir -p build-fuzz/findings
scratch_root=$(mktemp -d)
trap 'rm -rf "$scratch_root"' EXIT

# One target: its log in build-fuzz/<name>.log, its crash input (if any) in build-fuzz/findings/.
run_one() {
    local fuzzer=$1 name=$2
    mkdir -p "$scratch_root/$name"
    "$fuzzer" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
        -artifact_prefix="build-fuzz/findings/${name}-" "$scratch_root/$name" "fuzz/corpus/${name}" \
        >"build-fuzz/${name}.log" 2>&1
}

report() {
    local name=$1 code=$2
    if [ "$code" -ne 0 ]; then
        echo "fuzz ${name}: FAILED with exit code ${code} (see build-fuzz/${name}.log and build-fuzz/findings/)"
        tail -n 30 "build-fuzz/${name}.log"
        status=1
    else
        echo "fuzz ${name}: ok, $(grep -E '^stat::number_of_executed_units' "build-fuzz/${name}.log" | awk '{print $2}') runs"
    fi
}

status=0
declare -A running=()
# Waits for whichever running target ends first and reports it (wait -p needs bash 5.1).
reap_one() {
    local pid code=0
    wait -n -p pid "${!running[@]}" || code=$?
    report "${running[$pid]}" "$code"
    unset "running[$pid]"
}

start=$(date +%s)
echo "=== fuzz: ${seconds}s per target, ${parallel} at a time"
for fuzzer in build-fuzz/fuzz/fuzz_*; do
    name=$(basename "$fuzzer"); name=${name#fuzz_}
    while [ "${#running[@]}" -ge "$parallel" ]; do
        reap_one
    done
    run_one "$fuzzer" "$name" &
    running[$!]=$name
done
while [ "${#running[@]}" -gt 0 ]; do
    reap_one
done
echo "=== fuzz: $(($(date +%s) - start))s in all"
exit $status
