#!/usr/bin/env bash
# The kiosk on cage's headless backend: grim's picture of the output is the application's own
# screenshot enlarged (main view, then a ring), as are docs/screens/ (OSTRILAN_UPDATE_SCREENS=1).
# cage refuses to run as root: as root, everything runs as nobody.
set -u
app_dir=$1
build_dir=$2
screens=$3
here=$(cd "$(dirname "$0")" && pwd)
for tool in cage grim Xwayland python3 convert compare identify; do
    command -v "$tool" >/dev/null || { echo "skipped: $tool missing (scripts/deps.sh installs it)"; exit 77; }
done
# wlroots lays Xwayland's sockets and lock files in /tmp whatever the environment says: every
# program here runs in a mount namespace of its own whose /tmp is a folder of the test's.
command -v unshare >/dev/null || { echo "skipped: unshare missing for a private /tmp"; exit 77; }
# What the programs need that lies under /tmp itself (a build folder there) is bound back into it.
private_tmp='t=$0; while [ "$1" != -- ]; do mkdir -p "$t/${1#/tmp/}" && mount --bind "$1" "$t/${1#/tmp/}" || exit 1; shift; done
shift; mount --rbind "$t" /tmp && exec "$@"'
if [ "$(id -u)" -eq 0 ]; then
    command -v setpriv >/dev/null || { echo "skipped: setpriv missing to leave root"; exit 77; }
    as_user=(setpriv --reuid=nobody --regid=nogroup --clear-groups)
    namespace=(unshare --mount --propagation private)
else
    as_user=()
    namespace=(unshare --user --map-current-user --mount --propagation private)
fi
"${namespace[@]}" true 2>/dev/null || { echo "skipped: no mount namespace for a private /tmp"; exit 77; }

mkdir -p "$build_dir"
cd "$build_dir"
. "$here/../work_folder.sh" kiosk
chmod 755 "$work"
# A failure leaves its pictures in the build folder's kiosk-failed/.
fail() {
    echo "FAIL: $*"
    rm -rf "$build_dir/kiosk-failed" && mkdir -p "$build_dir/kiosk-failed" && cp "$work"/out/*.png "$work"/cage.txt "$build_dir/kiosk-failed/" 2>/dev/null
    tail -n 30 "$work/out/trace.txt" "$work/cage.txt" 2>/dev/null
    exit 1
}
until_ok() { for _ in $(seq 300); do "$@" && return 0; sleep 0.1; done; return 1; }
say() { "$here/../xvfb/automation.py" say "$1" "$2"; }
# The programs run through exec: the pid the test keeps is the program's own.
run() {
    exec "${namespace[@]}" sh -c "$private_tmp" "$work/tmp" "${under_tmp[@]}" -- "${as_user[@]}" env -i PATH=/usr/bin:/bin \
        HOME="$work/home" XDG_RUNTIME_DIR="$work/run" "$@"
}

# The device's own folder: the program and the read-only folders shared, data of its own.
mkdir -p "$work/home" "$work/device/data" "$work/out"
mkdir -m 700 "$work/run"
mkdir -m 1777 "$work/tmp"
under_tmp=()
for needed in "$app_dir" "$work"; do
    case $needed in /tmp/*) rest=${needed#/tmp/} && under_tmp+=("/tmp/${rest%%/*}") ;; esac
done
mapfile -t under_tmp < <(printf '%s\n' "${under_tmp[@]}" | sort -u | grep .)
ln "$app_dir/ostrilan" "$work/device/ostrilan" 2>/dev/null || cp "$app_dir/ostrilan" "$work/device/ostrilan"
for entry in "$app_dir"/*/; do
    name=$(basename "$entry")
    case $name in data | registry | run) ;; *) ln -s "$entry" "$work/device/$name" ;; esac
