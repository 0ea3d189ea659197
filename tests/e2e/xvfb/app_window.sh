#!/usr/bin/env bash
# Real SDL windows on a virtual X server, clicked with real X input. First the demo: a click on a
# panel and the F10 key arrive. Then the application against the module simulator: a click on the
# main view's Quit asks (seen in the trace and in the X server's picture), and Yes ends the program
# cleanly.
set -u
app_dir=$1
for tool in Xvfb xdotool import compare; do
    command -v "$tool" >/dev/null || { echo "skipped: $tool missing"; exit 77; }
done

work=$(mktemp -d)
display=":$(( 90 + RANDOM % 400 ))"
pids=
# A program that does not end within two seconds of SIGTERM is killed: the test never hangs.
cleanup() {
    kill $pids 2>/dev/null
    for _ in $(seq 20); do kill -0 $pids 2>/dev/null || break; sleep 0.1; done
    kill -9 $pids 2>/dev/null
    wait 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
fail() {
    echo "FAIL: $*"
    tail -n 40 "$work/trace.txt" "$work/err.txt" 2>/dev/null
    exit 1
}
# Polls for a line in a file; generous, as a sanitizer build on a loaded machine is many times slower.
wait_for() {
    for _ in $(seq 200); do grep -q -- "$2" "$1" 2>/dev/null && return 0; sleep 0.1; done
    return 1
}
window() { timeout 20 xdotool search --sync --onlyvisible --name '^Ostrilan$' | head -n 1; }

Xvfb "$display" -screen 0 800x600x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
pids=$!
export DISPLAY=$display
for _ in $(seq 50); do xdotool getmouselocation >/dev/null 2>&1 && break; sleep 0.1; done

SDL_VIDEODRIVER=x11 OSTRILAN_DISPLAY=sdl "$app_dir/ostrilan-demo" >"$work/demo.txt" 2>"$work/err.txt" &
demo_pid=$!
pids="$demo_pid $pids"
wid=$(window)
[ -n "$wid" ] || fail "no demo window"
sleep 0.5
xdotool mousemove --window "$wid" 100 60 click 1
wait_for "$work/demo.txt" '^click 1001$' || fail "the click did not reach the demo: $(cat "$work/demo.txt")"
xdotool key F10
wait_for "$work/demo.txt" '^key F10$' || fail "F10 did not reach the demo"
kill "$demo_pid"
wait "$demo_pid" 2>/dev/null

# A device of the test's own, so the data files and the registry do not touch the build's.
mkdir -p "$work/device/data"
ln "$app_dir/ostrilan" "$work/device/ostrilan" 2>/dev/null || cp "$app_dir/ostrilan" "$work/device/ostrilan"
for entry in "$app_dir"/*/; do
    name=$(basename "$entry")
    case $name in data | registry | run) ;; *) ln -s "$entry" "$work/device/$name" ;; esac
done
"$app_dir/ostrilan-modsim" --no-console >"$work/sim.out" 2>&1 &
pids="$! $pids"
wait_for "$work/sim.out" '^pty ' || fail "the simulator gave no pseudo-terminal"
pty=$(sed -n 's/^pty //p' "$work/sim.out" | head -n 1)

# In a sanitizer build the X11 and D-Bus libraries under SDL keep a few allocations to the end,
# which the leak checker would count against the program; its own leaks are the headless runs' to
# find. Every other check stays on.
SDL_VIDEODRIVER=x11 OSTRILAN_DISPLAY=sdl OSTRILAN_AUDIO=null OSTRILAN_COM2=$pty \
    DBUS_SESSION_BUS_ADDRESS=unix:path=/nonexistent/ostrilan-test-bus \
    OSTRILAN_ROOT="$work/device" OSTRILAN_TRACE="$work/trace.txt" \
    ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0" \
    "$work/device/ostrilan" >"$work/out.txt" 2>"$work/err.txt" &
app_pid=$!
pids="$app_pid $pids"
wid=$(window)
[ -n "$wid" ] || fail "no window"
# A click is only a tap once the main view is on the screen and the start-up work is done.
wait_for "$work/trace.txt" ' app first present' || fail "the application presented nothing"
sleep 1

import -window "$wid" "$work/main.png" || fail "no screenshot from the X server"
xdotool mousemove --window "$wid" 66 18 click 1
wait_for "$work/trace.txt" ' app messagebox ' || fail "Quit asked nothing"
sleep 0.5
import -window "$wid" "$work/asked.png" || fail "no screenshot from the X server"
pixels=$(compare -metric AE "$work/main.png" "$work/asked.png" null: 2>&1 | cut -d' ' -f1)
[ "${pixels%%.*}" -gt 5000 ] 2>/dev/null || fail "the X server's picture did not change: $pixels pixels"
# The box is centred with its buttons at the bottom: its height follows its number of lines.
lines=$(( $(grep ' app messagebox ' "$work/trace.txt" | tail -n 1 | grep -o '\\n' | wc -l) + 1 ))
height=$(( 112 + 22 * lines ))
xdotool mousemove --window "$wid" 178 $(( (272 - height) / 2 + height - 34 )) click 1
timeout 10 tail --pid="$app_pid" -f /dev/null || fail "the application did not end after Quit, Yes"
wait "$app_pid" || fail "the application ended with $?"
