#!/usr/bin/env bash
# The application in a real SDL window with a display but no session bus (no
# DBUS_SESSION_BUS_ADDRESS, no XDG_RUNTIME_DIR), started as a session of its own, and ended by
# SIGTERM as the run command ends it: afterwards no process of its session is left, and nothing
# autolaunched a session bus for the display (libdbus records such a bus under ~/.dbus).
# Exit code 77 means the virtual X server is missing.
set -u
app_dir=$1
for tool in Xvfb xdotool setsid; do
    command -v "$tool" >/dev/null || { echo "skipped: $tool missing"; exit 77; }
done

work=$(mktemp -d)
display=":$(( 500 + RANDOM % 400 ))"
pids=
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
    tail -n 20 "$work/trace.txt" "$work/err.txt" 2>/dev/null
    exit 1
}
wait_for() {
    for _ in $(seq 200); do grep -q -- "$2" "$1" 2>/dev/null && return 0; sleep 0.1; done
    return 1
}
in_session() { ps -eo sid=,pid=,args= | awk -v s="$1" '$1 == s'; }

Xvfb "$display" -screen 0 800x600x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
pids=$!
for _ in $(seq 50); do DISPLAY=$display xdotool getmouselocation >/dev/null 2>&1 && break; sleep 0.1; done

mkdir -p "$work/device/data" "$work/home"
ln "$app_dir/ostrilan" "$work/device/ostrilan" 2>/dev/null || cp "$app_dir/ostrilan" "$work/device/ostrilan"
for entry in "$app_dir"/*/; do
    name=$(basename "$entry")
    case $name in data | registry | run) ;; *) ln -s "$entry" "$work/device/$name" ;; esac
done
"$app_dir/ostrilan-modsim" --no-console >"$work/sim.out" 2>&1 &
pids="$! $pids"
wait_for "$work/sim.out" '^pty ' || fail "the simulator gave no pseudo-terminal"
pty=$(sed -n 's/^pty //p' "$work/sim.out" | head -n 1)

# setsid makes the program a session leader: its session id is its process id.
env -u DBUS_SESSION_BUS_ADDRESS -u XDG_RUNTIME_DIR HOME="$work/home" DISPLAY="$display" \
    SDL_VIDEODRIVER=x11 OSTRILAN_DISPLAY=sdl OSTRILAN_AUDIO=null OSTRILAN_COM2="$pty" \
    OSTRILAN_ROOT="$work/device" OSTRILAN_TRACE="$work/trace.txt" \
    ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0" \
    setsid "$work/device/ostrilan" >"$work/out.txt" 2>"$work/err.txt" &
app_pid=$!
pids="$app_pid $pids"
# SDL brings up its video, and with it any bus connection, before the first frame.
wait_for "$work/trace.txt" ' app first present' || fail "the application presented nothing"
kill -TERM "$app_pid"
timeout 10 tail --pid="$app_pid" -f /dev/null || fail "the application did not end on SIGTERM"
wait "$app_pid" || fail "the application ended with $?"

left=$(in_session "$app_pid")
[ -z "$left" ] || { kill -KILL $(awk '{print $2}' <<<"$left") 2>/dev/null; fail "left running in its session: $left"; }
[ ! -e "$work/home/.dbus" ] || fail "a session bus was launched: $(ls -R "$work/home/.dbus")"
echo "nothing left running"
