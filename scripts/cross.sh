#!/usr/bin/env bash
# Cross-builds for a board and assembles its Debian package: build-arm64/ostrilan_<version>_arm64.deb.
#   scripts/cross.sh arm64              build and package
#   scripts/cross.sh arm64 --packages   only make sure the packages are there (scripts/test.sh arm64)
# Run as root it first installs what it needs and is missing (Debian's cross compiler, qemu-user
# and the board's development packages beside the host's, multiarch); anyone else is told what
# to install. The tools the build runs (skingen, soundgen) are built for this machine first, in
# build-host/, and the cross build imports them (cmake/Ostrilan.cmake); its test programs run
# through qemu-user (cmake/toolchain-aarch64.cmake), so no binfmt registration is needed.
set -euo pipefail
cd "$(dirname "$0")/.."

arch=${1:-}
case "$arch" in
    arm64) ;;
    *) echo "usage: scripts/cross.sh arm64 [--packages]" >&2; exit 2 ;;
esac

# The :arm64 packages are those the build links (debian/control's Build-Depends) and the tests'
# libraries; libespeak-ng-dev is here for the speech the application is gaining.
packages=(
    crossbuild-essential-arm64 qemu-user
    libsdl2-dev:arm64 libfreetype-dev:arm64 libicu-dev:arm64 libspng-dev:arm64 libstb-dev:arm64
    libsystemd-dev:arm64 libgtest-dev:arm64 libgmock-dev:arm64 libbenchmark-dev:arm64
    libespeak-ng-dev:arm64
)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    if [ "$(id -u)" -ne 0 ]; then
        echo "Missing Debian packages: ${missing[*]}" >&2
        echo "Install them with: sudo dpkg --add-architecture arm64 && sudo apt-get update &&" \
            "sudo apt-get install ${missing[*]}" >&2
        exit 1
    fi
    export DEBIAN_FRONTEND=noninteractive
    dpkg --print-foreign-architectures | grep -qx arm64 || dpkg --add-architecture arm64
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
[ "${2:-}" = --packages ] && exit 0
# The host's own packages: the native tools' build, the package's tools.
scripts/deps.sh

jobs=$(nproc)
echo "=== ${arch}: build tools for this machine (build-host/)"
cmake --preset host-tools >/dev/null
cmake --build --preset host-tools -j "$jobs"
echo "=== ${arch}: cross build (build-${arch}/)"
cmake --preset "$arch" >/dev/null
cmake --build --preset "$arch" -j "$jobs"
echo "=== ${arch}: package"
packaging/make-deb.sh "build-${arch}" "build-${arch}"
