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
#   scripts/test.sh arm64      the cross build for 64-bit ARM boards (scripts/cross.sh), its tests
#                              run under qemu-user. Run as root it installs the cross compiler,
#                              qemu-user and the :arm64 packages first, so it too runs only when
#                              asked; CI asks for it. Left out there: the tests labelled host-driver,
#                              whose host script (shell or Python) starts the build's programs
#                              itself, which the kernel cannot run without a binfmt registration
#                              this stage does without; what they cover on the screens and the
#                              bus is architecture-neutral and runs in the normal build. The tour,
#                              the unit and the integration tests run, starting their programs
#                              through the emulator (OSTRILAN_EMULATOR, the arm64 test preset).
#                              Also left out: the in-car guidance report (label guidance), which
#                              walks every screen in 18 languages; it measures the skin, the same
#                              pixels on every machine, and would take most of the stage.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh

presets=("$@")
[ ${#presets[@]} -eq 0 ] && presets=(default asan tsan fuzz)

# The user's desktop stays out of the suite: a test that wants a display or a session bus starts
# its own (Xvfb, a private dbus-daemon), and nothing opens a window or talks on the user's.
unset DISPLAY WAYLAND_DISPLAY DBUS_SESSION_BUS_ADDRESS

jobs=$(nproc)
began=$(date +%s)
for preset in "${presets[@]}"; do
    start=$(date +%s)
    if [ "$preset" = fuzz ]; then
        scripts/fuzz.sh "${OSTRILAN_FUZZ_SECONDS:-30}"
    elif [ "$preset" = arm64 ]; then
        scripts/cross.sh arm64 --packages
        echo "=== arm64: build (build-host/ for the build tools, build-arm64/)"
        cmake --preset host-tools >/dev/null
        cmake --build --preset host-tools -j "$jobs"
        cmake --preset arm64 >/dev/null
        cmake --build --preset arm64 -j "$jobs"
        echo "=== arm64: test under qemu-user"
        scripts/sealed.sh ctest --preset arm64 -j "$jobs" -LE 'host-driver|package|guidance'
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
        scripts/sealed.sh ctest --preset "$preset" -j "$jobs"
    fi
    echo "=== ${preset}: done in $(($(date +%s) - start))s"
done
echo "=== all passed in $(($(date +%s) - began))s"
