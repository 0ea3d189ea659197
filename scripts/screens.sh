#!/bin/sh
# Takes the pictures in docs/screens/ again, on purpose, after a default build: the screen tests
# and the large skin's guidance check (docs/screens/large/, about three minutes) write what they
# draw instead of comparing it (a normal run only compares, and on a difference leaves the drawn
# picture and a diff image in build/screens/). Review the changed files.
set -eu
cd "$(dirname "$0")/.."
mkdir -p docs/screens
OSTRILAN_UPDATE_SCREENS=1 ./build/tests/integration/screens/integration_screens
OSTRILAN_UPDATE_SCREENS=1 ./build/tests/e2e/guidecheck/e2e_guidecheck --gtest_filter='*TheLargeSkin*'
git status --short docs/screens 2>/dev/null || true
