#!/usr/bin/env bash
# Proof that the suite catches real faults: applies each one-line fault of scripts/mutants.txt
# on its own, rebuilds build-mutants/ incrementally (the normal build's settings without the
# benchmarks and without debug information, which only slows the links) and runs the normal
# suite against it. A fault the suite does not fail on survives.
#
#   scripts/mutants.sh            every fault against the whole suite (the tests of the fault's
#                                 subsystem first, unit before integration before end-to-end; a
#                                 fault they miss then meets all the others)
#   scripts/mutants.sh --quick    only the tests of the fault's subsystem
#   scripts/mutants.sh [--quick] N...   only the faults numbered N in the list (1 = first)
#   scripts/mutants.sh [--quick] N-M    the faults N to M
#   scripts/mutants.sh [--quick] N-     the faults from N on (a run cut short goes on from there)
#
# The test that caught a fault is kept in build-mutants/catchers and runs first the next time,
# so a run again after a change to the tests takes minutes for the faults they still catch.
# OSTRILAN_MUTANT_TIMEOUT (seconds, default 1500) bounds one suite run; a run cut by it counts
# as caught (a hang is a failure too) and is marked so. Exit code 0 only when every fault was
# caught. Each file is restored after its fault, also when the script is interrupted; the files
# of the list must have no uncommitted changes.
set -euo pipefail
cd "$(dirname "$0")/.."

quick=0
if [ "${1:-}" = --quick ]; then
    quick=1
    shift
fi
list=scripts/mutants.txt
build=build-mutants
limit=${OSTRILAN_MUTANT_TIMEOUT:-1500}
jobs=$(nproc)

