#!/usr/bin/env bash
# Builds the application folder and starts the application.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
cmake --preset default >/dev/null
cmake --build --preset default -j "$(nproc)"
exec build/app/ostrilan "$@"
