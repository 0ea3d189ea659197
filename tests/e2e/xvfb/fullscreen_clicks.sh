#!/usr/bin/env bash
# Full screen on an 800 x 480 virtual X screen: real clicks on the scaled picture answer and end a
# call, a click on a bar does nothing. The picture itself is e2e/kiosk's to compare.
set -u
app_dir=$1
for tool in Xvfb xdotool python3; do
    command -v "$tool" >/dev/null || { echo "skipped: $tool missing"; exit 77; }
done

here=$(dirname "$0")
display=":$(( 90 + RANDOM % 400 ))"
xvfb_screen=800x480x24
. "$here/x_session.sh"
export DISPLAY=$display
sim_args="--control $work/sim.sock --ring-timeout 600000 --answer-after -1"
app=$work/app.sock
say() { "$here/automation.py" say "$1" "$2"; }
sim_state() { say "$work/sim.sock" state | grep -q "$1"; }
# A real click in the middle of a control, placed as the fitted picture places it.
tap_at() { at=$("$here/automation.py" tap "$app" "$1" "$2" 800 480 2>"$work/tap.err"); }
click() {
    local at=
    poll 100 tap_at "$1" "$2" && [ -n "$at" ] || fail "no control $2 on $1: $(cat "$work/tap.err")"
    # shellcheck disable=SC2086
    xdotool mousemove --window "$wid" $at click 1
}

start_device
SDL_VIDEODRIVER=x11 OSTRILAN_DISPLAY=sdl OSTRILAN_AUDIO=null OSTRILAN_COM2=$pty \
    DBUS_SESSION_BUS_ADDRESS=unix:path=/nonexistent/ostrilan-test-bus OSTRILAN_CLOCK=virtual \
    OSTRILAN_AUTOMATION="$app" OSTRILAN_ROOT="$work/device" OSTRILAN_TRACE="$work/trace.txt" \
    ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0" \
    "$work/device/ostrilan" --fullscreen >"$work/out.txt" 2>"$work/err.txt" &
app_pid=$!
pids="$app_pid $pids"
wid=$(timeout 20 xdotool search --sync --onlyvisible --name '^Ostrilan$' | head -n 1)
[ -n "$wid" ] || fail "no window"
wait_for "$work/trace.txt" ' app first present' || fail "the application presented nothing"
poll 200 test -S "$app" || fail "no automation socket"
geometry=$(xdotool getwindowgeometry "$wid" | sed -n 's/ *Geometry: //p')
[ "$geometry" = 800x480 ] || fail "the window is $geometry, not the whole 800x480 screen"

# The device reconnects to the last phone a minute after the start.
[ "$(say "$app" 'advance 60000')" = ok ] || fail "advance"
poll 200 sim_state 'call none' || fail "the phone did not connect: $(say "$work/sim.sock" state)"
say "$app" idle >/dev/null

# A click on the top bar straight above Quit reaches nothing; the next real click shows it did not.
quit_x=$("$here/automation.py" tap "$app" COstrilanView Quit 800 480 | cut -d' ' -f1)
xdotool mousemove --window "$wid" "$quit_x" 3 click 1

[ "$(say "$work/sim.sock" 'ring 5551234')" = "ok ringing" ] || fail "ring"
wait_for "$work/trace.txt" 'screen open .* CDlgIncoming' || fail "no incoming call screen"
say "$app" idle >/dev/null
click CDlgIncoming Accept
poll 200 sim_state 'call active' || fail "the click on Accept did not answer: $(say "$work/sim.sock" state)"
! grep -q ' app messagebox ' "$work/trace.txt" || fail "the click on the bar reached Quit"
say "$app" idle >/dev/null
click CDlgIncoming End
poll 200 sim_state 'call none' || fail "the click on End did not end the call"

say "$app" quit >/dev/null
timeout 10 tail --pid="$app_pid" -f /dev/null || fail "the application did not end after quit"
wait "$app_pid" || fail "the application ended with $?"
echo "passed"
