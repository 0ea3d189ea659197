#!/bin/sh
# Writes the screenshots the screen tests take into docs/screens/ (after a default build).
set -eu
cd "$(dirname "$0")/.."
mkdir -p docs/screens
OSTRILAN_SCREENS_DIR="$PWD/docs/screens" ./build/tests/integration/screens/integration_screens
