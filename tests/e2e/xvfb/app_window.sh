#!/usr/bin/env bash
# Real SDL windows on a virtual X server with real X input: the demo's click and F10 arrive; the
# application's Quit asks and Yes ends it cleanly. At scale 1 the window is its own screenshot.
set -u
app_dir=$1
for tool in Xvfb xdotool import compare; do
    command -v "$tool" >/dev/null || { echo "skipped: $tool missing"; exit 77; }
done

display=":$(( 90 + RANDOM % 400 ))"
. "$(dirname "$0")/x_session.sh"
window() { timeout 20 xdotool search --sync --onlyvisible --name '^Ostrilan$' | head -n 1; }

export DISPLAY=$display

SDL_VIDEODRIVER=x11 OSTRILAN_DISPLAY=sdl "$app_dir/ostrilan-demo" >"$work/demo.txt" 2>"$work/err.txt" &
demo_pid=$!
pids="$demo_pid $pids"
wid=$(window)
[ -n "$wid" ] || fail "no demo window"
# A click before the demo's first frame is lost; click again until one arrives.
clicked() { xdotool mousemove --window "$wid" 100 60 click 1 && wait_for "$work/demo.txt" '^click 1001$' 5; }
poll 40 clicked || fail "the click did not reach the demo: $(cat "$work/demo.txt")"
xdotool key F10
wait_for "$work/demo.txt" '^key F10$' || fail "F10 did not reach the demo"
kill "$demo_pid"
wait "$demo_pid" 2>/dev/null

start_device

# Under a sanitizer, X11 and D-Bus below SDL keep allocations to the end: leaks are the headless
# runs' to find; every other check stays on.
SDL_VIDEODRIVER=x11 OSTRILAN_DISPLAY=sdl OSTRILAN_AUDIO=null OSTRILAN_COM2=$pty \
    DBUS_SESSION_BUS_ADDRESS=unix:path=/nonexistent/ostrilan-test-bus \
    OSTRILAN_ROOT="$work/device" OSTRILAN_TRACE="$work/trace.txt" OSTRILAN_AUTOMATION="$work/app.sock" \
    ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0" \
    "$work/device/ostrilan" >"$work/out.txt" 2>"$work/err.txt" &
app_pid=$!
pids="$app_pid $pids"
wid=$(window)
[ -n "$wid" ] || fail "no window"
# A click is only a tap once the main view is on the screen and the start-up work is done.
wait_for "$work/trace.txt" ' app first present' || fail "the application presented nothing"
"$(dirname "$0")/automation.py" say "$work/app.sock" idle >/dev/null

# At scale 1 the window shows the picture pixel for pixel, once the X server has drawn it.
"$(dirname "$0")/automation.py" say "$work/app.sock" "screenshot $work/app-main.png" >/dev/null
# The number of pixels in which the X server's picture of the window, taken into $1, differs from $2.
differing() {
    import -window "$wid" "$1" || fail "no screenshot from the X server"
    compare -metric AE "$1" "$2" null: 2>&1 | cut -d' ' -f1
}
same_as_app() { [ "$(differing "$work/main.png" "$work/app-main.png")" = 0 ]; }
poll 100 same_as_app || fail "the window differs from the application's own picture"
[ "$(identify -format %wx%h "$work/main.png")" = 480x272 ] || fail "the window is not 480 x 272"
xdotool mousemove --window "$wid" 66 18 click 1
wait_for "$work/trace.txt" ' app messagebox ' || fail "Quit asked nothing"
box_shown() { local pixels; pixels=$(differing "$work/asked.png" "$work/main.png"); [ "${pixels%%.*}" -gt 5000 ] 2>/dev/null; }
poll 100 box_shown || fail "the X server's picture did not change"
# The box is centred with its buttons at the bottom: its height follows its number of lines.
lines=$(( $(grep ' app messagebox ' "$work/trace.txt" | tail -n 1 | grep -o '\\n' | wc -l) + 1 ))
height=$(( 112 + 22 * lines ))
xdotool mousemove --window "$wid" 178 $(( (272 - height) / 2 + height - 34 )) click 1
timeout 10 tail --pid="$app_pid" -f /dev/null || fail "the application did not end after Quit, Yes"
wait "$app_pid" || fail "the application ended with $?"
