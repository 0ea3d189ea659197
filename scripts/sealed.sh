#!/usr/bin/env bash
# Runs the command with /tmp an empty read-only folder, so that a test that writes there fails
# instead of leaving something behind (the suite keeps its files in its build folder: the test
# presets point TMPDIR there). Only as root with a mount namespace at hand, and not for a checkout
# under /tmp, which the empty folder would hide; elsewhere the command runs as it is.
#   scripts/sealed.sh COMMAND [ARGUMENT...]
set -euo pipefail
case $PWD in
/tmp | /tmp/*) exec "$@" ;;
esac
if [ "$(id -u)" -eq 0 ] && unshare --mount --propagation private true 2>/dev/null; then
    exec unshare --mount --propagation private sh -c 'mount -t tmpfs -o ro tmpfs /tmp && exec "$@"' sealed "$@"
fi
exec "$@"