done
[ ${#as_user[@]} -eq 0 ] || chown -R nobody:nogroup "$work/home" "$work/device" "$work/run" "$work/out"

(run "$app_dir/ostrilan-modsim" --no-console --control "$work/run/sim.sock" --ring-timeout 600000 \
    >"$work/sim.out" 2>&1) &
pids="$! $pids"
until_ok grep -qs '^pty ' "$work/sim.out" || fail "the simulator gave no pseudo-terminal"
pty=$(sed -n 's/^pty //p' "$work/sim.out" | head -n 1)

# A fixed virtual time: the clock on the main view is the same in every run.
# Two outputs side by side (one 2560 x 720 panel): on one, wlroots 0.15's headless output takes a
# full-screen client's buffer by scan-out but fails to commit it and stays black.
(run WLR_BACKENDS=headless WLR_HEADLESS_OUTPUTS=2 WLR_LIBINPUT_NO_DEVICES=1 WLR_RENDERER=pixman \
    SDL_VIDEODRIVER=wayland OSTRILAN_DISPLAY=sdl OSTRILAN_AUDIO=null OSTRILAN_COM2="$pty" \
    OSTRILAN_CLOCK=virtual:2026-12-06T10:00:00 OSTRILAN_AUTOMATION="$work/run/app.sock" \
    OSTRILAN_ROOT="$work/device" OSTRILAN_TRACE="$work/out/trace.txt" \
    DBUS_SESSION_BUS_ADDRESS=unix:path=/nonexistent/ostrilan-test-bus \
    ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0" \
    cage -- "$work/device/ostrilan" --fullscreen >"$work/cage.txt" 2>&1) &
cage_pid=$!
pids="$cage_pid $pids"
# cage's child, the application, is ended by its own pid too.
until_ok pgrep -P "$cage_pid" >/dev/null || fail "cage started no application"
app_pid=$(pgrep -P "$cage_pid" | head -n 1)
pids="$app_pid $pids"
until_ok grep -qs ' app first present' "$work/out/trace.txt" || fail "the application presented nothing"
until_ok test -S "$work/run/app.sock" || fail "no automation socket"
grep -qs 'sdl\|SDL' "$work/cage.txt" && grep -qi 'headless' "$work/cage.txt" && fail "the application fell back to headless"

# The fit: one factor, the largest that fits, centred: "left top width height" on a W x H output.
placement() {
    python3 -c "
w, h = $1, $2
f = min(w / 480, h / 272)
pw, ph = min(round(480 * f), w), min(round(272 * f), h)
print((w - pw) // 2, (h - ph) // 2, pw, ph)"
}

# The mean difference of two pictures of one size, 0 to 1.
difference() { compare -metric RMSE "$1" "$2" null: 2>&1 | sed 's/.*(\(.*\))/\1/'; }
below() { awk -v d="$1" -v limit="$2" 'BEGIN { exit !(d < limit) }'; }

# True when grim's output shows the application's own picture; the compositor lags the present, so
# callers ask again. Leaves width, height, left, top, placed_w, placed_h.
output_shows_picture() {
    local name=$1
    (run WAYLAND_DISPLAY=wayland-0 grim "$work/out/$name.png") || return 1
    read -r width height < <(identify -format '%w %h' "$work/out/$name.png")
    read -r left top placed_w placed_h < <(placement "$width" "$height")
    convert "$work/out/$name.png" -crop "${placed_w}x${placed_h}+${left}+${top}" +repage "$work/out/$name-picture.png"
    convert "$work/out/$name-app.png" -filter point -resize "${placed_w}x${placed_h}!" "$work/out/$name-scaled.png"
    local seen
    seen=$(difference "$work/out/$name-picture.png" "$work/out/$name-scaled.png")
    echo "$name: ${width}x${height}, the picture ${placed_w}x${placed_h} at $left,$top, mean difference $seen" \
        >"$work/out/$name.txt"
    below "$seen" 0.06
}

shoot() {
    local name=$1
    say "$work/run/app.sock" idle >/dev/null
    say "$work/run/app.sock" "screenshot $work/out/$name-app.png" >/dev/null
    local tries=0
    until output_shows_picture "$name"; do
        tries=$((tries + 1))
        if [ $tries -ge 40 ]; then
            fail "the output does not show the application's picture: $(cat "$work/out/$name.txt")"
        fi
        sleep 0.5
    done
    cat "$work/out/$name.txt"
    [ "$placed_w" -ge 480 ] || fail "$name: the output is ${width}x${height}, smaller than the picture"
    # The picture fills the output on one axis, and everything around it is black.
    [ "$placed_w" = "$width" ] || [ "$placed_h" = "$height" ] || fail "$name: the picture fills neither axis"
    local brightest
    brightest=$(convert "$work/out/$name.png" -fill black -draw \
        "rectangle $left,$top $((left + placed_w - 1)),$((top + placed_h - 1))" -format '%[fx:maxima]' info:)
    [ "$brightest" = 0 ] || fail "$name: the bars are not black"
    if [ "${OSTRILAN_UPDATE_SCREENS:-}" = 1 ]; then
        cp "$work/out/$name.png" "$screens/$name.png"
    elif [ -f "$screens/$name.png" ]; then
        local stored
        stored=$(difference "$work/out/$name.png" "$screens/$name.png")
        below "$stored" 0.02 || fail "$name: differs from docs/screens/$name.png by $stored"
    fi
}

shoot kiosk-main
# The device reconnects to the last phone a minute after the start; then the phone rings.
[ "$(say "$work/run/app.sock" 'advance 60000')" = ok ] || fail "advance"
until_ok eval 'say "$work/run/sim.sock" state | grep -qs "call none"' || fail "the phone did not connect"
[ "$(say "$work/run/sim.sock" 'ring 5551234')" = "ok ringing" ] || fail "ring"
until_ok grep -qs 'screen open .* CDlgIncoming' "$work/out/trace.txt" || fail "no incoming call screen"
shoot kiosk-incoming
# The difference between the two pictures is the incoming screen, not noise.
change=$(compare -metric AE "$work/out/kiosk-main.png" "$work/out/kiosk-incoming.png" null: 2>&1 | cut -d' ' -f1)
[ "${change%%.*}" -gt 50000 ] 2>/dev/null || fail "the incoming screen barely changed the output: $change pixels"

say "$work/run/app.sock" quit >/dev/null
timeout 20 tail --pid="$cage_pid" -f /dev/null || fail "cage did not end with the application"
wait "$cage_pid" || fail "cage ended with $?"
echo passed
