#!/usr/bin/env bash
# The suite under load: the normal build's whole suite run N times (default 10) with two busy
# loops beside it, the way a shared or throttled machine runs it. A test that fails once here
# waits on time instead of on a condition. Prints each run's result and the tests that failed,
# then a summary; exit code 0 only when every run passed. /tmp is sealed as in the test command.
#   scripts/loaded.sh [runs, default 10] [hogs, default 2]
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
runs=${1:-10}
hogs=${2:-2}

cmake --preset default >/dev/null
cmake --build --preset default -j "$(nproc)"

pids=()
stop() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
}
trap stop EXIT
trap 'exit 130' INT TERM
for _ in $(seq "$hogs"); do
    sh -c 'while :; do :; done' &
    pids+=($!)
done

logs=build/loaded
mkdir -p "$logs"
failed_runs=0
began=$(date +%s)
for run in $(seq "$runs"); do
    start=$(date +%s)
    if scripts/sealed.sh ctest --preset default -j "$(nproc)" >"$logs/run-$run.log" 2>&1; then
        echo "run ${run}: passed in $(($(date +%s) - start))s"
    else
        failed_runs=$((failed_runs + 1))
        echo "run ${run}: FAILED in $(($(date +%s) - start))s:"
        grep -E '^\s+[0-9]+ - ' "$logs/run-$run.log" || true
    fi
done
summary="=== loaded: ${runs} runs with ${hogs} busy loops, ${failed_runs} failed, $(($(date +%s) - began))s"
echo "$summary"
[ "$failed_runs" -eq 0 ]
