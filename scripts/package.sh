#!/usr/bin/env bash
# Builds the Debian package from the default build: build/ostrilan_<version>_<arch>.deb.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
cmake --build "$build" -j2
(cd "$build" && cpack -G DEB)
ls "$build"/ostrilan_*.deb
