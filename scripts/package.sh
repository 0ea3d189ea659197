#!/usr/bin/env bash
# Builds the Debian package from the default build: build/ostrilan_<version>_<arch>.deb.
# Usage: scripts/package.sh [build folder [output folder]].
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
scripts/deps.sh
cmake --build "$build" -j2
packaging/make-deb.sh "$build" "${2:-$build}"
