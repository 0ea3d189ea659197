#!/usr/bin/env bash
# Paints the skin and copies its contact sheet (every image under its name) to docs/skin.png.
# Run it after changing anything under assets/skin or tools/skingen, and commit the picture.
set -euo pipefail
cd "$(dirname "$0")/.."

[ -f build/CMakeCache.txt ] || cmake --preset default
cmake --build --preset default --target ostrilan_skin_images
cp build/skin.png docs/skin.png
echo "docs/skin.png updated; screen mock-ups are in build/skin-mockups/"
