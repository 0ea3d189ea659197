#!/usr/bin/env bash
# Builds the libFuzzer programs with clang and runs each from its seed corpus.
#   scripts/fuzz.sh [seconds per target, default 60] [target...]
#   scripts/fuzz.sh --keep [seconds per target, default 3600] [target...]
# Targets are the names of fuzz/<name>.cpp (image_png, link_stream, ...); by default all of them.
# They run side by side, one per core (OSTRILAN_FUZZ_PARALLEL, default nproc), so the whole run
# takes about targets x seconds / cores.
#
# The short run (the test command's, 60 s) puts new inputs into a scratch folder and throws them
# away; a crash leaves its input in build-fuzz/findings/ and fails the run. A minute finds only
# the shallow faults, so --keep is for long runs by hand (an hour per target; not in CI): the
# inputs that reach new code are merged into fuzz/corpus/<name>/, and every crash, out-of-memory
# or time-out input is copied there too, where the normal suite replays it, so it fails until
# the fault is fixed. Review and commit what it added.
#
# Every run holds each target to 64 MB resident and 64 MB in one allocation, so an input that
# makes a parser keep too much is a finding like a crash. The sanitizers' own memory is kept
# small to leave the parsers room: AddressSanitizer's quarantine of freed memory (256 MB by
# default, which alone crossed the line) at 2 MB, redzones of at most 64 bytes, freed pages
# handed back twice a second, and only the calling frame kept per allocation. More frames grew
# without end: the fast unwinder walks into Debian's libstdc++, built without frame pointers, and
# takes stack garbage for return addresses, so every file the store targets wrote stored a new
# "stack" (12 bytes a run, 65 MB after a million runs); the exact unwinder is four times slower.
# To see where a finding's memory came from, run the target on it with default options. A target
# starts at about 35 MB; over ten minutes the largest reached 53 MB (bluez_facts).
set -euo pipefail
cd "$(dirname "$0")/.."
keep=0
if [ "${1:-}" = --keep ]; then
    keep=1
    shift
fi
if [ $keep -eq 1 ]; then seconds=${1:-3600}; else seconds=${1:-60}; fi
[ "$seconds" -ge 1 ] 2>/dev/null || { echo "fuzz.sh: seconds must be a whole number" >&2; exit 2; }
shift $(($# > 0 ? 1 : 0))
wanted=("$@")
scripts/deps.sh
parallel=${OSTRILAN_FUZZ_PARALLEL:-$(nproc)}
[ "$parallel" -ge 1 ] 2>/dev/null || parallel=1
cmake --preset fuzz >/dev/null
targets=()
for name in "${wanted[@]}"; do
    [ -f "fuzz/${name}.cpp" ] || { echo "fuzz.sh: no target ${name}" >&2; exit 2; }
    targets+=(--target "fuzz_${name}")
done
cmake --build --preset fuzz -j "$(nproc)" "${targets[@]}"
mkdir -p build-fuzz/findings
limits=(-rss_limit_mb=64 -malloc_limit_mb=64)
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}quarantine_size_mb=2:thread_local_quarantine_size_kb=64:malloc_context_size=1:max_redzone=64:allocator_release_to_os_interval_ms=500"
scratch_root=$(mktemp -d)
trap 'rm -rf "$scratch_root"' EXIT

# One target: its log in build-fuzz/<name>.log, its crash input (if any) in build-fuzz/findings/.
# A kept run goes on after a finding (each one is a file of its own) and then keeps its finds.
run_one() {
    local fuzzer=$1 name=$2 code=0
    # Forked: the inputs found so far stay on disk and each job holds only its share, so the 64 MB
    # bound is the parser's. In one process libFuzzer keeps every new input in memory, and a target
    # that finds thousands in half a minute (bluez_facts: 6,500 of about 4 KB) crossed it on its own.
    local -a goon=(-fork=1 -ignore_crashes=0 -ignore_ooms=0 -ignore_timeouts=0)
    if [ $keep -eq 1 ]; then
        goon=(-fork=1 -ignore_crashes=1 -ignore_ooms=1 -ignore_timeouts=1)
    fi
    mkdir -p "$scratch_root/$name" "$scratch_root/findings/$name"
    "$fuzzer" -max_total_time="$seconds" -timeout=10 "${limits[@]}" -print_final_stats=1 "${goon[@]}" \
        -artifact_prefix="$scratch_root/findings/$name/" "$scratch_root/$name" "fuzz/corpus/${name}" \
        >"build-fuzz/${name}.log" 2>&1 || code=$?
    for finding in "$scratch_root/findings/$name"/*; do
        [ -f "$finding" ] && cp "$finding" "build-fuzz/findings/${name}-$(basename "$finding")"
    done
    if [ $keep -eq 1 ]; then
        keep_finds "$fuzzer" "$name" || code=1
    fi
    return $code
}

# Merges the scratch inputs that reach new code into the seed corpus, and copies the findings.
keep_finds() {
    local fuzzer=$1 name=$2 before after finding found=0
    before=$(ls "fuzz/corpus/${name}" | wc -l)
    "$fuzzer" -merge=1 -timeout=10 "${limits[@]}" "fuzz/corpus/${name}" "$scratch_root/$name" \
        >>"build-fuzz/${name}.log" 2>&1 || true
    after=$(ls "fuzz/corpus/${name}" | wc -l)
    for finding in "$scratch_root/findings/$name"/*; do
        [ -f "$finding" ] || continue
        cp "$finding" "fuzz/corpus/${name}/"
        found=$((found + 1))
    done
    echo "fuzz ${name}: kept $((after - before)) new seeds and ${found} findings in fuzz/corpus/${name}/" \
        >>"build-fuzz/${name}.log"
    [ $found -eq 0 ]
}

# The executions of a run: from the final statistics, or a forked run's last progress line.
runs() {
    local count
    count=$(grep -E '^stat::number_of_executed_units' "$1" | awk '{print $2}' | tail -n 1)
    [ -n "$count" ] || count=$(grep -oE '^#[0-9]+:' "$1" | tail -n 1 | tr -d '#:')
    echo "${count:-?}"
}

report() {
    local name=$1 code=$2
    if [ "$code" -ne 0 ]; then
        echo "fuzz ${name}: FAILED with exit code ${code} (see build-fuzz/${name}.log and build-fuzz/findings/)"
        tail -n 30 "build-fuzz/${name}.log"
        status=1
    else
        echo "fuzz ${name}: ok, $(runs "build-fuzz/${name}.log") runs"
    fi
    if [ $keep -eq 1 ]; then
        grep -E '^fuzz .*: kept' "build-fuzz/${name}.log" || true
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
echo "=== fuzz: ${seconds}s per target, ${parallel} at a time$([ $keep -eq 1 ] && echo ", keeping what is found")"
for fuzzer in build-fuzz/fuzz/fuzz_*; do
    name=$(basename "$fuzzer"); name=${name#fuzz_}
    if [ ${#wanted[@]} -gt 0 ] && [[ " ${wanted[*]} " != *" ${name} "* ]]; then
        continue
    fi
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