mapfile -t rows < <(grep -v -e '^#' -e '^[[:space:]]*$' "$list")
[ ${#rows[@]} -gt 0 ] || { echo "mutants.sh: ${list} lists no faults" >&2; exit 2; }
# A fault listed twice proves nothing twice, and its description names the test that caught it.
twice=$(printf '%s\n' "${rows[@]}" | cut -f4 | sort | uniq -d)
[ -z "$twice" ] || { printf 'mutants.sh: %s lists more than one fault as: %s\n' "$list" "$twice" >&2; exit 2; }

# The faults asked for by number; every one of them when none is named.
listed=${#rows[@]}
picked=()
for arg in "$@"; do
    if [[ "$arg" =~ ^([0-9]+)-([0-9]*)$ ]]; then
        first=${BASH_REMATCH[1]} last=${BASH_REMATCH[2]:-$listed}
        if [ "$first" -gt "$last" ]; then
            echo "mutants: the range $arg is empty" >&2
            exit 2
        fi
        picked+=($(seq "$first" "$last"))
    elif [[ "$arg" =~ ^[0-9]+$ ]]; then
        picked+=("$arg")
    else
        echo "mutants: '$arg' is not a fault number (N), a range (N-M) or a start (N-)" >&2
        exit 2
    fi
done
for index in "${picked[@]}"; do
    if [ "$index" -lt 1 ] || [ "$index" -gt "$listed" ]; then
        echo "mutants: no fault $index; the list has 1 to $listed" >&2
        exit 2
    fi
done
[ $# -gt 0 ] || picked=($(seq 1 "$listed"))

files=()
for row in "${rows[@]}"; do
    IFS=$'\t' read -r file _ <<<"$row"
    files+=("$file")
done
mapfile -t files < <(printf '%s\n' "${files[@]}" | sort -u)
if ! git diff --quiet HEAD -- "${files[@]}"; then
    echo "mutants.sh: these files have uncommitted changes; commit or stash them first:" >&2
    git diff --name-only HEAD -- "${files[@]}" >&2
    exit 2
fi

# The untouched copy of the file under a fault, put back on every way out.
saved=$(mktemp -d)
current=
restore() {
    if [ -n "$current" ]; then
        # A fresh time stamp, not the saved one: the build must see the file change back.
        cp "$saved/original" "$current"
        touch "$current"
        current=
    fi
}
trap 'restore; rm -rf "$saved"' EXIT
trap 'exit 130' INT TERM

# The tests that look at a subsystem first; the whole suite catches what they miss.
tests_of() {
    case "$1" in
    src/link/*) echo 'link|modsim' ;;
    src/store/*) echo 'store|controller|screens|scenarios|tour' ;;
    src/contacts/*) echo 'contacts' ;;
    src/platform/*) echo 'platform|fuzz-seeds|ui' ;;
    src/ui/*) echo 'ui|skin|screens|controller' ;;
    src/controller/*) echo 'controller|mpris|screens|scenarios|tour' ;;
    src/screens/*) echo 'screens|controller|scenarios|tour' ;;
    tools/status/*) echo 'status' ;;
    tools/modcore/* | tools/modsim/*) echo 'modsim|MissedCallSim' ;;
    tools/bluez/*) echo 'modcore|bluez' ;;
    tools/tour/*) echo 'rig|tour' ;;
    tools/skingen/*) echo 'skin' ;;
    tools/say/*) echo 'say|Speech' ;;
    *) echo '.' ;;
    esac
}

# The package test installs a package system-wide and finds no fault in the code: never run here.
skip='^e2e/package/'

# Runs ctest with the given extra arguments; 0 when every test passed.
suite() {
    timeout --kill-after=30 "$limit" ctest --test-dir "$build" -j "$jobs" --timeout 300 --output-on-failure \
        --stop-on-failure "$@" >"$build/mutant-ctest.log" 2>&1
}

echo "=== mutants: configuring ${build}/"
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DOSTRILAN_WERROR=ON \
    -DOSTRILAN_BENCH=OFF "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O2 -DNDEBUG" >/dev/null
# Files a run that was killed outright may have left newer than the build saw them.
touch "${files[@]}"
cmake --build "$build" -j "$jobs" >"$build/mutant-build.log" 2>&1 || {
    echo "mutants.sh: the unchanged tree does not build (see ${build}/mutant-build.log)" >&2
    exit 2
}

# A suite that fails without any fault would make every fault look caught. A quick run needs
# only the tests it will run to pass: those of the subsystems of the faults picked.
baseline=
if [ $quick -eq 1 ]; then
    areas=()
    index=0
    for row in "${rows[@]}"; do
        index=$((index + 1))
        if [[ " ${picked[*]} " == *" ${index} "* ]]; then
            IFS=$'\t' read -r file _ <<<"$row"
            areas+=("$(tests_of "$file")")
        fi
    done
    baseline=$(printf "%s\n" "${areas[@]}" | sort -u | paste -sd "|")
fi
# The programs that hold the tests a ctest selection picks: unit/platform/... is unit_platform;
# "all" for the others (end-to-end and fuzz tests run the whole build's programs).
programs_for() {
    ctest --test-dir "$build" -N "$@" | sed -nE 's/^ *Test +#[0-9]+: ([^ ]+).*/\1/p' |
        awk -F/ '($1 == "unit" || $1 == "integration") && NF >= 3 { print $1 "_" $2; next } { print "all" }' |
        sort -u
}

# Builds what a ctest selection needs with the fault in place and runs it; 3 when it does not
# build. Linking every program takes longer than most faults' tests, so only the programs of the
# selection are built.
stage() {
    local programs
    programs=$(programs_for "$@")
    [ -n "$programs" ] || return 0
    if grep -qx all <<<"$programs"; then
        cmake --build "$build" -j "$jobs" >"$build/mutant-build.log" 2>&1 || return 3
    else
        # shellcheck disable=SC2086 # one program a word
        cmake --build "$build" -j "$jobs" --target $programs >"$build/mutant-build.log" 2>&1 || return 3
    fi
    suite "$@"
}

# Test names as one anchored ctest pattern (names hold no other regex characters than the dot).
anchored() {
    printf '^%s$\n' "$@" | sed 's/\./\\./g' | paste -sd '|'
}

# Runs the tests matching $1 (all when empty) but not $2 until the outcome holds. A test that
# fails and passes when run again failed for the load or by chance, not steadily: it is kept in
# `flaky` and the stage runs again without it, so that the tests after it still get their turn.
# 0 passed; 3 does not build; 124 or 137 cut by the time limit; 5 a test failed once in each of
# three runs; any other code: a test failed twice in a row.
flaky=()
steady() {
    local code try names exclude args
    for try in 1 2 3; do
        exclude=$2
        [ ${#flaky[@]} -eq 0 ] || exclude="${exclude:+$exclude|}$(anchored "${flaky[@]}")"
        args=()
        [ -z "$1" ] || args+=(-R "$1")
        [ -z "$exclude" ] || args+=(-E "$exclude")
        code=0
        stage "${args[@]}" || code=$?
        case $code in 0 | 3 | 124 | 137) return $code ;; esac
        # The failed tests again by name: after a run stopped at its first failure while other tests
        # still ran, --rerun-failed has been seen to pass at once, as if it had nothing to run.
        mapfile -t names < <(sed -nE 's/^\s+[0-9]+ - ([^ ]+) .*/\1/p' "$build/mutant-ctest.log")
        [ ${#names[@]} -gt 0 ] || return $code
        cp "$build/mutant-ctest.log" "$build/mutant-ctest-first.log"
        if ! suite --no-tests=error -R "$(anchored "${names[@]}")"; then
            mv "$build/mutant-ctest-first.log" "$build/mutant-ctest.log"
            return $code
        fi
        printf 'UNSTEADY  failed once, passed again: %s\n' "${names[@]}"
        flaky+=("${names[@]}")
    done
    return 5
}

if ! steady "$baseline" "$skip"; then
    echo "mutants.sh: the suite fails on the unchanged tree (see ${build}/mutant-ctest.log)" >&2
    exit 2
fi

catchers=$build/catchers
touch "$catchers"
# The test recorded for a fault as an anchored ctest pattern; empty when none is.
catcher_of() {
    local name
    name=$(awk -F'\t' -v what="$1" '$1 == what { name = $2 } END { print name }' "$catchers")
    [ -z "$name" ] || anchored "$name"
}

total=0 caught=0 survived=() broken=()
index=0
for row in "${rows[@]}"; do
    index=$((index + 1))
    if [[ " ${picked[*]} " != *" ${index} "* ]]; then
        continue
    fi
    IFS=$'\t' read -r file original replacement what <<<"$row"
    total=$((total + 1))
    label="#${index} ${file}: ${what}"
    count=$(grep -cF -- "$original" "$file" 2>/dev/null || true)
    if [ "$count" != 1 ]; then
        echo "ERROR     ${label} (the text occurs ${count:-0} times, not once)"
        broken+=("$label")
        continue
    fi
    cp -p "$file" "$saved/original"
    current=$file
    ORIGINAL=$original REPLACEMENT=$replacement python3 - "$file" <<'EOF'
import os, sys
path = sys.argv[1]
text = open(path, encoding="utf-8").read()
open(path, "w", encoding="utf-8").write(text.replace(os.environ["ORIGINAL"], os.environ["REPLACEMENT"], 1))
EOF
    start=$(date +%s)
    code=0
    flaky=()
    first=$(catcher_of "$what")
    if [ -n "$first" ]; then
        steady "$first" "" || code=$?
    fi
    # The subsystem's unit tests take seconds, its integration tests longer, its end-to-end tests
    # minutes: the quicker go first, since the run stops at the first test that fails.
    if [ $code -eq 0 ]; then
        steady "^unit/.*($(tests_of "$file"))" "" || code=$?
    fi
    if [ $code -eq 0 ]; then
        steady "^integration/.*($(tests_of "$file"))" "" || code=$?
    fi
    if [ $code -eq 0 ]; then
        steady "$(tests_of "$file")" "^unit/|^integration/|$skip" || code=$?
    fi
    if [ $code -eq 0 ] && [ $quick -eq 0 ]; then
        steady "" "$(tests_of "$file")|$skip" || code=$?
    fi
    took=$(($(date +%s) - start))
    if [ $code -eq 0 ] && [ ${#flaky[@]} -gt 0 ]; then
        # Only a test that also passed under the fault failed: neither caught nor survived.
        code=5
    fi
    if [ $code -eq 3 ] || [ $code -eq 5 ]; then
        if [ $code -eq 3 ]; then
            echo "ERROR     ${label} (does not build; pick a fault that compiles)"
        else
            echo "UNSTEADY  ${label} (only $(printf '%s\n' "${flaky[@]}" | sort -u | paste -sd ' ') failed, and passed again) [${took}s]"
        fi
        broken+=("$label")
        restore
        continue
    fi
    if [ $code -eq 0 ]; then
        echo "SURVIVED  ${label} [${took}s]"
        survived+=("$label")
    elif [ $code -eq 124 ] || [ $code -eq 137 ]; then
        echo "caught    ${label} (suite cut after ${limit}s) [${took}s]"
        caught=$((caught + 1))
    else
        # A parameterised test's line goes on with "# GetParam() = ..." before its outcome.
        failed=$(sed -nE 's/^\s+([0-9]+ - [^ ]+) .*/\1/p' "$build/mutant-ctest.log" | head -n 1 || true)
        echo "caught    ${label} by ${failed:-the suite} [${took}s]"
        if [ -n "$failed" ]; then
            printf '%s\t%s\n' "$what" "${failed#* - }" >>"$catchers"
        fi
        caught=$((caught + 1))
    fi
    restore
done
# Put the build back in step with the untouched sources.
cmake --build "$build" -j "$jobs" >"$build/mutant-build.log" 2>&1 || true

for label in "${survived[@]}"; do
    echo "survived: ${label}"
done
for label in "${broken[@]}"; do
    echo "not applied: ${label}"
done
echo "=== mutants: ${total} faults, ${caught} caught, ${#survived[@]} survived, ${#broken[@]} not applied$([ $quick -eq 1 ] && echo " (quick: subsystem tests only)")"
[ ${#survived[@]} -eq 0 ] && [ ${#broken[@]} -eq 0 ]
