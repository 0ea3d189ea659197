#!/usr/bin/env bash
# The kiosk's unit: no warning from `systemd-analyze verify`, exposure at most 2.0 (docs/security.md
# says 1.4). Skipped without systemd-analyze or cage (verify checks ExecStart's program exists).
set -u
unit=$1
for tool in systemd-analyze cage; do
    command -v "$tool" >/dev/null || { echo "skipped: $tool missing"; exit 77; }
done
# systemd-analyze makes its working folder in /tmp whatever TMPDIR says: it runs in a mount
# namespace whose /tmp is a folder of the build's, where one can be made.
tmp=$(mktemp -d -p "$PWD" unit.XXXXXX)
trap 'rm -rf "$tmp"' EXIT
if [ "$(id -u)" -eq 0 ]; then
    namespace=(unshare --mount --propagation private)
else
    namespace=(unshare --user --map-root-user --mount --propagation private)
fi
# The unit is read from that folder too: a checkout under /tmp is hidden by it.
cp "$unit" "$tmp/"
analyze() {
    if "${namespace[@]}" true 2>/dev/null; then
        "${namespace[@]}" sh -c 'mount --bind "$0" /tmp && exec systemd-analyze "$@"' "$tmp" "$1" \
            "${@:2:$#-2}" "/tmp/$(basename "$unit")"
    else
        systemd-analyze "$@"
    fi
}
out=$(analyze verify "$unit" 2>&1)
[ -z "$out" ] || { echo "$out"; echo "FAIL: systemd-analyze verify warned"; exit 1; }
score=$(analyze security --offline=true "$unit" 2>&1 | sed -n 's/.*Overall exposure level for [^:]*: \([0-9.]*\).*/\1/p')
echo "exposure $score"
[ -n "$score" ] || { echo "FAIL: no exposure level"; exit 1; }
awk -v s="$score" 'BEGIN { exit !(s <= 2.0) }' || { echo "FAIL: exposure $score above 2.0"; exit 1; }
# Not enabled by the package: only an [Install] section a person enables by hand.
grep -q '^WantedBy=graphical.target$' "$unit" || { echo "FAIL: no [Install] for graphical.target"; exit 1; }
echo passed
