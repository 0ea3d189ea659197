#!/usr/bin/env bash
# Starts the demo with the SDL backend under Xvfb, clicks a panel with xdotool, and checks that
# the click arrived and that the X server's picture of the window changed there.
set -u
demo=$1
for tool in Xvfb xdotool import convert; do
    command -v "$tool" >/dev/null || { echo "skipped: $tool missing"; exit 77; }
done

work=$(mktemp -d)
display=":$(( 90 + RANDOM % 400 ))"
cleanup() { kill "$demo_pid" "$xvfb_pid" 2>/dev/null; wait 2>/dev/null; rm -rf "$work"; }
trap cleanup EXIT

Xvfb "$display" -screen 0 800x600x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
export DISPLAY=$display
for _ in $(seq 50); do xdotool getmouselocation >/dev/null 2>&1 && break; sleep 0.1; done

SDL_VIDEODRIVER=x11 OSTRILAN_DISPLAY=sdl "$demo" >"$work/out.txt" 2>"$work/err.txt" &
demo_pid=$!
wid=$(timeout 20 xdotool search --sync --onlyvisible --name '^Ostrilan$' | head -n 1)
[ -n "$wid" ] || { echo "FAIL: no window"; cat "$work/err.txt"; exit 1; }
sleep 0.5

pixel() { # colour of window pixel x y as seen by the X server
    import -window "$wid" "$work/shot.png" && convert "$work/shot.png" -format "%[pixel:p{$1,$2}]" info:
}
before=$(pixel 100 60)
xdotool mousemove --window "$wid" 100 60 click 1
for _ in $(seq 50); do grep -q '^click 1001$' "$work/out.txt" && break; sleep 0.1; done
grep -q '^click 1001$' "$work/out.txt" || { echo "FAIL: click did not arrive"; cat "$work/out.txt"; exit 1; }
sleep 0.3
after=$(pixel 100 60)
echo "panel pixel before: $before, after: $after"
[ "$before" != "$after" ] || { echo "FAIL: the screen did not change"; exit 1; }
untouched=$(pixel 470 260)
xdotool key F10
for _ in $(seq 50); do grep -q '^key F10$' "$work/out.txt" && break; sleep 0.1; done
grep -q '^key F10$' "$work/out.txt" || { echo "FAIL: F10 did not arrive"; exit 1; }
echo "ok: click and key arrived, screen changed (background stays $untouched)"
